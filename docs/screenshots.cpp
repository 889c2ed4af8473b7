// Draws the pictures of the documentation from the program's own windows, without a screen:
// the main window for the README, and the splash, About box and every help page to look them over.
// Usage: quillcast-screenshots OUTPUT_DIR [main|splash|about|help]...
#include "core/common/AppInfo.h"
#include "core/common/Clock.h"
#include "ui/AboutDialog.h"
#include "ui/HelpLauncher.h"
#include "ui/HelpWindow.h"
#include "ui/MainWindow.h"
#include "ui/SplashScreen.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <cstdio>
#include <ctime>

namespace {

// The pictures show one fixed moment in one time zone, so that they only change when the
// windows do.
class PictureClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 4, 9), QTime(14, 5, 7)); }
};

bool save(QWidget *widget, const QString &path)
{
    widget->show();
    QApplication::processEvents();
    const bool saved = widget->grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "cannot write", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // A settings store of its own, so that the pictures show a first start and nothing of the
    // user's.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    qputenv("TZ", "America/New_York");
    tzset();
    QApplication app(argc, argv);
    PictureClock clock;
    Clock::setInstance(&clock);
    QApplication::setStyle(QStringLiteral("Fusion"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR [main|splash|about|help]...\n", argv[0]);
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QStringList which;
    for (int i = 2; i < argc; ++i)
        which << QString::fromLocal8Bit(argv[i]);
    if (which.isEmpty())
        which << QStringLiteral("main");

    bool ok = true;
    MainWindow window(DefaultInfo{QStringLiteral("Quill Network"), QStringLiteral("KQIL"),
                                  QStringLiteral("1234")});
    if (which.contains(QLatin1String("main"))) {
        window.resize(window.sizeHint());
        ok &= save(&window, out.filePath(QStringLiteral("main-window.png")));
    }
    if (which.contains(QLatin1String("splash"))) {
        SplashScreen splash;
        ok &= save(&splash, out.filePath(QStringLiteral("splash.png")));
    }
    if (which.contains(QLatin1String("about"))) {
        AboutDialog about(&window);
        ok &= save(&about, out.filePath(QStringLiteral("about.png")));
    }
    if (which.contains(QLatin1String("help"))) {
        HelpLauncher::setUp();
        const QDir pages = QFileInfo(HelpLauncher::HelpFilePath).dir();
        for (const QString &page : pages.entryList({QStringLiteral("*.htm")})) {
            HelpLauncher::showHelp(HelpLauncher::HelpFilePath + QLatin1Char('#') + page,
                                   HelpLauncher::HelpWindowOptions);
            HelpWindow *help = HelpLauncher::helpWindow();
            ok &= save(help,
                       out.filePath(QStringLiteral("help-") + QFileInfo(page).completeBaseName() +
                                    QStringLiteral(".png")));
        }
    }
    Clock::setInstance(nullptr);
    return ok ? 0 : 1;
}
