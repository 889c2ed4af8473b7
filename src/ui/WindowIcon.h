#pragma once

#include <QIcon>

// The program's icon for its windows: the drawing at the sizes a window manager asks for, drawn
// to pixels by the build, so that showing the first window renders no SVG and reads no image
// file (an image reader loads and probes every image-format plugin first).
namespace WindowIcon {

QIcon icon();

} // namespace WindowIcon
