#include "core/common/AppInfo.h"
#include "ui/HelpLauncher.h"
#include "ui/StartUp.h"
#include "ui/WindowIcon.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Options that only print something need no screen, so they work in scripts and over ssh.
bool printsOnly(int argc, char *argv[])
{
    const char *options[] = {"-h", "--help", "-?", "--help-all", "-v", "--version", "--help-path"};
    for (int i = 1; i < argc; ++i)
        for (const char *option : options)
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::unique_ptr<QCoreApplication> app(
        printsOnly(argc, argv) ? new QCoreApplication(argc, argv) : new QApplication(argc, argv));
    QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
    QCoreApplication::setApplicationName(QStringLiteral("quillcast"));
    QCoreApplication::setApplicationVersion(AppInfo::versionText());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Programs Orvane closed-caption encoders over their serial port."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption noSplash(QStringLiteral("no-splash"),
                                      QStringLiteral("Start without the splash window."));
    const QCommandLineOption helpPath(
        QStringLiteral("help-path"),
        QStringLiteral("Print the help start page the program uses and exit (status 1 when the "
                       "help pages are missing)."));
    parser.addOptions({noSplash, helpPath});
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("A configuration file (.qcf) to open, or an encoder list (.ini) to open in "
                       "the plant window."),
        QStringLiteral("[file]"));
    parser.process(*app);

    if (parser.isSet(helpPath)) {
        const QString path = HelpLauncher::findHelpFilePath(QCoreApplication::applicationDirPath());
        std::printf("%s\n", qPrintable(path));
        return QFileInfo(path).isFile() ? 0 : 1;
    }

    QGuiApplication::setDesktopFileName(AppInfo::DesktopId);
    QGuiApplication::setWindowIcon(WindowIcon::icon());
    // Leaving the default-information dialog ends the program.
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "%s\n", "quillcast: give at most one file");
        return 1;
    }
    StartUp startUp(!parser.isSet(noSplash), files.value(0));
    QObject::connect(&startUp, &StartUp::declined, app.get(), &QCoreApplication::quit,
                     Qt::QueuedConnection);
    startUp.start();
    return QCoreApplication::exec();
}
