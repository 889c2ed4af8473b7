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
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
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
