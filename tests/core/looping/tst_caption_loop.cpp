#include "DataRows.h"
#include "core/common/ReadTextFile.h"
#include "core/looping/CaptionLoopFile.h"
#include "core/looping/CaptionLoopLink.h"
#include "core/looping/CaptionLoopScheduler.h"
#include "core/looping/LoopTimer.h"

#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using Settings = CaptionLoopFile::Settings;
Q_DECLARE_METATYPE(TextFileError)

namespace {

// Virtual time: the loop timer fires when the test moves the clock past it, lateMs after it was
// due, as a busy event loop would deliver it.
struct VirtualTime : LoopTimer, LoopClock
{
    qint64 now = 0, due = -1;
    int lateMs = 0;
    void start(int msec) override { due = now + msec; }
    void stop() override { due = -1; }
    bool isActive() const override { return due >= 0; }
    qint64 msecs() const override { return now; }
    void runUntil(qint64 end)
    {
        for (; due >= 0 && due + lateMs <= end; timeout())
            now = due + lateMs, due = -1;
        now = end;
    }
};

// An encoder that answers at once unless busy: a transaction drains the queue. One started on a
// busy encoder stays in flight, awaiting its reply; starting another then cuts that one short.
struct FakeLink : CaptionLoopLink
{
    const VirtualTime *time = nullptr;
    bool open = true, busy = false, inFlight = false;
    int cutShort = 0;
    QList<CtrlACommand> queue, sent;
    QList<qint64> sentAt;
    bool portIsOpen() const override { return open; }
    void addCommand(const CtrlACommand &command) override { queue << command; }
    int queueCount() const override { return queue.size(); }
    bool transactionInFlight() const override { return inFlight; }
    void startTransaction() override
    {
        cutShort += inFlight;
        inFlight = busy;
        for (; !busy && !queue.isEmpty(); sentAt << time->now)
            sent << queue.takeFirst();
    }
};

QStringList load(CaptionLoopFile &file, const QStringList &lines)
{
    QStringList messages;
    file.load(QStringList{"f.txt"} + lines, [&messages](const QString &m) { messages << m; });
    return messages;
}

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

    // The file's rules, one row per rule (tests/data/caption-loop-file.rows).
    void rules_data()
    {
        addRows("caption-loop-file", {"text", "before", "lines", "after", "said"});
    }
    void rules()
    {
        QFETCH(QString, text);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, said);
        const auto settings = [](const QString &numbers) {
            const QStringList n = numbers.split(' ');
            return Settings{n[0].toInt(), n[1].toInt(), n[2].toInt()};
        };
        const QMap<QString, QString> messages = {{"line", CaptionLoopFile::LineDelayMessage},
                                                 {"loop", CaptionLoopFile::LoopDelayMessage},
                                                 {"channel", CaptionLoopFile::ChannelMessage},
                                                 {"line-note", CaptionLoopFile::LineDelayNote},
                                                 {"loop-note", CaptionLoopFile::LoopDelayNote},
                                                 {"channel-note", CaptionLoopFile::ChannelNote}};
        QStringList expected;
        for (const QString &about : said.split(' ', Qt::SkipEmptyParts))
            expected << messages.value(about);
        CaptionLoopFile file;
        file.setSettings(settings(before));
        QCOMPARE(load(file, text.isEmpty() ? QStringList() : text.split('\n')), expected);
        QTEST(file.lines().join('\n'), "lines");
        QCOMPARE(file.settings(), settings(after));
    }

    // Only a regular file of at most 16 MiB is read; anything else reads at once as a file that
    // cannot be read, and tells why (what the loop then keeps is the CC Looping tab's test).
    void onlyRegularFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<TextFileError>("error");
        QTest::newRow("FIFO") << "fifo" << 0LL << TextFileError::Unreadable;
        QTest::newRow("missing") << "none.txt" << 0LL << TextFileError::Unreadable;
        QTest::newRow("over 16 MiB") << "big.txt" << MaxTextFileSize + 1 << TextFileError::TooLarge;
        QTest::newRow("16 MiB file") << "loop.txt" << MaxTextFileSize << TextFileError::None;
    }
    void onlyRegularFiles()
    {
        QFETCH(QString, name);
        QFETCH(qint64, size);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QFile out(path);
        if (name == "fifo")
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        else if (size > 0)
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write("x\r\n") && out.resize(size));
        ::alarm(20); // a reader that waits on the FIFO ends the test instead of hanging it
        TextFileError why = TextFileError::None;
        const QStringList lines = readTextFile(path, &why);
        ::alarm(0);
        QTEST(why, "error");
        QCOMPARE(lines.value(1), QString(name == "loop.txt" ? "x" : ""));
    }

    // Send times in ms after Start (line delay 3 s, loop delay 10 s); the first line goes out
    // 1 ms after Start.
    void sendTimes_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<int>>("settings"); // line delay, loop delay, channel
        QTest::addColumn<int>("lateMs");
        QTest::addColumn<QList<qint64>>("times");
        QTest::addColumn<int>("channel"); // of the second command
        const QStringList two{"a", "b"};
        const QList<int> usual{3, 10, 2};
        QTest::newRow("two lines")
            << two << usual << 0 << QList<qint64>{1, 3001, 13001, 16001, 26001} << 2;
        QTest::newRow("late ticks do not add up")
            << two << usual << 7 << QList<qint64>{8, 3008, 13008, 16008, 26008} << 2;
        QTest::newRow("one line: loop delay only")
            << QStringList{"a"} << usual << 0 << QList<qint64>{1, 10001, 20001} << 2;
        QTest::newRow("no captions: one empty one")
            << QStringList() << usual << 0 << QList<qint64>{1, 10001, 20001} << 2;
        // Whatever the caller passes: delays of 1 to 60 s, a channel of 1 to 4.
        QTest::newRow("delays 0 and 61 s, channel 5")
            << two << QList<int>{0, 61, 5} << 0 << QList<qint64>{1, 1001, 61001, 62001, 122001}
            << 1;
        QTest::newRow("delays 61 and 0 s, channel 0")
            << two << QList<int>{61, 0, 0} << 0 << QList<qint64>{1, 60001, 61001, 121001, 122001}
            << 1;
    }
    void sendTimes()
    {
        QFETCH(QStringList, lines);
        QFETCH(QList<int>, settings);
        QFETCH(QList<qint64>, times);
        QFETCH(int, lateMs);
        m_time.lateMs = lateMs;
        m_loop->start(lines, {settings[0], settings[1], settings[2]},
                      CaptionLoopScheduler::Continuous);
        m_time.runUntil(times.last());
        QCOMPARE(m_link.sentAt, times);
        QFETCH(int, channel);
        QCOMPARE(m_link.sent.at(1).wireBytes(), "\x01"
                                                "2 C" +
                                                    QByteArray::number(channel) + '\r' +
                                                    lines.value(1, lines.value(0)).toLatin1() +
                                                    "\r\x03");
    }

    // While earlier commands or a reply (a long one, with nothing queued) are awaited, ticks
    // are 5000 ms apart and no transaction cuts the awaited one short; once the encoder has
    // caught up, the delays of the file again.
    void slowEncoder_data()
    {
        QTest::addColumn<bool>("replyAwaited");
        QTest::addColumn<QList<int>>("intervals");
        QTest::newRow("idle at Start") << false << QList<int>{1000, 5000, 2000, 1000, 1000};
        QTest::newRow("reply awaited at Start") << true << QList<int>{5000, 5000, 2000, 1000, 1000};
    }
    void slowEncoder()
    {
        QFETCH(bool, replyAwaited);
        m_link.busy = true;
        m_link.inFlight = replyAwaited;
        m_loop->start({"a", "b", "c"}, {1, 2, 1}, CaptionLoopScheduler::Continuous);
        QList<int> intervals;
        for (int tick = 0; tick < 5; ++tick) {
            if (tick == 2) // the encoder has caught up
                m_link.busy = m_link.inFlight = false, m_link.queue.clear();
            m_time.runUntil(m_time.due);
            intervals << m_loop->interval();
        }
        QTEST(intervals, "intervals");
        QCOMPARE(m_link.cutShort, 0);
    }

    void stopKeepsQueuedLines()
    {
        m_link.busy = true;
        m_loop->start({"a", "b"}, {1, 1, 1}, CaptionLoopScheduler::Continuous);
        m_time.runUntil(2000);
        m_loop->stop();
        m_time.runUntil(60000);
        QCOMPARE(m_link.queue.size(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_CaptionLoop)
#include "tst_caption_loop.moc"
