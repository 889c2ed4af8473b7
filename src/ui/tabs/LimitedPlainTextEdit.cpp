#include "ui/tabs/LimitedPlainTextEdit.h"

#include <QTextCursor>
#include <QTextDocument>

LimitedPlainTextEdit::LimitedPlainTextEdit(int maxLength, QWidget *parent)
    : QPlainTextEdit(parent), m_maxLength(maxLength)
{
    // Tab moves on to the next field, as in every other box of the window.
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this, &LimitedPlainTextEdit::cutExcess);
}

void LimitedPlainTextEdit::cutExcess(int position, int, int charsAdded)
{
    const int excess = toPlainText().length() - m_maxLength;
    if (excess <= 0)
        return;
    // Remove the excess from the end of what was inserted; when the whole text was replaced
    // (setPlainText) that is the end of the text.
    const int insertedEnd = qMin(position + charsAdded, toPlainText().length());
    const int cutFrom = qMax(0, insertedEnd - excess);
    QTextCursor cursor(document());
    cursor.setPosition(cutFrom);
    cursor.setPosition(cutFrom + excess, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}
