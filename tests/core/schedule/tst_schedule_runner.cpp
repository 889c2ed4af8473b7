#include "FixedClock.h"
#include "GoldenFiles.h"
#include "LineSettings.h"
#include "SimProcess.h"
#include "core/looping/LoopTimer.h"
#include "core/schedule/ScheduleControl.h"
#include "core/schedule/ScheduleFile.h"
#include "core/schedule/ScheduleRunner.h"
#include "core/schedule/ScheduleSource.h"
#include "core/session/LogFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// Virtual time for a runner: the wall clock, a monotonic clock and the runner's one timer. The
// sends themselves go to real (simulated) encoders in real time.
class VirtualTime : public LoopClock, public LoopTimer
{
public:
    explicit VirtualTime(const QDateTime &start) : wall(start) {}
    qint64 msecs() const override { return steady; }
    void start(int msec) override { due = steady + msec; }
    void stop() override { due = -1; }
    bool isActive() const override { return due >= 0; }

    // Both clocks move on by msec; the timer fires at each moment it is due, and each change
    // is sent before time moves on.
    void advance(qint64 msec, const std::function<bool()> &settled)
    {
        const qint64 end = steady + msec;
        while (due >= 0 && due <= end) {
            move(due - steady);
            due = -1;
            timeout();
            QVERIFY(QTest::qWaitFor(settled, 10000));
        }
        move(end - steady);
    }
    void move(qint64 msec)
    {
        steady += msec;
        wall.set(wall.now().addMSecs(msec));
    }

    FixedClock wall;
    qint64 steady = 0;
    qint64 due = -1;
};

class tst_ScheduleRunner : public QObject
{
    Q_OBJECT

private:
    const QTimeZone m_zone{"America/New_York"};
    QTemporaryDir m_dir;
    QStringList m_lines; // reported, without their time when told so

    QDateTime at(const QString &local) const
    {
        return QDateTime(QDate(2026, 12, 8), QTime::fromString(local), m_zone);
    }
    // A runner on the devices, encoders "a", "b"..., and the schedule, in virtual time.
    std::unique_ptr<ScheduleRunner> runner(VirtualTime &time, const QStringList &devices,
                                           const QByteArray &schedule)
    {
        QList<ScheduleRunner::Encoder> encoders;
        QStringList names;
        for (const QString &device : devices) {
            names << QString(QChar(char16_t(u'a' + names.size())));
            encoders << ScheduleRunner::Encoder{names.last(), device, lineSettings()};
        }
        auto r = std::make_unique<ScheduleRunner>(encoders, m_zone);
        r->setClocks(&time.wall, &time, &time);
        const ScheduleFile::Result read =
            ScheduleFile::parse("start,duration,program,system,rating\n" + schedule, "FILE", names);
        [&] { QVERIFY2(read.problem.isEmpty(), qPrintable(read.problem)); }();
        r->setSchedule(read.events);
        m_lines.clear();
        connect(r.get(), &ScheduleRunner::reported, this,
                [this](const QString &line) { m_lines << line; });
        return r;
    }
    static bool settled(const ScheduleRunner &r)
    {
        for (const QJsonValue &e : r.status().value("encoders").toArray()) {
            if (e.toObject().value("result").toString() == "sending")
                return false;
        }
        return true;
    }
    QStringList ask(const QStringList &words)
    {
        ScheduleControlClient client;
        QSignalSpy answered(&client, &ScheduleControlClient::answered);
        client.send(m_dir.filePath("control"), words);
        if (!answered.wait(5000))
            return {"no answer"};
        return QStringList{answered[0][0].toBool() ? "ok" : "refused"} +
               answered[0][1].toStringList();
    }

private slots:
    // Each change at its moment by the wall clock, over the one link kept open; a stepped clock
    // is noticed within a second, and what is on air is sent again only where it changed.
    void clockSteps()
    {
        SimProcess encoder;
        QVERIFY2(encoder.start(), qPrintable(encoder.errorString()));
        VirtualTime time(at("05:59:59"));
        auto r = runner(time, {encoder.slavePath()},
                        "default,,Station,US-TV,None\n2026-12-08 06:00,1h,News,US-TV,TV-G\n");
        r->setStatusFile(m_dir.filePath("status.json"));
        LogFile log;
        QVERIFY(log.open(m_dir.filePath("traffic.log")));
        r->setTrafficLog(&log);
        const auto done = [&] { return settled(*r); };
        r->start();
        QVERIFY(QTest::qWaitFor(done, 10000));
        time.advance(1500, done);
        time.wall.set(time.wall.now().addSecs(-3600)); // 05:00:00.500
        time.advance(1000, done);
        time.wall.set(time.wall.now().addSecs(3605)); // 06:00:06.500, News again
        time.advance(1000, done);
        time.wall.set(time.wall.now().addSecs(2)); // still News: nothing to send
        time.advance(1000, done);
        QCOMPARE(
            m_lines,
            QStringList({
                "2026-12-08 05:59:59.000 a default \"Station\": ok",
                "2026-12-08 06:00:00.000 a line 3 \"News\": ok",
                "2026-12-08 05:00:01.000 all encoders the system clock moved back by 3600.0 s: "
                "what "
                "is on air is worked out again",
                "2026-12-08 05:00:01.000 a default \"Station\": ok",
                "2026-12-08 06:00:07.000 all encoders the system clock moved forward by 3605.0 s: "
                "what is on air is worked out again",
                "2026-12-08 06:00:07.000 a line 3 \"News\": ok",
                "2026-12-08 06:00:10.000 all encoders the system clock moved forward by 2.0 s: "
                "what "
                "is on air is worked out again",
            }));
        const QJsonObject status =
            QJsonDocument::fromJson(contentsOf(m_dir.filePath("status.json"))).object();
        const QJsonObject a = status.value("encoders").toArray().at(0).toObject();
        QCOMPARE(a.value("event").toString(), "line 3 \"News\"");
        QCOMPARE(a.value("sent").toString(), "2026-12-08T06:00:07.000-05:00");
        QCOMPARE(a.value("result").toString(), "ok");
        QVERIFY(log.finish());
        QCOMPARE(contentsOf(log.fileName()).count("connected to"), 1);
    }

    // An encoder that cannot be opened, or whose line is lost between changes, is tried again
    // every 30 s until it answers, and then gets what is on air; the other one is not held up.
    void encoderComesBack()
    {
        const QString device = m_dir.filePath("tty-back");
        SimProcess other;
        QVERIFY2(other.start(), qPrintable(other.errorString()));
        VirtualTime time(at("06:10:00"));
        auto r = runner(time, {device, other.slavePath()},
                        "default,,Station,US-TV,None\ndaily 06:00,15m,News,US-TV,TV-G\n");
        const auto done = [&] { return settled(*r); };
        r->start();
        QVERIFY(QTest::qWaitFor(done, 10000));
        QCOMPARE(m_lines.size(), 2);
        QVERIFY2(m_lines.filter("b line 3 \"News\": ok").size() == 1,
                 qPrintable(m_lines.join('\n')));
        QVERIFY2(m_lines.filter("a line 3 \"News\": failed (the port could not be opened "
                                "(No such file or directory)); trying again in 30 s")
                         .size() == 1,
                 qPrintable(m_lines.join('\n')));
        SimProcess encoder;
        QVERIFY2(encoder.start({"--link", device}), qPrintable(encoder.errorString()));
        time.advance(29000, done);
        QCOMPARE(m_lines.size(), 2);
        time.advance(271000, done); // the retry at 06:10:30, then 06:15 ends News
        QStringList later = m_lines.mid(2);
        later.sort(); // the encoders answer in either order
        QCOMPARE(later, QStringList({
                            "2026-12-08 06:10:30.000 a line 3 \"News\": ok",
                            "2026-12-08 06:15:00.000 a default \"Station\": ok",
                            "2026-12-08 06:15:00.000 b default \"Station\": ok",
                        }));
        encoder.stop();
        QVERIFY(QTest::qWaitFor([&] { return m_lines.size() == 6; }, 10000));
        QVERIFY2(m_lines.last().startsWith("2026-12-08 06:15:00.000 a link: failed (the line to "
                                           "the encoder was lost"),
                 qPrintable(m_lines.last()));
        QVERIFY2(m_lines.last().endsWith("; trying again in 30 s"), qPrintable(m_lines.last()));
        QVERIFY2(encoder.start({"--link", device}), qPrintable(encoder.errorString()));
        time.advance(30000, done);
        QCOMPARE(m_lines.mid(6), QStringList{"2026-12-08 06:15:30.000 a default \"Station\": ok"});
    }

    // hold, resume --shift, override and resume through the control socket.
    void control()
    {
        SimProcess encoder;
        QVERIFY2(encoder.start(), qPrintable(encoder.errorString()));
        VirtualTime time(at("06:20:00"));
        auto r = runner(time, {encoder.slavePath()},
                        "default,,Station,US-TV,None\ndaily 06:00,30m,News,US-TV,TV-G\n"
                        "daily 06:30,30m,Talk,US-TV,TV-PG\n");
        const auto done = [&] { return settled(*r); };
        ScheduleControlServer server(r.get());
        QString problem;
        QVERIFY2(server.listen(m_dir.filePath("control"), &problem), qPrintable(problem));
        QCOMPARE(QFile::permissions(m_dir.filePath("control")) &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
        r->start();
        QVERIFY(QTest::qWaitFor(done, 10000));

        QCOMPARE(ask({"hold"}), QStringList{"ok"});
        time.advance(15 * 60000, done); // News stays past 06:30
        QCOMPARE(m_lines.filter(": ok").size(), 1);
        QCOMPARE(ask({"resume", "--shift"}), QStringList{"ok"});
        QVERIFY(QTest::qWaitFor(done, 10000));
        QCOMPARE(ask({"status"}),
                 QStringList({"ok", "a: line 4 \"Talk\" since 2026-12-08 06:35:00 "
                                    "(ok); next default \"Station\" at 2026-12-08 07:05:00"}));

        QCOMPARE(ask({"override", "program=Breaking News", "system=US-TV", "rating=TV-14"}),
                 QStringList{"ok"});
        QCOMPARE(ask({"override", "rating=TV-14"}),
                 QStringList({"refused", "refused: program: \"\" must be 2 to 32 characters"}));
        QVERIFY(QTest::qWaitFor(done, 10000));
        QCOMPARE(ask({"status"}).mid(0, 3),
                 QStringList({"ok", "override \"Breaking News\" since 2026-12-08 06:35:00",
                              "a: override \"Breaking News\" since 2026-12-08 "
                              "06:35:00 (ok); next default \"Station\" at 2026-12-08 07:05:00"}));
        time.advance(60000, done);
        QCOMPARE(ask({"resume"}), QStringList{"ok"});
        QVERIFY(QTest::qWaitFor(done, 10000));
        QCOMPARE(m_lines.filter(": ok").mid(1),
                 QStringList({"2026-12-08 06:35:00.000 a line 4 \"Talk\": ok",
                              "2026-12-08 06:35:00.000 a override \"Breaking "
                              "News\": ok",
                              "2026-12-08 06:36:00.000 a line 4 \"Talk\": ok"}));
    }

    // A changed file is read again: a bad one is refused with its problem, a good one taken,
    // also when another file takes its name.
    void reload()
    {
        const QString path = m_dir.filePath("schedule.csv");
        QVERIFY(writeFile(path, "start,program,system,rating\ndefault,Station,MPA,G\n"));
        ScheduleSource source(path, {"a"});
        QSignalSpy loaded(&source, &ScheduleSource::loaded);
        QSignalSpy refused(&source, &ScheduleSource::refused);
        source.reload();
        QCOMPARE(loaded.size(), 1);
        QVERIFY(writeFile(path, "start,program,system,rating\ndefault,Station,MPA,GG\n"));
        QVERIFY(refused.wait(5000));
        QVERIFY2(refused[0][0].toString().endsWith("schedule.csv:2: column 4 (rating): \"GG\" is "
                                                   "not a rating of MPA: N/A, G, PG, PG-13, R, "
                                                   "NC-17, X or Not Rated"),
                 qPrintable(refused[0][0].toString()));
        QVERIFY(writeFile(path + ".new", "start,program,system,rating\ndaily 05:00,News,MPA,R\n"));
        QVERIFY(::rename(qPrintable(path + ".new"), qPrintable(path)) == 0);
        QVERIFY(loaded.wait(5000));
        QCOMPARE(loaded[1][0].value<QList<ScheduleEvent>>().at(0).program, "News");
        QCOMPARE(refused.size(), 1);
    }
};

QTEST_GUILESS_MAIN(tst_ScheduleRunner)
#include "tst_schedule_runner.moc"
