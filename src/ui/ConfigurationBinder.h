#pragma once

#include "config/Configuration.h"

class QWidget;

// Moves a configuration between plain values and the main window's controls, found by
// objectName under root (array members name_0, name_1, ...).
namespace ConfigurationBinder {

// The values the controls hold now, including what the selected expiry entries stand for.
Configuration read(const QWidget *root);
// Sets every control to the given values. Each assignment runs the control's own rule, as a
// click would; the order is chosen so that the controls end up holding exactly these values
// (a rating system before its rating and flags, a CGMS choice before its APS choice).
void apply(QWidget *root, const Configuration &configuration);

} // namespace ConfigurationBinder
