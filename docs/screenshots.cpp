// Draws the pictures of the documentation from the program's own windows, without a screen:
// the main window and the plant window for the README, and the splash, About box and every help
// page to look them over. The plant window sends to three simulated encoders (one
// quillcast-encoder-sim) and one encoder that is not there, a fifth one left idle.
// Usage: quillcast-screenshots OUTPUT_DIR [main|plant|splash|about|help]...
#include "core/common/AppInfo.h"
#include "core/common/Clock.h"
#include "ui/AboutDialog.h"
#include "ui/HelpLauncher.h"
#include "ui/HelpWindow.h"
#include "ui/MainWindow.h"
#include "ui/SplashScreen.h"
#include "ui/plant/PlantWindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
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

// A plant of five: three simulated encoders programmed, one missing, one not sent to.
bool savePlant(MainWindow *window, const QString &folder, const QString &path)
{
    QProcess simulator;
    simulator.start(QStringLiteral(QUILLCAST_TOOLS_DIR "/quillcast-encoder-sim"),
                    {QStringLiteral("--count"), QStringLiteral("3")});
    QStringList devices;
    while (devices.size() < 3 && simulator.waitForReadyRead(10000)) {
        while (simulator.canReadLine())
            devices << QString::fromLocal8Bit(simulator.readLine()).trimmed();
    }
    const auto stop = [&simulator] {
        simulator.terminate();
        simulator.waitForFinished(3000);
    };
    if (devices.size() < 3) {
        stop();
        std::fprintf(stderr, "the simulated encoders did not start\n");
        return false;
    }
    const QString qcf = QStringLiteral("evening.qcf");
    QFile::copy(QStringLiteral(QUILLCAST_TEST_DATA "/passed.qcf"), folder + QLatin1Char('/') + qcf);
    QByteArray list;
    const QStringList names = {QStringLiteral("studio-a"), QStringLiteral("studio-b"),
                               QStringLiteral("master-control"), QStringLiteral("spare"),
                               QStringLiteral("news-2")};
    const QStringList lines = devices + QStringList{QStringLiteral("/dev/ttyUSB7"),
                                                    QStringLiteral("tcp://192.0.2.20:4001")};
    for (int i = 0; i < names.size(); ++i)
        list += QStringLiteral("[%1]\ndevice = %2\nconfiguration = %3\n\n")
                    .arg(names[i], lines[i], qcf)
                    .toUtf8();
    QFile file(folder + QStringLiteral("/plant.ini"));
    if (!file.open(QIODevice::WriteOnly) || file.write(list) != list.size()) {
        stop();
        return false;
    }
    file.close();
    window->openEncoderList(file.fileName());
    PlantWindow *plant = window->plantWindow();
    plant->table()->selectionModel()->select(
        QItemSelection(plant->table()->model()->index(0, 0), plant->table()->model()->index(3, 0)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    plant->findChild<QAction *>(QStringLiteral("actSendSelected"))->trigger();
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (plant->progressText()->text().startsWith(QLatin1String("4 of 4")))
            loop.quit();
    });
    poll.start();
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    stop();
    plant->resize(1360, 330);
    plant->table()->resizeColumnsToContents();
    plant->table()->clearSelection();
    return save(plant, path);
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
        std::fprintf(stderr, "usage: %s OUTPUT_DIR [main|plant|splash|about|help]...\n", argv[0]);
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
    if (which.contains(QLatin1String("plant")))
        ok &= savePlant(&window, settings.path(), out.filePath(QStringLiteral("plant-window.png")));
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
