#include "FixedClock.h"
#include "commands/ControlProcessing.h"

#include <QTest>

// The whole configuration: which commands a build queues, and in what order.
class tst_BuildConfiguration : public QObject
{
    Q_OBJECT

private:
    static QList<CtrlACommand> build(const Configuration &c)
    {
        QList<CtrlACommand> queued;
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

private slots:
    void everythingOffQueuesOnlyTheArticleList()
    {
        Configuration c = Configuration::defaults({"NBC", "WNBC", "1"}, false);
        c.chSyncClock = c.chDecoderSend = c.chBlockingSend = c.chCtrlWebTV = 0;
        const QList<CtrlACommand> queued = build(c);
        QCOMPARE(queued.size(), 1);
        QCOMPARE(queued.first().wireBytes(), QByteArray("\x01"
                                                        "9\r"));
    }

    void everythingOnInCatalogueOrder()
    {
        FixedClock clock(QDateTime(QDate(2026, 12, 4), QTime(14, 5, 9)));
        const QStringList expected{"0501", "0502", "0504", "0701", "0704", "c", "d", "0103",
                                   "0105", "M",    "7",    "7",    "7",    "7", "6", "7",
                                   "7",    "7",    "7",    "0",    "0108", "9"};
        Configuration c = Configuration::defaults({"NBC", "WNBC", "4660"}, true);
        c.chCtrlNetworkName = c.chCtrlCallLetters = c.chCtrlTSID = c.chCtrlTimeOfDay =
            c.chCtrlTimeZone = c.chCtrlProgramName = c.chCtrlProgramRating = c.chCtrlCGMS =
                c.chCtrlWebTV = 1;
        c.oNetworkName = c.oCallLetters = c.oTSID = c.oTimeOfDay = c.oTimezone = c.oProgramName =
            c.oProgramRating = c.oCGMS = c.oWebTV = 0;
        c.chSyncClock = c.chDecoderSend = c.chBlockingSend = 1;
        c.chBlockingSettings[4] = 1;
        const QList<CtrlACommand> queued = build(c);
        QCOMPARE(labels(queued), expected);
        // The clock commands sit between the time packets and carry the fixed moment.
        QCOMPARE(queued.at(5).args, QStringLiteral("14:05:09 05:00 ON DSO=ON"));
        QCOMPARE(queued.at(6).args, QStringLiteral("12/04/2026 6"));
    }

    // The decoder and blocking commands need an exact check; the other gates lie inside the
    // builders.
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
};

QTEST_GUILESS_MAIN(tst_BuildConfiguration)
#include "tst_buildconfiguration.moc"
