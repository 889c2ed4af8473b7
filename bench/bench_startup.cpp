// How quickly the main window is there: the time from starting the program to the end of the
// window's first paint, and the peak memory by then, against a bare Qt window (a QMainWindow
// with a label) started by the same program. Runs alternate between the two, so that a busy
// moment of the machine touches both alike; the figures are medians.
//
//   bench_startup [--runs N]    (default 15; needs a screen: run it under xvfb-run)
//
// Each run is a fresh process of this program in one of three roles: "bare", "main" (the main
// window as `quillcast --no-splash` shows it, with the plant's defaults stored so that the
// first-start dialog does not come) and "splash" (the splash window). The child reports the
// first paint of its window, its peak resident memory and how much of the program's own code is
// in memory then, and exits at once. The last grows when src/first-paint-functions.txt is out of
// date (scripts/first-paint-order.sh writes it again).

#include "core/common/AppInfo.h"
#include "core/config/DefaultInfo.h"
#include "ui/StartUp.h"
#include "ui/WindowIcon.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The resident part of this program's code, in KiB: the pages of its executable mapping that are
// present (read from /proc/self/pagemap, so that measuring costs the run next to nothing).
long ownCodeKiB()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    QFile pagemap(QStringLiteral("/proc/self/pagemap"));
    if (!maps.open(QIODevice::ReadOnly) || !pagemap.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray program =
        QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().toLocal8Bit();
    const quint64 pageSize = quint64(::sysconf(_SC_PAGESIZE));
    long pages = 0;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        // "start-end perms offset device inode path"
        if (!line.endsWith(' ' + program) || line.indexOf(" r-xp ") < 0)
            continue;
        const int dash = line.indexOf('-');
        const quint64 start = line.left(dash).toULongLong(nullptr, 16);
        const quint64 end =
            line.mid(dash + 1, line.indexOf(' ') - dash - 1).toULongLong(nullptr, 16);
        QList<quint64> entries((end - start) / pageSize);
        if (!pagemap.seek(qint64(start / pageSize * sizeof(quint64))))
            return 0;
        pagemap.read(reinterpret_cast<char *>(entries.data()), entries.size() * sizeof(quint64));
        for (const quint64 entry : entries)
            pages += (entry >> 63) & 1; // bit 63: present
    }
    return long(pages * pageSize / 1024);
}

// Ends the child right after the first paint of a window of the given class has been flushed to
// the screen: once the event loop is back from painting, the window is there.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(const char *windowClass) : m_class(windowClass) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->window()->inherits(m_class)) {
            m_seen = true;
            QTimer::singleShot(0, [] {
                rusage usage = {};
                ::getrusage(RUSAGE_SELF, &usage);
                std::printf("painted %ld %ld\n", usage.ru_maxrss, ownCodeKiB());
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    const char *m_class;
    bool m_seen = false;
};

int child(int argc, char *argv[], const QString &role)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
    QCoreApplication::setApplicationName(QStringLiteral("quillcast"));
    if (role == QLatin1String("bare")) {
        FirstPaint painted("QMainWindow");
        app.installEventFilter(&painted);
        QMainWindow window;
        window.setCentralWidget(new QLabel(QStringLiteral("Quillcast")));
        window.show();
        return QApplication::exec();
    }
    QGuiApplication::setDesktopFileName(AppInfo::DesktopId);
    QGuiApplication::setWindowIcon(WindowIcon::icon());
    FirstPaint painted(role == QLatin1String("splash") ? "SplashScreen" : "MainWindow");
    app.installEventFilter(&painted);
    StartUp startUp(role == QLatin1String("splash"));
    startUp.start();
    return QApplication::exec();
}

struct Run
{
    double ms = 0;
    long peakKiB = 0;
    long codeKiB = 0;
};

bool runOnce(const QString &role, const QProcessEnvironment &env, Run *run)
{
    QProcess process;
    process.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--role"), role});
    if (!process.waitForFinished(30000))
        return false;
    run->ms = clock.nsecsElapsed() / 1e6;
    const QByteArray out = process.readAllStandardOutput().trimmed();
    if (!out.startsWith("painted "))
        return false;
    const QList<QByteArray> figures = out.mid(8).split(' ');
    run->peakKiB = figures.value(0).toLong();
    run->codeKiB = figures.value(1).toLong();
    return true;
}

template <typename T> T median(QList<T> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "--role") == 0)
            return child(argc, argv, QString::fromLatin1(argv[i + 1]));
    }
    QCoreApplication app(argc, argv);
    int runs = 15;
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "--runs") == 0)
            runs = std::max(1, atoi(argv[i + 1]));
    }

    // A settings store of its own, with the plant's defaults, so that the main window comes up
    // as it does on every start after the first.
    QTemporaryDir config;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.remove(QStringLiteral("QUILLCAST_SIMULATOR"));
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    DefaultInfo{QStringLiteral("Quill Network"), QStringLiteral("KQIL"), QStringLiteral("1234")}
        .saveDefaultInfo();

    const QStringList roles = {QStringLiteral("bare"), QStringLiteral("main"),
                               QStringLiteral("splash")};
    QHash<QString, QList<double>> times;
    QHash<QString, QList<long>> peaks;
    QHash<QString, QList<long>> code;
    for (int i = 0; i < runs; ++i) {
        for (const QString &role : roles) {
            Run run;
            if (!runOnce(role, env, &run)) {
                std::fprintf(stderr, "the %s window did not paint\n", qPrintable(role));
                return 1;
            }
            times[role] << run.ms;
            peaks[role] << run.peakKiB;
            code[role] << run.codeKiB;
        }
    }
    const double bareMs = median(times.value(QStringLiteral("bare")));
    const long bareKiB = median(peaks.value(QStringLiteral("bare")));
    std::printf("%d runs each, alternating; medians to the end of the first paint\n", runs);
    for (const QString &role : roles) {
        const double ms = median(times.value(role));
        const long kiB = median(peaks.value(role));
        std::printf("%-7s %7.1f ms (%.2fx)   peak %6.1f MB (%.2fx)   own code %4ld KB\n",
                    qPrintable(role), ms, ms / bareMs, kiB / 1024.0, double(kiB) / bareKiB,
                    median(code.value(role)));
    }
    return 0;
}
