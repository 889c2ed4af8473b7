#include "ui/tabs/ControlEnabling.h"

#include <QApplication>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>

namespace ControlEnabling {

void setControlEnabled(QWidget *control, bool enabled)
{
    if (!control)
        return;
    control->setEnabled(enabled);
    if (qobject_cast<QLineEdit *>(control) || qobject_cast<QPlainTextEdit *>(control)) {
        // A greyed box shows the window's grey, the shade this platform gives inactive borders
        // (our stand-in for that system colour); an enabled one is white, whatever the style
        // would choose.
        QPalette palette = control->palette();
        const QColor base =
            enabled ? QColor(Qt::white)
                    : QApplication::palette().color(QPalette::Inactive, QPalette::Window);
        palette.setColor(QPalette::Base, base);
        control->setPalette(palette);
    }
}

void setArrayEnabled(QWidget *root, const QString &arrayName, bool enabled)
{
    if (!root)
        return;
    for (int i = 0;; ++i) {
        auto *member = root->findChild<QWidget *>(arrayName + QStringLiteral("_%1").arg(i));
        if (!member)
            break;
        setControlEnabled(member, enabled);
    }
}

} // namespace ControlEnabling
