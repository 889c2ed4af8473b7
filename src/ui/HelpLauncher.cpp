#include "ui/HelpLauncher.h"

#include "core/common/WholeFile.h"

#include "core/common/AppSettings.h"
#include "ui/DialogService.h"
#include "ui/HelpWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QUrl>

namespace HelpLauncher {

QString HelpFilePath;
WindowOptions HelpWindowOptions;

namespace {

const QString kStartPage = QStringLiteral("Quillcast.htm");

QPointer<HelpWindow> theWindow;

void deleteTheWindow()
{
    delete theWindow.data();
}

// A help URL is a file path with the topic after the last "#"; the folders of the path may
// hold "#" themselves.
QUrl toFileUrl(const QString &url)
{
    const int hash = url.lastIndexOf(QLatin1Char('#'));
    QUrl fileUrl = QUrl::fromLocalFile(hash < 0 ? url : url.left(hash));
    if (hash >= 0)
        fileUrl.setFragment(url.mid(hash + 1));
    return fileUrl;
}

int showInWindow(const QString &url, const WindowOptions &options)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return -1;
    // A window opened while a modal dialog is up must belong to that dialog, or the dialog
    // would block it; it goes when its dialog goes and a new one is made the next time.
    QWidget *modal = QApplication::activeModalWidget();
    if (!theWindow) {
        static const bool deletedAtExit = (qAddPostRoutine(deleteTheWindow), true);
        Q_UNUSED(deletedAtExit);
        theWindow = new HelpWindow(modal);
    } else if (theWindow->parentWidget() != modal) {
        const bool wasVisible = theWindow->isVisible();
        const QRect geometry = theWindow->geometry();
        theWindow->setParent(modal, theWindow->windowFlags());
        if (wasVisible) {
            theWindow->setGeometry(geometry);
            theWindow->show();
        }
    }
    // The options shape the window each time it opens; a window already open keeps the place
    // and size the operator gave it.
    if (!theWindow->isVisible())
        theWindow->applyOptions(options);
    theWindow->showUrl(toFileUrl(url));
    theWindow->show();
    theWindow->raise();
    theWindow->activateWindow();
    return 0;
}

// The system's browser decides the window's size and bars on this route: the options have no
// say over a window another program opens. When no browser takes the page the operator is told
// so, with the way back to the program's own help window.
int showInBrowser(const QString &url)
{
    const QString path = fallbackPagePath();
    QString error = QStringLiteral("no place for it");
    const bool written = !path.isEmpty() && WholeFile::write(path, fallbackPage(url), &error);
    if (written && DialogService::instance().openUrl(QUrl::fromLocalFile(path)))
        return 0;
    const QString why = written ? QStringLiteral("No web browser could be started to show ") + path
                                : QStringLiteral("The help page could not be written to ") + path +
                                      QStringLiteral(": ") + error;
    DialogService::tell(QApplication::activeWindow(),
                        why + QStringLiteral(".\n\nRemove Viewer=browser from section [Help] of ") +
                            AppSettings::open()->fileName() +
                            QStringLiteral(" to read the help in Quillcast's own help window."),
                        DialogService::Icon::Exclamation);
    return -1;
}

} // namespace

void setUp()
{
    HelpFilePath = findHelpFilePath(QCoreApplication::applicationDirPath());
    HelpWindowOptions = WindowOptions::standard();
}

QString findHelpFilePath(const QString &programDir)
{
    QStringList folders = {programDir + QStringLiteral("/Help Files"),
                           programDir + QStringLiteral("/" QUILLCAST_HELP_FROM_BINDIR)};
    const QString configured = AppSettings::get(QStringLiteral("Help"), QStringLiteral("Path"));
    if (!configured.isEmpty())
        folders.append(configured);
    for (const QString &folder : folders) {
        const QFileInfo start(QDir(folder).filePath(kStartPage));
        if (start.isFile())
            return QDir::cleanPath(start.absoluteFilePath());
    }
    return QDir::cleanPath(QDir(folders.at(1)).filePath(kStartPage));
}

QString helpUrl(const QString &topicPage)
{
    // Help asked for before the default-information dialog loaded (a window made on its own)
    // still finds the pages.
    if (HelpFilePath.isEmpty())
        setUp();
    return HelpFilePath + QLatin1Char('#') + topicPage;
}

int showHelp(const QString &url, const WindowOptions &options)
{
    const QString viewer = AppSettings::get(QStringLiteral("Help"), QStringLiteral("Viewer"));
    if (viewer.compare(QLatin1String("browser"), Qt::CaseInsensitive) == 0)
        return showInBrowser(url);
    return showInWindow(url, options);
}

int showTopic(const QString &topicPage)
{
    const QString url = helpUrl(topicPage);
    return showHelp(url, HelpWindowOptions);
}

QByteArray fallbackPage(const QString &url)
{
    QString target = url;
    target.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // Only the last "#" starts the topic: a "#" (or "%") in a folder name is escaped, or the
    // browser would take it for the start of the topic.
    const int hash = target.lastIndexOf(QLatin1Char('#'));
    if (hash > 0) {
        QString file = target.left(hash);
        file.replace(QLatin1Char('%'), QStringLiteral("%25"));
        file.replace(QLatin1Char('#'), QStringLiteral("%23"));
        target = file + target.mid(hash);
    }
    const QStringList lines = {QStringLiteral("<html>"),
                               QStringLiteral("<script language=\"Javascript\">"),
                               QStringLiteral("<!--"),
                               QStringLiteral("document.location=\"file://") + target +
                                   QStringLiteral("\";"),
                               QStringLiteral("//-->"),
                               QStringLiteral("</script>"),
                               QStringLiteral("</html>")};
    return lines.join(QStringLiteral("\r\n")).toUtf8();
}

// The user's own runtime folder (XDG_RUNTIME_DIR, else a per-user folder of the temporary
// folder that Qt makes private to the user), never the shared temporary folder itself, where
// another user's page of the same name would block ours or be opened in its place. "" when
// there is no such folder (it belongs to someone else).
QString fallbackPagePath()
{
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).trimmed();
    if (folder.isEmpty())
        return QString();
    return QDir(folder).filePath(QStringLiteral("robohelp_csh.htm"));
}

HelpWindow *helpWindow()
{
    return theWindow.data();
}

} // namespace HelpLauncher
