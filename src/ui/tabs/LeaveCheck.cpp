#include "ui/tabs/LeaveCheck.h"

#include <QFocusEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

bool LeaveCheck::s_restoringFocus = false;

LeaveCheck::LeaveCheck(QWidget *box, Rule rule) : QObject(box), m_box(box), m_rule(std::move(rule))
{
}

LeaveCheck *LeaveCheck::install(QWidget *box, Rule rule)
{
    auto *check = new LeaveCheck(box, std::move(rule));
    box->installEventFilter(check);
    return check;
}

bool LeaveCheck::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_box || event->type() != QEvent::FocusOut)
        return false;
    const auto reason = static_cast<QFocusEvent *>(event)->reason();
    if (m_running || s_restoringFocus || reason == Qt::ActiveWindowFocusReason ||
        reason == Qt::PopupFocusReason || !m_box->isEnabled())
        return false;

    m_running = true;
    const bool keepFocus = m_rule();
    m_running = false;

    if (keepFocus) {
        QPointer<QWidget> box = m_box;
        QTimer::singleShot(0, m_box, [box] {
            if (!box || !box->isEnabled() || !box->isVisible())
                return;
            s_restoringFocus = true;
            box->setFocus(Qt::OtherFocusReason);
            s_restoringFocus = false;
        });
    }
    return false;
}
