#include "FixedClock.h"
#include "commands/ControlProcessing.h"

#include <QTest>

// The whole configuration: which commands a build queues, and in what order.
class tst_BuildConfiguration : public QObject
{
    Q_OBJECT

private:
    static QList<CtrlACommand> build(const Configuration &c, QList<CtrlACommand> queued = {})
    {
        ControlProcessing::Context context;
        context.zone = LocalTimeZoneSnapshot::fromOffset(-300, true);
        ControlProcessing(c, context, [&queued](const CtrlACommand &k) {
            queued << k;
        }).BuildConfiguration();
        return queued;
    }
    // One label per command: the packet code for "P", else the mode.
    static QStringList labels(const QList<CtrlACommand> &queued)
    {
        QStringList all;
        for (const CtrlACommand &k : queued)
            all << (k.mode == QLatin1String("P") ? k.args.left(4) : k.mode);
        return all;
    }
    static Configuration everythingOn()
    {
        Configuration c = Configuration::defaults({"NBC", "WNBC", "4660"}, true);
        c.chCtrlNetworkName = c.chCtrlCallLetters = c.chCtrlTSID = c.chCtrlTimeOfDay =
            c.chCtrlTimeZone = c.chCtrlProgramName = c.chCtrlProgramRating = c.chCtrlCGMS =
                c.chCtrlWebTV = 1;
        c.oNetworkName = c.oCallLetters = c.oTSID = c.oTimeOfDay = c.oTimezone = c.oProgramName =
            c.oProgramRating = c.oCGMS = c.oWebTV = 0;
        c.chSyncClock = c.chDecoderSend = c.chBlockingSend = 1;
        c.txtProgramName = QStringLiteral("News");
        c.txtWebURL = QStringLiteral("http://");
        c.cmbCGMS = 2;
        c.cmbCGMSOptions = 3;
        c.oCGMSASB = 1;
        c.oDecoderSettings = 8;
        c.chBlockingSettings[4] = 1;
        return c;
    }

private slots:
    void everythingOffQueuesOnlyTheArticleList()
    {
        Configuration c = Configuration::defaults({"NBC", "WNBC", "1"}, false);
        c.chSyncClock = 0;
        c.chDecoderSend = 0;
        c.chBlockingSend = 0;
        c.chCtrlWebTV = 0;
        const QList<CtrlACommand> queued = build(c);
        QCOMPARE(queued.size(), 1);
        QCOMPARE(queued.first().mode, QStringLiteral("9"));
        QVERIFY(queued.first().args.isEmpty());
    }

    void everythingOnInCatalogueOrder()
    {
        FixedClock clock(QDateTime(QDate(2026, 12, 4), QTime(14, 5, 9)));
        const QStringList expected{"0501", "0502", "0504", "0701", "0704", "c", "d", "0103",
                                   "0105", "M",    "7",    "7",    "7",    "7", "6", "7",
                                   "7",    "7",    "7",    "0",    "0108", "9"};
        const QList<CtrlACommand> queued = build(everythingOn());
        QCOMPARE(labels(queued), expected);
        QCOMPARE(queued.at(0).args, QStringLiteral("0501 9999 4E424320"));
        QCOMPARE(queued.at(2).args, QStringLiteral("0504 9999 44434241"));
        QCOMPARE(queued.at(4).args, QStringLiteral("0704 9999 6500"));
        QCOMPARE(queued.at(5).args, QStringLiteral("14:05:09 05:00 ON DSO=ON"));
        QCOMPARE(queued.at(6).args, QStringLiteral("12/04/2026 6"));
        QCOMPARE(queued.at(9).args, QStringLiteral("XDS"));
        QCOMPARE(queued.at(19).args, QStringLiteral("URL T2 1 D O L"));
        QCOMPARE(queued.at(20).args, QStringLiteral("0108 9999 5F40"));
    }

    // The gates of steps 9 and 10 need an exact check; the others lie inside the builders.
    void gates_data()
    {
        QTest::addColumn<int>("decoderSend");
        QTest::addColumn<int>("blockingSend");
        QTest::addColumn<int>("webEnable");
        QTest::addColumn<int>("webOption");
        QTest::addColumn<QStringList>("modes");
        QTest::newRow("decoder only") << 1 << 0 << 0 << 0 << QStringList{"M", "9"};
        QTest::newRow("greyed send boxes do not count") << 2 << 2 << 0 << 0 << QStringList{"9"};
        QTest::newRow("blocking only")
            << 0 << 1 << 0 << 0 << QStringList{"7", "7", "7", "7", "7", "7", "7", "7", "7", "9"};
        QTest::newRow("web pass upstream") << 0 << 0 << 1 << 1 << QStringList{"4", "9"};
        QTest::newRow("web insert") << 0 << 0 << 1 << 0 << QStringList{"0", "9"};
    }
    void gates()
    {
        QFETCH(int, decoderSend);
        QFETCH(int, blockingSend);
        QFETCH(int, webEnable);
        QFETCH(int, webOption);
        QFETCH(QStringList, modes);
        Configuration c;
        c.chDecoderSend = decoderSend;
        c.chBlockingSend = blockingSend;
        c.chCtrlWebTV = webEnable;
        c.oWebTV = webOption;
        QCOMPARE(labels(build(c)), modes);
    }

    // A build appends after commands already waiting; it never empties the queue.
    void appendsAfterWaitingCommands()
    {
        CtrlACommand waiting;
        waiting.mode = QStringLiteral("2");
        waiting.args = QStringLiteral("C1");
        waiting.content = QStringLiteral("HELLO");
        const QList<CtrlACommand> queued = build(Configuration(), {waiting});
        QCOMPARE(labels(queued), (QStringList{"2", "9"}));
    }

    // Nothing is cached between builds: the second one sees the changed values.
    void readsValuesEachTime()
    {
        Configuration c;
        c.chCtrlCallLetters = 1;
        c.oCallLetters = 0;
        c.txtCallLetters = QStringLiteral("KQE");
        QList<CtrlACommand> queued;
        const ControlProcessing builders(c, {}, [&queued](const CtrlACommand &k) { queued << k; });
        builders.BuildCallLettersPacket();
        c.txtCallLetters = QStringLiteral("KQED");
        builders.BuildCallLettersPacket();
        QCOMPARE(queued.value(0).args, QStringLiteral("0502 9999 4B5145"));
        QCOMPARE(queued.value(1).args, QStringLiteral("0502 9999 4B514544"));
    }
};

QTEST_GUILESS_MAIN(tst_BuildConfiguration)
#include "tst_buildconfiguration.moc"
