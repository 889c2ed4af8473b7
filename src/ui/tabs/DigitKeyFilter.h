#pragma once

#include <QObject>

class QWidget;

// Number boxes take only the digits 0 to 9 and Backspace from the keyboard. Other printable
// characters are dropped, also with Alt held; navigation keys and Ctrl shortcuts (Ctrl+V among
// them) keep working, so pasted text is not filtered: the box's leave check deals with it.
class DigitKeyFilter : public QObject
{
    Q_OBJECT
public:
    static void install(QWidget *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
