#pragma once

#include "core/config/Configuration.h"

#include <QString>
#include <functional>

class QCheckBox;
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

// Shows a caption loop file in the CC Looping tab's two file labels: the folder (up to and
// including the last separator) and the name, each in full as the label's tool tip; the folder
// caption is cut to 37 characters and "..." when it is longer than 40. An empty path leaves
// the labels as they are.
void showCaptionLoopFile(QWidget *root, const QString &path);

// Called by apply after a non-empty caption loop file path was shown, so that the file can be
// read for looping. Replaces the previous handler; an empty function removes it.
using CaptionLoopFileSelected = std::function<void(QWidget *root, const QString &path)>;
void setCaptionLoopFileSelected(CaptionLoopFileSelected handler);

// A check box as the configuration counts it: 0 unchecked, 1 checked, 2 grey (partially
// checked).
int checkValue(const QCheckBox *box);

} // namespace ConfigurationBinder
