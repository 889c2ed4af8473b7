#include "ui/WindowIcon.h"

#include "ui/CompiledPicture.h"

namespace {

// Drawn from data/quillcast.svg by the build.
const quint32 size16[] = {
#include "pixels/window-icon-16.inc"
};
const quint32 size24[] = {
#include "pixels/window-icon-24.inc"
};
const quint32 size32[] = {
#include "pixels/window-icon-32.inc"
};
const quint32 size48[] = {
#include "pixels/window-icon-48.inc"
};
const quint32 size64[] = {
#include "pixels/window-icon-64.inc"
};

} // namespace

namespace WindowIcon {

QIcon icon()
{
    QIcon icon;
    for (const quint32 *picture : {size16, size24, size32, size48, size64})
        icon.addPixmap(compiledPicture(picture));
    return icon;
}

} // namespace WindowIcon
