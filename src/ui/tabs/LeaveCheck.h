#pragma once

#include <QObject>
#include <functional>

class QWidget;

// Runs a text box's field rule when the focus leaves it, and puts the focus back when the rule
// says the operator must go on editing.
//
// Qt has no "about to lose focus, may veto" event, so the rule runs on FocusOut and, when the
// focus must stay, the box takes it back from the event loop right after the move has finished.
// While it does so no other box's leave check runs, so the widget that briefly held the focus
// never asks its own question. A focus lost to another window (a message box, a menu) or by a
// box that has just been greyed is not a leave: the operator has not moved on.
//
// A mouse press that would take the focus away (or switch the tab page under the box) is
// checked before it acts: the rule runs while the box still has the focus and its page is still
// shown. When the focus must stay the press is dropped; otherwise a press on a button or a tab
// goes on as the click the operator made, even though a message box took the release.
class LeaveCheck : public QObject
{
    Q_OBJECT
public:
    // The rule returns true when the focus must stay in the box.
    using Rule = std::function<bool()>;

    static LeaveCheck *install(QWidget *box, Rule rule);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    LeaveCheck(QWidget *box, Rule rule);
    // The press pre-check, installed once on the application.
    class PressFilter;
    // Runs the rule for a press; true when the press is to be dropped or has been replayed.
    bool checkPress(QWidget *target, const QPoint &globalPos);

    QWidget *m_box;
    Rule m_rule;
    bool m_running = false;       // the rule is open (its message box may steal the focus)
    bool m_checked = false;       // the rule has let this leave go already
    static bool s_restoringFocus; // a box is taking its focus back
};
