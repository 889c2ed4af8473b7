#pragma once

#include <QHash>
#include <QPointer>
#include <QVariant>

class QWidget;

// Decides whether the operator changed anything since the last snapshot, by comparing what
// every control of the window shows now with what it showed then: texts of the text boxes,
// check-box states, option-button states, list selections and label captions. The article
// list, the clock labels and the last-sent caption label change by themselves and do not
// count; buttons, frames, tabs, menus and the status bar are ignored. Controls that no file
// stores count too (the article removal list, the caption loop labels).
class ChangeTracker
{
public:
    explicit ChangeTracker(QWidget *window);

    // trackChanges: with takeSnapshot true records every tracked value and returns false;
    // with false returns whether any tracked value differs from its snapshot.
    bool trackChanges(bool takeSnapshot);

    void takeSnapshot() { trackChanges(true); }
    bool changed() { return trackChanges(false); }

    // The value a control is tracked by (a text or an integer), or an invalid QVariant when
    // the control is not tracked.
    static QVariant trackedValue(const QWidget *control);

private:
    QPointer<QWidget> m_window;
    // The snapshot lives in a map from control to value rather than on the controls
    // themselves, so that no control property is taken from the rules that use them.
    QHash<const QWidget *, QVariant> m_snapshot;
};
