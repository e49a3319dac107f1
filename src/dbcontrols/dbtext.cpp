#include "dbtext.h"

#include "field.h"

TDBText::TDBText(QWidget *parent) : QLabel(parent)
{
    m_link.onDataChange = [this] { showField(); };
    m_link.onStateChange = [this] { showField(); };
}

void TDBText::setAutoSize(bool autoSize)
{
    m_autoSize = autoSize;
    showField();
}

void TDBText::showField()
{
    const TField *field = m_link.Field();
    setText(field ? field->DisplayText() : QString());
    // A screen reader names the text by the caption beside it; the value is its description.
    setAccessibleDescription(text());
    if (!m_autoSize)
        return;
    // A left-aligned text takes just its size; a centred or right-aligned one only grows, so
    // it stays in the box it was placed in.
    QSize size = sizeHint();
    if (!(alignment() & Qt::AlignLeft) && (alignment() & Qt::AlignHorizontal_Mask))
        size.setWidth(std::max(size.width(), width()));
    resize(size);
}
