#include "ui/tabs/LeaveCheck.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTabBar>
#include <QTimer>
#include <QWidget>
#include <QWindow>

bool LeaveCheck::s_restoringFocus = false;

class LeaveCheck::PressFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Taken where the press from the window system reaches the window, before the
        // application hands the focus to the widget under the mouse.
        if (event->type() != QEvent::MouseButtonPress || !watched->isWindowType() ||
            QApplication::activePopupWidget())
            return false;
        auto *mouse = static_cast<QMouseEvent *>(event);
        QWidget *focus = QApplication::focusWidget();
        if (mouse->button() != Qt::LeftButton || !focus)
            return false;
        auto *check = focus->findChild<LeaveCheck *>(QString(), Qt::FindDirectChildrenOnly);
        if (!check)
            return false;
        QWidget *top = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->windowHandle() == watched)
                top = widget;
        }
        if (!top)
            return false;
        QWidget *target = top->childAt(mouse->position().toPoint());
        return check->checkPress(target ? target : top, mouse->globalPosition().toPoint());
    }
};

LeaveCheck::LeaveCheck(QWidget *box, Rule rule) : QObject(box), m_box(box), m_rule(std::move(rule))
{
}

LeaveCheck *LeaveCheck::install(QWidget *box, Rule rule)
{
    static PressFilter *pressFilter = nullptr;
    if (!pressFilter) {
        pressFilter = new PressFilter(qApp);
        qApp->installEventFilter(pressFilter);
    }
    auto *check = new LeaveCheck(box, std::move(rule));
    box->installEventFilter(check);
    return check;
}

bool LeaveCheck::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_box || event->type() != QEvent::FocusOut)
        return false;
    if (m_checked) {
        m_checked = false;
        return false;
    }
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

bool LeaveCheck::checkPress(QWidget *target, const QPoint &globalPos)
{
    if (m_running || m_checked || s_restoringFocus || target == m_box ||
        m_box->isAncestorOf(target) || target->window() != m_box->window() || !m_box->isEnabled())
        return false;
    auto *tabs = qobject_cast<QTabBar *>(target);
    const int tab = tabs ? tabs->tabAt(tabs->mapFromGlobal(globalPos)) : -1;
    auto *button = qobject_cast<QAbstractButton *>(target);
    // Only presses that move the focus away or hide the box's page are leaves.
    const bool takesFocus = target->isEnabled() && (target->focusPolicy() & Qt::ClickFocus);
    if (tabs ? (tab < 0 || tab == tabs->currentIndex()) : !takesFocus)
        return false;

    m_running = true;
    const bool keepFocus = m_rule();
    m_running = false;
    if (keepFocus)
        return true; // dropped: the box keeps the focus and its page stays shown
    if (!button && !tabs)
        return false;

    // The rule may have shown a message box, which took the release: the click is made here.
    m_checked = true;
    QPointer<LeaveCheck> self = this;
    QTimer::singleShot(0, this, [self] {
        if (self)
            self->m_checked = false;
    });
    if (tabs) {
        tabs->setCurrentIndex(tab);
    } else if (button->isEnabled()) {
        button->setFocus(Qt::MouseFocusReason);
        button->click();
    }
    return true;
}
