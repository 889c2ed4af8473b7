#include "commands/ControlProcessing.h"

#include <QTest>

// The Caption Channels and Articles commands: channel codes, the nine blocking commands and the
// article insert and removal as they go on the wire.
class tst_CaptionArticleCommands : public QObject
{
    Q_OBJECT

private:
    struct Recorder
    {
        QList<CtrlACommand> queued;
        ControlProcessing builders(const Configuration &c)
        {
            return ControlProcessing(c, {}, [this](const CtrlACommand &k) { queued << k; });
        }
        QStringList modesAndArgs() const
        {
            QStringList all;
            for (const CtrlACommand &k : queued)
                all << k.mode + QLatin1Char('|') + k.args;
            return all;
        }
    };

private slots:
    void testCaption_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("code");
        const char *codes[] = {"C1", "C2", "C3", "C4", "T1", "T2", "T3", "T4"};
        for (int i = 0; i < 8; ++i)
            QTest::addRow("%s", codes[i]) << i << QString::fromLatin1(codes[i]);
        QTest::newRow("no selection") << -1 << "";
    }
    void testCaption()
    {
        QFETCH(int, channel);
        QFETCH(QString, code);
        Configuration c;
        c.oSendCaptions = channel;
        c.txtSendCaptions = QStringLiteral("HELLO");
        Recorder r;
        r.builders(c).BuildTestCaptionCommand();
        QCOMPARE(r.queued.size(), 1);
        const CtrlACommand &k = r.queued.first();
        QCOMPARE(k.mode, QStringLiteral("2"));
        QCOMPARE(k.args, code);
        QCOMPARE(k.content, QStringLiteral("HELLO"));
        QVERIFY(k.ctrlC);
        QVERIFY(!k.sendBlankContents);
    }

    void testCaptionWireBytes()
    {
        Configuration c;
        c.oSendCaptions = 5;
        c.txtSendCaptions = QStringLiteral("HELLO");
        Recorder r;
        r.builders(c).BuildTestCaptionCommand();
        QCOMPARE(r.queued.value(0).wireBytes(), QByteArray("\x01"
                                                           "2 T2\rHELLO\r\x03"));
    }

    void decoder_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("code");
        const char *codes[] = {"C1", "C2", "C3",  "C4",    "T1", "T2",
                               "T3", "T4", "XDS", "VCHIP", "OFF"};
        for (int i = 0; i < 11; ++i)
            QTest::addRow("%s", codes[i]) << i << QString::fromLatin1(codes[i]);
        QTest::newRow("no selection") << -1 << "";
    }
    void decoder()
    {
        QFETCH(int, option);
        QFETCH(QString, code);
        Configuration c;
        c.oDecoderSettings = option;
        Recorder r;
        r.builders(c).BuildDecoderCommand();
        QCOMPARE(r.modesAndArgs(), QStringList{QStringLiteral("M|") + code});
        QVERIFY(r.queued.first().content.isEmpty());
        QVERIFY(!r.queued.first().ctrlC);
    }

    void decoderWireBytes()
    {
        Configuration c;
        c.oDecoderSettings = 9;
        Recorder r;
        r.builders(c).BuildDecoderCommand();
        QCOMPARE(r.queued.value(0).wireBytes(), QByteArray("\x01M VCHIP\r"));
    }

    void blocking_data()
    {
        QTest::addColumn<QVector<int>>("boxes");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("only XDS") << QVector<int>{0, 0, 0, 0, 1, 0, 0, 0, 0}
                                  << QStringList{"7|C1", "7|C2", "7|C3", "7|C4", "6|TX",
                                                 "7|T1", "7|T2", "7|T3", "7|T4"};
        QTest::newRow("all") << QVector<int>(9, 1)
                             << QStringList{"6|C1", "6|C2", "6|C3", "6|C4", "6|TX",
                                            "6|T1", "6|T2", "6|T3", "6|T4"};
        QTest::newRow("greyed boxes pass")
            << QVector<int>{2, 1, 2, 2, 2, 2, 2, 2, 1}
            << QStringList{"7|C1", "6|C2", "7|C3", "7|C4", "7|TX", "7|T1", "7|T2", "7|T3", "6|T4"};
    }
    void blocking()
    {
        QFETCH(QVector<int>, boxes);
        QFETCH(QStringList, commands);
        Configuration c;
        c.chBlockingSettings = boxes;
        Recorder r;
        r.builders(c).BuildBlockingCommands();
        QCOMPARE(r.modesAndArgs(), commands);
    }

    void articleListRequest()
    {
        Recorder r;
        r.builders(Configuration()).BuildArticleListRequest();
        QCOMPARE(r.queued.size(), 1);
        QCOMPARE(r.queued.first().wireBytes(), QByteArray("\x01"
                                                          "9\r"));
    }

    void insertArticle_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("repeat");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("Weather on T3")
            << QStringList{"/data/articles/Weather.txt", "Sunny", "Warm"} << 2 << "12"
            << QByteArray("\x01"
                          "0 Weather T3 12\rSunny\rWarm\r\x03");
        QTest::newRow("first word of the name")
            << QStringList{"/data/Morning News.txt", "Rain"} << 0 << "1"
            << QByteArray("\x01"
                          "0 Morning T1 1\rRain\r\x03");
        QTest::newRow("empty file still sends its content line")
            << QStringList{"/data/Blank.txt"} << 3 << "9999"
            << QByteArray("\x01"
                          "0 Blank T4 9999\r\r\x03");
        QTest::newRow("empty lines kept")
            << QStringList{"/data/Gap.txt", "a", "", "b"} << 1 << "007"
            << QByteArray("\x01"
                          "0 Gap T2 007\ra\r\rb\r\x03");
    }
    void insertArticle()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, channel);
        QFETCH(QString, repeat);
        QFETCH(QByteArray, wire);
        Configuration c;
        c.oInsertArticles = channel;
        c.txtInsArticleRepeat = repeat;
        Recorder r;
        r.builders(c).BuildInsertArticleCommand(lines);
        QCOMPARE(r.queued.size(), 1);
        QVERIFY(r.queued.first().ctrlC);
        QVERIFY(r.queued.first().sendBlankContents);
        QCOMPARE(r.queued.first().wireBytes(), wire);
    }

    void unreadableArticleQueuesNothing_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("one empty element") << QStringList{QString()};
        QTest::newRow("empty list") << QStringList{};
    }
    void unreadableArticleQueuesNothing()
    {
        QFETCH(QStringList, lines);
        Recorder r;
        r.builders(Configuration()).BuildInsertArticleCommand(lines);
        QVERIFY(r.queued.isEmpty());
    }

    void removeArticle()
    {
        Recorder r;
        const ControlProcessing builders = r.builders(Configuration());
        builders.BuildRemoveArticleCommand(QStringLiteral("Weather"));
        builders.BuildRemoveArticleCommand(QString());
        QCOMPARE(r.queued.size(), 1);
        QCOMPARE(r.queued.first().wireBytes(), QByteArray("\x01"
                                                          "4 Weather D\r"));
    }

    void articleName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "/a/b/Weather.txt"
                               << "Weather";
        QTest::newRow("blanks") << "/a/Morning News.txt"
                                << "Morning";
        QTest::newRow("last dot") << "/a/v1.2.txt"
                                  << "v1.2";
        QTest::newRow("dot in the folder only") << "/a.b/README"
                                                << "README";
        QTest::newRow("no extension") << "/a/Notes"
                                      << "Notes";
        QTest::newRow("backslashes") << "C:\\Articles\\Sports.txt"
                                     << "Sports";
        QTest::newRow("blank before the extension") << "/a/Top Story.v2.txt"
                                                    << "Top";
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
