// How late a schedule's changes reach the encoders: quillcast-send --schedule against simulated
// encoders (quillcast-encoder-sim --count N --log), one event every 2 s for a minute, for 1 and
// for 50 encoders. For each change on each encoder it takes the simulator's time stamp of the
// first command of the change on the line (the readiness query that starts it on the link kept
// open) and of the program name packet, minus the event's start, and prints the median and the
// worst, with the one-minute load average before and after: on a busy machine the figures
// mean little.
//
//   bench_schedule [SECONDS] [ENCODERS...]     default: 60 s, 1 and 50 encoders

#include "SimProcess.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr qint64 EverySeconds = 2;

struct Lateness
{
    QList<qint64> first;   // the first command of the change on the line
    QList<qint64> program; // the program name packet
};

// The one-minute load average: on a shared machine the figures are read against it.
QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().split(' ').value(0))
                                          : QStringLiteral("?");
}

qint64 worst(const QList<qint64> &values)
{
    return values.isEmpty() ? -1 : *std::max_element(values.begin(), values.end());
}

qint64 median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}

// The commands one simulated encoder received: time stamp and readable text.
QList<QPair<qint64, QString>> received(const QString &log)
{
    QList<QPair<qint64, QString>> lines;
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() >= 3)
            lines.append({fields[0].toLongLong(), QString::fromLatin1(fields[2])});
    }
    return lines;
}

bool measure(int encoders, int seconds, Lateness *lateness)
{
    QTemporaryDir dir;
    SimProcess simulator;
    const QString log = dir.filePath("sim.log");
    if (!simulator.start({"--count", QString::number(encoders), "--log", log})) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(simulator.errorString()));
        return false;
    }
    QByteArray list;
    for (int i = 0; i < encoders; ++i)
        list +=
            QStringLiteral("[e%1]\ndevice = %2\n").arg(i + 1).arg(simulator.devices()[i]).toUtf8();
    QFile listFile(dir.filePath("plant.ini"));
    listFile.open(QIODevice::WriteOnly);
    listFile.write(list);
    listFile.close();

    // The first event a few seconds from now, on a whole second.
    const qint64 first = (QDateTime::currentMSecsSinceEpoch() / 1000 + 4) * 1000;
    QList<qint64> starts;
    QByteArray schedule = "start,program,system,rating\n";
    for (qint64 at = first; at < first + seconds * 1000; at += EverySeconds * 1000) {
        starts << at;
        schedule += QDateTime::fromMSecsSinceEpoch(at).toString("yyyy-MM-dd HH:mm:ss").toUtf8() +
                    ",Event " + QByteArray::number(starts.size()) + ",US-TV,TV-G\n";
    }
    QFile scheduleFile(dir.filePath("schedule.csv"));
    scheduleFile.open(QIODevice::WriteOnly);
    scheduleFile.write(schedule);
    scheduleFile.close();

    QProcess send;
    send.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    send.start(QStringLiteral(QUILLCAST_TOOLS_DIR "/quillcast-send"),
               {"--schedule", scheduleFile.fileName(), "--encoders", listFile.fileName()});
    send.waitForFinished(int(starts.last() + 3000 - QDateTime::currentMSecsSinceEpoch()));
    send.terminate();
    send.waitForFinished(30000);
    simulator.stop();

    for (int i = 0; i < encoders; ++i) {
        const auto lines = received(encoders == 1 ? log : log + '.' + QString::number(i + 1));
        for (int k = 0; k < starts.size(); ++k) {
            const qint64 end = k + 1 < starts.size() ? starts[k + 1] : starts[k] + 2000;
            bool seenFirst = false;
            for (const auto &[at, text] : lines) {
                if (at < starts[k] || at >= end)
                    continue;
                if (!seenFirst) {
                    lateness->first << at - starts[k];
                    seenFirst = true;
                }
                if (text.contains("P 0103")) {
                    lateness->program << at - starts[k];
                    break;
                }
            }
        }
    }
    const int expected = encoders * int(starts.size());
    if (lateness->program.size() != expected)
        std::fprintf(stderr, "%d encoders: %d of %d changes arrived\n", encoders,
                     int(lateness->program.size()), expected);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const int seconds = arguments.value(0, "60").toInt();
    QList<int> counts;
    for (const QString &count : arguments.mid(1))
        counts << count.toInt();
    if (counts.isEmpty())
        counts = {1, 50};
    std::printf("one event every %lld s for %d s; lateness after the event's start, in ms\n",
                EverySeconds, seconds);
    std::printf("%9s %8s %14s %14s %16s %16s %12s\n", "encoders", "changes", "first median",
                "first worst", "program median", "program worst", "load");
    for (int count : counts) {
        Lateness lateness;
        const QString load = loadAverage();
        if (!measure(count, seconds, &lateness))
            return 1;
        std::printf("%9d %8d %14lld %14lld %16lld %16lld %5s, %5s\n", count,
                    int(lateness.program.size()), median(lateness.first), worst(lateness.first),
                    median(lateness.program), worst(lateness.program), qPrintable(load),
                    qPrintable(loadAverage()));
        std::fflush(stdout);
    }
    return 0;
}
