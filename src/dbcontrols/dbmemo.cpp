#include "dbmemo.h"

#include "field.h"
#include "handler.h"

TDBMemo::TDBMemo(QWidget *parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
    m_link.onDataChange = [this] { showField(); };
    m_link.onUpdateRecord = [this] { writeField(); };
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (m_showing)
            return;
        runHandler([this] {
            if (!m_modified) {
                const QString typed = toPlainText();
                const int cursor = textCursor().position();
                if (!m_link.Edit()) {
                    showField();
                    return;
                }
                if (toPlainText() != typed) {
                    // Entering edit refreshed the memo from the record.
                    m_showing = true;
                    setPlainText(typed);
                    QTextCursor restored = textCursor();
                    restored.setPosition(cursor);
                    setTextCursor(restored);
                    m_showing = false;
                }
            }
            m_modified = true;
        });
    });
}

void TDBMemo::showField()
{
    m_showing = true;
    const TField *field = m_link.Field();
    const QString text = field ? field->AsString() : QString();
    if (toPlainText() != text)
        setPlainText(text);
    m_modified = false;
    m_showing = false;
}

void TDBMemo::writeField()
{
    if (!m_modified)
        return;
    if (TField *field = m_link.Field()) {
        field->setAsString(toPlainText());
        m_modified = false;
    }
}

void TDBMemo::focusOutEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusOutEvent(event);
    if (m_modified)
        runHandler([this] { writeField(); });
}
