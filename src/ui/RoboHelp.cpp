#include "ui/RoboHelp.h"

#include "common/AppSettings.h"
#include "common/DialogService.h"
#include "ui/frmHelp.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QUrl>

namespace RoboHelp {

QString HelpFilePath;
WindowOptions HelpWindowOptions;

namespace {

const QString kStartPage = QStringLiteral("Quillcast.htm");

QPointer<frmHelp> theWindow;

void deleteTheWindow()
{
    delete theWindow.data();
}

// A help URL is a file path with the topic after "#".
QUrl toFileUrl(const QString &url)
{
    const int hash = url.indexOf(QLatin1Char('#'));
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
        theWindow = new frmHelp(modal);
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
// say over a window another program opens.
int showInBrowser(const QString &url)
{
    const QString path = FallbackPagePath();
    QFile page(path);
    if (!page.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;
    page.write(FallbackPage(url));
    page.close();
    DialogService::instance().openUrl(QUrl::fromLocalFile(path));
    return 0;
}

} // namespace

void SetUp()
{
    HelpFilePath = FindHelpFilePath(QCoreApplication::applicationDirPath());
    HelpWindowOptions = WindowOptions::standard();
}

QString FindHelpFilePath(const QString &programDir)
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
    return QDir(folders.first()).filePath(kStartPage);
}

QString HelpUrl(const QString &topicPage)
{
    // Help asked for before the default-information dialog loaded (a window made on its own)
    // still finds the pages.
    if (HelpFilePath.isEmpty())
        SetUp();
    return HelpFilePath + QLatin1Char('#') + topicPage;
}

int ShowHelp(const QString &url, const WindowOptions &options)
{
    const QString viewer = AppSettings::get(QStringLiteral("Help"), QStringLiteral("Viewer"));
    if (viewer.compare(QLatin1String("browser"), Qt::CaseInsensitive) == 0)
        return showInBrowser(url);
    return showInWindow(url, options);
}

int ShowTopic(const QString &topicPage)
{
    const QString url = HelpUrl(topicPage);
    return ShowHelp(url, HelpWindowOptions);
}

QByteArray FallbackPage(const QString &url)
{
    QString target = url;
    target.replace(QLatin1Char('\\'), QLatin1Char('/'));
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

QString FallbackPagePath()
{
    return QDir(QDir::tempPath().trimmed()).filePath(QStringLiteral("robohelp_csh.htm"));
}

frmHelp *helpWindow()
{
    return theWindow.data();
}

} // namespace RoboHelp
