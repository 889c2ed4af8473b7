#include "commands/ControlProcessing.h"

#include <QTest>

namespace {

// Everything one builder call queues, as the bytes that go on the wire.
template <typename Call> QByteArray wire(const Configuration &c, Call call)
{
    QByteArray bytes;
    const ControlProcessing builders(c, {},
                                     [&bytes](const CtrlACommand &k) { bytes += k.wireBytes(); });
    call(builders);
    return bytes;
}

QByteArray soh(const QByteArray &rest)
{
    return '\x01' + rest;
}

} // namespace

// The commands of single operations on the Caption Channels and Articles tabs, as they go on the
// wire (the Web TV trigger and its checksum are in the golden files).
class tst_CaptionArticleCommands : public QObject
{
    Q_OBJECT

private slots:
    // The test caption goes to one of eight channels (the decoder's codes are in the golden
    // files).
    void testCaption_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QByteArray>("bytes");
        const char *codes[] = {"C1", "C2", "C3", "C4", "T1", "T2", "T3", "T4"};
        for (int i = 0; i < 8; ++i)
            QTest::addRow("%s", codes[i]) << i << soh(QByteArray("2 ") + codes[i] + "\rHI\r\x03");
        QTest::newRow("no selection") << -1 << soh("2\rHI\r\x03");
    }
    void testCaption()
    {
        QFETCH(int, option);
        QFETCH(QByteArray, bytes);
        Configuration c;
        c.oSendCaptions = option;
        c.txtSendCaptions = QStringLiteral("HI");
        QCOMPARE(wire(c, [](const ControlProcessing &b) { b.BuildTestCaptionCommand(); }), bytes);
    }

    // The lines go whole, empty ones too, under the file's first word without folder or
    // extension; a file that could not be read queues nothing.
    void insertArticle_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("channel");
        QTest::addColumn<QByteArray>("bytes");
        const auto row = [](const char *name, const QStringList &lines, int channel,
                            const QByteArray &afterSoh) {
            QTest::newRow(name) << lines << channel
                                << (afterSoh.isEmpty() ? afterSoh : soh(afterSoh));
        };
        row("Weather on T3", {"/data/articles/Weather.txt", "Sunny", "Warm"}, 2,
            "0 Weather T3 12\rSunny\rWarm\r\x03");
        row("empty file still sends its content line", {"/a/Blank.txt"}, 3,
            "0 Blank T4 12\r\r\x03");
        row("empty lines kept", {"/data/Gap.txt", "a", "", "b"}, 0, "0 Gap T1 12\ra\r\rb\r\x03");
        row("name to the first blank", {"/a/Top Story.v2.txt"}, 0, "0 Top T1 12\r\r\x03");
        row("name to the last dot", {"/a/v1.2.txt"}, 0, "0 v1.2 T1 12\r\r\x03");
        row("dot in the folder only", {"/a.b/README"}, 0, "0 README T1 12\r\r\x03");
        row("backslashes", {"C:\\Articles\\Sports.txt"}, 0, "0 Sports T1 12\r\r\x03");
        row("unreadable", {QString()}, 0, "");
        row("no list at all", {}, 0, "");
    }
    void insertArticle()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, channel);
        QFETCH(QByteArray, bytes);
        Configuration c;
        c.oInsertArticles = channel;
        c.txtInsArticleRepeat = QStringLiteral("12");
        QCOMPARE(wire(c, [&](const ControlProcessing &b) { b.BuildInsertArticleCommand(lines); }),
                 bytes);
    }
};

QTEST_GUILESS_MAIN(tst_CaptionArticleCommands)
#include "tst_caption_article_commands.moc"
