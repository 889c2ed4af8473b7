#include "looping/CaptionLoopFile.h"
#include "looping/CaptionLoopLink.h"
#include "looping/CaptionLoopScheduler.h"
#include "looping/LoopTimer.h"

#include <QSignalSpy>
#include <QTest>

namespace {

using Settings = CaptionLoopFile::Settings;

// Virtual time: the loop timer fires when the test moves the clock past it, lateMs after it was
// due, as a busy event loop would deliver it.
struct VirtualTime : LoopTimer, LoopClock
{
    qint64 now = 0;
    qint64 due = -1;
    int lateMs = 0;
    void start(int msec) override { due = now + msec; }
    void stop() override { due = -1; }
    bool isActive() const override { return due >= 0; }
    qint64 msecs() const override { return now; }
    void runUntil(qint64 end)
    {
        while (due >= 0 && due + lateMs <= end) {
            now = due + lateMs;
            due = -1;
            timeout();
        }
        now = end;
    }
};

// An encoder that answers at once unless busy: a transaction drains the queue.
struct FakeLink : CaptionLoopLink
{
    VirtualTime *time = nullptr;
    bool open = true;
    bool busy = false;
    QList<CtrlACommand> queue;
    QList<qint64> sentAt;
    QList<CtrlACommand> sent;
    bool portIsOpen() const override { return open; }
    void addCommand(const CtrlACommand &command) override { queue << command; }
    int queueCount() const override { return queue.size(); }
    void startTransaction() override
    {
        if (busy)
            return;
        for (const CtrlACommand &command : std::as_const(queue))
            sentAt << time->now, sent << command;
        queue.clear();
    }
};

} // namespace

class tst_CaptionLoop : public QObject
{
    Q_OBJECT

    VirtualTime m_time;
    FakeLink m_link;
    std::unique_ptr<CaptionLoopScheduler> m_loop;

private slots:
    void init()
    {
        m_loop.reset();
        m_time = VirtualTime();
        m_link = FakeLink();
        m_link.time = &m_time;
        m_loop = std::make_unique<CaptionLoopScheduler>(&m_time, &m_time, &m_link);
    }

    // The file's rules, one row per rule; "before" are the settings the labels already show.
    void load_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Settings>("before");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<Settings>("after");
        QTest::addColumn<QStringList>("messages");
        const QString kLine = CaptionLoopFile::LineDelayMessage;
        const QString kLoop = CaptionLoopFile::LoopDelayMessage;
        const QString kChannel = CaptionLoopFile::ChannelMessage;
        const QStringList kNotes = {CaptionLoopFile::LineDelayNote, CaptionLoopFile::LoopDelayNote,
                                    CaptionLoopFile::ChannelNote};
        const Settings none;
        const Settings set{2, 9, 3};
        QTest::newRow("cut to 32")
            << QString(40, 'A') << set << QStringList{QString(32, 'A')} << set << QStringList();
        QTest::newRow("\\// caption, // comment, blank before //")
            << "\\//one\n//two\n //LINEDELAY=5" << set << QStringList{"//one", " //LINEDELAY=5"}
            << set << QStringList();
        QTest::newRow("only directives") << "//LINEDELAY=5\n//loopdelay=6\n//CcChannel=2" << none
                                         << QStringList{""} << Settings{5, 6, 2} << QStringList();
        QTest::newRow("empty file") << "" << none << QStringList{""} << Settings{1, 1, 1} << kNotes;
        QTest::newRow("anywhere, last wins, each message")
            << "a\n//LINEDELAY=0\nb\n//LINEDELAY=99\n//LINEDELAY=4\n//LOOPDELAY=75" << set
            << QStringList{"a", "b"} << Settings{4, 60, 3} << QStringList{kLine, kLine, kLoop};
        QTest::newRow("channel falls back to 1")
            << "//CCCHANNEL=9\n//LOOPDELAY=0\n//CCCHANNEL=0" << Settings{0, 9, 3} << QStringList{""}
            << Settings{1, 1, 1} << QStringList{kChannel, kLoop, kChannel, kNotes[0]};
        QTest::newRow("second file keeps a setting")
            << "x\n//CCCHANNEL=4" << Settings{0, 7, 2} << QStringList{"x"} << Settings{1, 7, 4}
            << QStringList{kNotes[0]};
    }
    void load()
    {
        QFETCH(QString, text);
        QFETCH(Settings, before);
        CaptionLoopFile file;
        file.setSettings(before);
        QStringList messages;
        QVERIFY(
            file.load(QStringList{"f.txt"} + (text.isEmpty() ? QStringList() : text.split('\n')),
                      [&messages](const QString &m) { messages << m; }));
        QTEST(file.lines(), "lines");
        QTEST(file.settings(), "after");
        QTEST(messages, "messages");

        // A file that could not be read changes nothing.
        QVERIFY(!file.load({QString()}, [&messages](const QString &m) { messages << m; }));
        QTEST(file.lines(), "lines");
        QTEST(messages, "messages");
    }

    void directiveNumber_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("lineDelay");
        QTest::addColumn<bool>("message");
        QTest::newRow("blank before") << " 7" << 7 << false;
        QTest::newRow("half to even down") << "2.5" << 2 << false;
        QTest::newRow("half to even up") << "3.5" << 4 << false;
        QTest::newRow("hexadecimal") << "&H0A" << 10 << false;
        QTest::newRow("exponent") << "1e1" << 10 << false;
        QTest::newRow("letters only") << "seven" << 1 << true;
        QTest::newRow("beyond 16 bits") << "40000" << 60 << true;
        QTest::newRow("below 16 bits") << "-40000" << 1 << true;
    }
    void directiveNumber()
    {
        QFETCH(QString, value);
        CaptionLoopFile file;
        QStringList messages;
        file.load({"f.txt", "//LineDelay=" + value},
                  [&messages](const QString &m) { messages << m; });
        QTEST(file.settings().lineDelay, "lineDelay");
        QTEST(messages.contains(CaptionLoopFile::LineDelayMessage), "message");
    }

    // Send times in ms after Start; the first line goes out 1 ms after it.
    void sendTimes_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("lateMs");
        QTest::addColumn<QList<qint64>>("times");
        QTest::newRow("two lines")
            << QStringList{"a", "b"} << 0 << QList<qint64>{1, 3001, 13001, 16001, 26001};
        QTest::newRow("late ticks do not add up")
            << QStringList{"a", "b"} << 7 << QList<qint64>{8, 3008, 13008, 16008, 26008};
        QTest::newRow("one line: loop delay only")
            << QStringList{"a"} << 0 << QList<qint64>{1, 10001, 20001, 30001};
    }
    void sendTimes()
    {
        QFETCH(QStringList, lines);
        QFETCH(QList<qint64>, times);
        QFETCH(int, lateMs);
        m_time.lateMs = lateMs;
        m_loop->start(lines, {3, 10, 2}, CaptionLoopScheduler::Continuous);
        m_time.runUntil(times.last());
        QCOMPARE(m_link.sentAt, times);
        QCOMPARE(m_link.sent.at(1).wireBytes(), QByteArray("\x01"
                                                           "2 C2\r") +
                                                    lines.value(1, "a").toLatin1() + "\r\x03");
    }

    void emptyCaption()
    {
        m_loop->start({}, {1, 4, 1}, CaptionLoopScheduler::Continuous);
        m_time.runUntil(8001);
        QCOMPARE(m_link.sentAt, (QList<qint64>{1, 4001, 8001}));
        QCOMPARE(m_link.sent.first().wireBytes(), QByteArray("\x01"
                                                             "2 C1\r\r\x03"));
    }

    // While earlier commands wait, ticks are 5000 ms apart; once the queue has drained to the
    // newest command, the line delay again.
    void slowEncoder()
    {
        m_link.busy = true;
        m_loop->start({"a", "b", "c"}, {1, 2, 1}, CaptionLoopScheduler::Continuous);
        QList<int> intervals;
        for (int tick = 0; tick < 5; ++tick) {
            if (tick == 2) {
                m_link.busy = false;
                m_link.queue.clear(); // the encoder has caught up
            }
            m_time.runUntil(m_time.due);
            intervals << m_loop->interval();
        }
        QCOMPARE(intervals, (QList<int>{1000, 5000, 2000, 1000, 1000}));
    }

    void countdown()
    {
        QSignalSpy left(m_loop.get(), &CaptionLoopScheduler::timeLeftChanged);
        QSignalSpy done(m_loop.get(), &CaptionLoopScheduler::completed);
        m_loop->start({"a"}, {1, 1, 1}, 5);
        for (int i = 0; i < 6; ++i)
            m_loop->secondTick();
        QCOMPARE(left.size(), 5);
        QCOMPARE(left.first().first().toString(), QStringLiteral("00:00:04"));
        QCOMPARE(left.last().first().toString(), QStringLiteral("00:00:00"));
        QCOMPARE(done.size(), 1);
        QVERIFY(!m_loop->isRunning());

        m_loop->start({"a"}, {1, 1, 1}, CaptionLoopScheduler::Continuous);
        m_loop->secondTick();
        QCOMPARE(left.size(), 5);
        QVERIFY(m_loop->isRunning());
    }

    void stopAndLostConnection()
    {
        QSignalSpy lost(m_loop.get(), &CaptionLoopScheduler::connectionLost);
        m_link.busy = true;
        m_loop->start({"a", "b"}, {1, 1, 1}, CaptionLoopScheduler::Continuous);
        m_time.runUntil(2000);
        m_loop->stop();
        m_time.runUntil(60000);
        QCOMPARE(m_link.queue.size(), 2); // queued lines stay queued
        QVERIFY(lost.isEmpty());

        m_loop->start({"a"}, {1, 1, 1}, CaptionLoopScheduler::Continuous);
        m_link.open = false;
        m_time.runUntil(70000);
        QCOMPARE(lost.size(), 1);
        QCOMPARE(m_link.queue.size(), 2);
        QVERIFY(!m_loop->isRunning());
    }
};

Q_DECLARE_METATYPE(CaptionLoopFile::Settings)

QTEST_GUILESS_MAIN(tst_CaptionLoop)
#include "tst_caption_loop.moc"
