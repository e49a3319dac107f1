#include "dbedit.h"

#include "field.h"
#include "handler.h"
#include "table.h"

#include <QKeyEvent>

TDBEdit::TDBEdit(QWidget *parent) : QLineEdit(parent)
{
    m_link.onDataChange = [this] { showField(); };
    m_link.onStateChange = [this] { showField(); };
    m_link.onUpdateRecord = [this] { writeField(); };
    connect(this, &QLineEdit::textEdited, this, [this] { runHandler([this] { userEdited(); }); });
    showField();
}

void TDBEdit::showField()
{
    const TField *field = m_link.Field();
    m_modified = false;
    if (!field) {
        setMaxLength(32767);
        setText(QString());
        return;
    }
    setMaxLength(field->DataType() == TFieldType::String && field->Size() > 0 ? field->Size()
                                                                              : 32767);
    // While the user works in the edit it shows the plain edit text, else the display text.
    setText(hasFocus() ? field->EditText() : field->DisplayText());
}

void TDBEdit::writeField()
{
    if (!m_modified)
        return;
    if (TField *field = m_link.Field()) {
        field->setAsString(text());
        m_modified = false;
    }
}

void TDBEdit::userEdited()
{
    if (!m_modified) {
        const QString typed = text();
        const int cursor = cursorPosition();
        if (!m_link.Edit()) {
            showField();
            return;
        }
        // Entering edit refreshed the edit from the record: put back what was typed.
        setText(typed);
        setCursorPosition(cursor);
    }
    m_modified = true;
}

void TDBEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (!m_modified && m_link.Field())
        setText(m_link.Field()->EditText());
}

void TDBEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (m_modified)
        runHandler([this] { writeField(); });
    else if (m_link.Field())
        setText(m_link.Field()->DisplayText());
}

void TDBEdit::keyPressEvent(QKeyEvent *event)
{
    // Escape takes back what was typed into this edit.
    if (event->key() == Qt::Key_Escape && m_modified) {
        showField();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
