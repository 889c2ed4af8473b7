#include "ui/tabs/DigitKeyFilter.h"

#include <QKeyEvent>
#include <QWidget>

void DigitKeyFilter::install(QWidget *box)
{
    box->installEventFilter(new DigitKeyFilter(box));
}

bool DigitKeyFilter::eventFilter(QObject *, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    // Ctrl and Ctrl+Shift combinations are shortcuts that a line edit never types (Ctrl+V
    // pastes); with Alt or Meta held a line edit still types the key's character, so those
    // keys are judged by their text like any other.
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
        return false;
    const QString text = key->text();
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const bool backspace = c == QChar(8);
        // Other control characters (Return, Escape, Tab) belong to navigation.
        if (!digit && !backspace && c.isPrint())
            return true;
    }
    return false;
}
