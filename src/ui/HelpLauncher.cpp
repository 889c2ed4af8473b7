#include "ui/HelpLauncher.h"

#include "common/DialogService.h"

#include <QCoreApplication>

namespace HelpLauncher {

QString HelpFilePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Help Files/Quillcast.htm");
}

QUrl HelpUrl(const QString &topicPage)
{
    QUrl url = QUrl::fromLocalFile(HelpFilePath());
    url.setFragment(topicPage);
    return url;
}

int ShowHelp(const QUrl &url)
{
    // The system's browser decides the window's size and bars; the pages are laid out to read
    // well at any width.
    return DialogService::instance().openUrl(url) ? 0 : -1;
}

int ShowHelp(const QString &topicPage)
{
    return ShowHelp(HelpUrl(topicPage));
}

} // namespace HelpLauncher
