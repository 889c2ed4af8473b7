#include "ui/ViewFileInEditor.h"

#include "ui/DialogService.h"

#include <QProcess>
#include <QUrl>

bool viewFileInEditor(const QString &path)
{
    if (path.isEmpty())
        return false;
#ifdef Q_OS_WIN
    return QProcess::startDetached(QStringLiteral("notepad.exe"), {path});
#else
    // The desktop services, through the dialog service so that tests see the request.
    return DialogService::instance().openUrl(QUrl::fromLocalFile(path));
#endif
}
