#include "commands/ControlProcessing.h"

#include <QTest>

// The Caption Channels and Articles commands: channel codes, the nine blocking commands and the
// article insert and removal as they go on the wire.
class tst_CaptionArticleCommands : public QObject
{
    Q_OBJECT

private:
    // Everything one builder call queues, as the bytes that go on the wire.
    template <typename Call> static QByteArray wire(const Configuration &c, Call call)
    {
        QByteArray bytes;
        const ControlProcessing builders(
            c, {}, [&bytes](const CtrlACommand &k) { bytes += k.wireBytes(); });
        call(builders);
        return bytes;
    }

    static QByteArray soh(const QByteArray &rest) { return '\x01' + rest; }

private slots:
    // Send has the eight caption channels; Send Decoder Settings adds XDS, V-Chip and Off.
    void channelCodes_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QByteArray>("caption");
        QTest::addColumn<QByteArray>("decoder");
        const char *codes[] = {"C1", "C2", "C3",  "C4",    "T1", "T2",
                               "T3", "T4", "XDS", "VCHIP", "OFF"};
        for (int i = 0; i < 11; ++i) {
            const QByteArray code(codes[i]);
            QTest::addRow("%s", codes[i]) << i << (i < 8 ? soh("2 " + code + "\rHELLO\r\x03") : "")
                                          << soh("M " + code + '\r');
        }
        QTest::newRow("no selection") << -1 << soh("2\rHELLO\r\x03") << soh("M\r");
    }
    void channelCodes()
    {
        QFETCH(int, option);
        QFETCH(QByteArray, caption);
        QFETCH(QByteArray, decoder);
        Configuration c;
        c.oSendCaptions = c.oDecoderSettings = option;
        c.txtSendCaptions = QStringLiteral("HELLO");
        QCOMPARE(wire(c, [](const ControlProcessing &b) { b.BuildDecoderCommand(); }), decoder);
        if (!caption.isEmpty())
            QCOMPARE(wire(c, [](const ControlProcessing &b) { b.BuildTestCaptionCommand(); }),
                     caption);
    }

    // Only an exactly checked box blocks ("6"); a greyed one passes ("7").
    void blocking_data()
    {
        QTest::addColumn<QVector<int>>("boxes");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("only XDS") << QVector<int>{0, 0, 0, 0, 1, 0, 0, 0, 0}
                                  << QStringList{"7 C1", "7 C2", "7 C3", "7 C4", "6 TX",
                                                 "7 T1", "7 T2", "7 T3", "7 T4"};
        QTest::newRow("greyed boxes pass")
            << QVector<int>{2, 1, 2, 2, 2, 2, 2, 2, 1}
            << QStringList{"7 C1", "6 C2", "7 C3", "7 C4", "7 TX", "7 T1", "7 T2", "7 T3", "6 T4"};
    }
    void blocking()
    {
        QFETCH(QVector<int>, boxes);
        QFETCH(QStringList, commands);
        Configuration c;
        c.chBlockingSettings = boxes;
        QCOMPARE(wire(c, [](const ControlProcessing &b) { b.BuildBlockingCommands(); }),
                 soh(commands.join("\r\x01").toLatin1() + '\r'));
    }

    // The lines go whole, empty ones too; a file that could not be read queues nothing.
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
        row("empty file still sends its content line", {"/data/Blank.txt"}, 3,
            "0 Blank T4 12\r\r\x03");
        row("empty lines kept", {"/data/Gap.txt", "a", "", "b"}, 0, "0 Gap T1 12\ra\r\rb\r\x03");
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

    void removeArticle()
    {
        QCOMPARE(wire({},
                      [](const ControlProcessing &b) {
                          b.BuildRemoveArticleCommand(QStringLiteral("Weather"));
                          b.BuildRemoveArticleCommand(QString());
                      }),
                 soh("4 Weather D\r"));
    }

    // The name is the file's first word, without folder or extension.
    void articleName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        const auto row = [](const char *name, const char *path, const char *article) {
            QTest::newRow(name) << QString(path) << QString(article);
        };
        row("blanks", "/a/Morning News.txt", "Morning");
        row("last dot", "/a/v1.2.txt", "v1.2");
        row("dot in the folder only", "/a.b/README", "README");
        row("backslashes", "C:\\Articles\\Sports.txt", "Sports");
        row("blank before the extension", "/a/Top Story.v2.txt", "Top");
    }
    void articleName()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(ControlProcessing::ArticleNameFromPath(path), name);
    }
};

QTEST_GUILESS_MAIN(tst_CaptionArticleCommands)
#include "tst_caption_article_commands.moc"
