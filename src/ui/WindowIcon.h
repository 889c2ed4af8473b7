#pragma once

#include <QIcon>

// The program's icon for its windows: the drawing at the sizes a window manager asks for,
// drawn to PNG by the build, so that showing the first window renders no SVG.
namespace WindowIcon {

QIcon icon();

} // namespace WindowIcon
