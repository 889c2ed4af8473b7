#include "ui/WindowIcon.h"

namespace WindowIcon {

QIcon icon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64})
        icon.addFile(QStringLiteral(":/quillcast/window-icon/%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace WindowIcon
