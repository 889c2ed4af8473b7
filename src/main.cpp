#include "common/GlobalVars.h"
#include "ui/RoboHelp.h"
#include "ui/StartUp.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orvane"));
    QApplication::setApplicationName(QStringLiteral("quillcast"));
    QApplication::setApplicationDisplayName(GlobalVars::ApplicationTitle);
    QApplication::setApplicationVersion(GlobalVars::VersionText());
    QApplication::setDesktopFileName(GlobalVars::DesktopId);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillcast/quillcast.svg")));

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
    parser.process(app);

    if (parser.isSet(helpPath)) {
        const QString path = RoboHelp::FindHelpFilePath(QApplication::applicationDirPath());
        std::printf("%s\n", qPrintable(path));
        return QFileInfo(path).isFile() ? 0 : 1;
    }

    // Leaving the default-information dialog ends the program.
    StartUp startUp(!parser.isSet(noSplash));
    QObject::connect(&startUp, &StartUp::declined, &app, &QApplication::quit, Qt::QueuedConnection);
    startUp.start();
    return app.exec();
}
