#pragma once

#include <QPlainTextEdit>

// A multi-line text box that holds at most a given number of characters, line breaks
// included. Like QLineEdit's maxLength, typed or pasted text beyond the limit is cut from what
// was just inserted, so the text already there is never lost.
class LimitedPlainTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit LimitedPlainTextEdit(int maxLength, QWidget *parent = nullptr);

    int maxLength() const { return m_maxLength; }

private:
    void cutExcess(int position, int charsRemoved, int charsAdded);

    int m_maxLength;
};
