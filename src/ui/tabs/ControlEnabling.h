#pragma once

#include <QString>

class QWidget;

// Enabling and greying the configuration controls, the same way on every tab.
namespace ControlEnabling {

// Enables or greys one control; an enabled text box has a white base, a greyed one the
// platform's inactive grey.
void setControlEnabled(QWidget *control, bool enabled);
// setControlEnabled on every member name_0, name_1, ... found under root.
void setArrayEnabled(QWidget *root, const QString &arrayName, bool enabled);

} // namespace ControlEnabling
