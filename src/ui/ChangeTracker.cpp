#include "ui/ChangeTracker.h"

#include "ui/ConfigurationBinder.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QTextEdit>

#include <algorithm>

namespace {

bool isUntrackedText(const QWidget *control)
{
    return control->objectName() == QLatin1String("txtArticleList");
}

// The clock's labels lblLocalTime, lblLocalTimezone and lblLocalDate, alone or as members
// name_N. Compared by hand: the change mark is taken when the window is built, and a regular
// expression there would load and compile its engine before the first paint.
bool isClockLabel(const QString &name)
{
    for (const QLatin1String base :
         {QLatin1String("lblLocalTime"), QLatin1String("lblLocalTimezone"),
          QLatin1String("lblLocalDate")}) {
        if (!name.startsWith(base))
            continue;
        const QStringView index = QStringView(name).mid(base.size());
        if (index.isEmpty())
            return true;
        if (index.size() > 1 && index.front() == QLatin1Char('_') &&
            std::all_of(index.begin() + 1, index.end(), [](QChar c) { return c.isDigit(); }))
            return true;
    }
    return false;
}

bool isUntrackedLabel(const QWidget *control)
{
    const QString name = control->objectName();
    return name == QLatin1String("lblCCLoopingLastSent") || isClockLabel(name);
}

// Controls of the window itself: not those of another window parented to it, not the status
// bar's panels, and not the editors that lists and spin boxes keep inside them.
bool belongsToWindow(const QWidget *control, const QWidget *window)
{
    if (control->window() != window)
        return false;
    for (const QWidget *w = control->parentWidget(); w && w != window; w = w->parentWidget()) {
        if (qobject_cast<const QStatusBar *>(w) || qobject_cast<const QComboBox *>(w) ||
            qobject_cast<const QAbstractSpinBox *>(w))
            return false;
    }
    return true;
}

} // namespace

ChangeTracker::ChangeTracker(QWidget *window) : m_window(window) {}

QVariant ChangeTracker::trackedValue(const QWidget *control)
{
    if (auto *line = qobject_cast<const QLineEdit *>(control))
        return isUntrackedText(control) ? QVariant() : QVariant(line->text());
    if (auto *plain = qobject_cast<const QPlainTextEdit *>(control))
        return isUntrackedText(control) ? QVariant() : QVariant(plain->toPlainText());
    if (auto *rich = qobject_cast<const QTextEdit *>(control))
        return isUntrackedText(control) ? QVariant() : QVariant(rich->toPlainText());
    if (auto *box = qobject_cast<const QCheckBox *>(control))
        return ConfigurationBinder::checkValue(box);
    if (auto *option = qobject_cast<const QRadioButton *>(control))
        return int(option->isChecked());
    if (auto *list = qobject_cast<const QComboBox *>(control))
        return list->currentIndex();
    if (auto *label = qobject_cast<const QLabel *>(control))
        return isUntrackedLabel(control) ? QVariant() : QVariant(label->text());
    return QVariant();
}

bool ChangeTracker::trackChanges(bool takeSnapshot)
{
    if (!m_window)
        return false;
    if (takeSnapshot)
        m_snapshot.clear();
    const auto controls = m_window->findChildren<QWidget *>();
    for (const QWidget *control : controls) {
        if (!belongsToWindow(control, m_window))
            continue;
        const QVariant value = trackedValue(control);
        if (!value.isValid())
            continue;
        if (takeSnapshot) {
            m_snapshot.insert(control, value);
            continue;
        }
        // A control that came into being after the snapshot has nothing to equal.
        const auto before = m_snapshot.constFind(control);
        if (before == m_snapshot.constEnd() || *before != value)
            return true;
    }
    return false;
}
