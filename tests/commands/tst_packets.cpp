#include "FixedClock.h"
#include "commands/ControlProcessing.h"

#include <QTest>

// The XDS packet builders: what each one queues for Insert, Block Upstream and Pass Upstream.
class tst_Packets : public QObject
{
    Q_OBJECT

private:
    using Builder = void (ControlProcessing::*)() const;

    static Builder builderFor(const QString &code)
    {
        static const QMap<QString, Builder> builders{
            {"0501", &ControlProcessing::BuildNetworkNamePacket},
            {"0502", &ControlProcessing::BuildCallLettersPacket},
            {"0504", &ControlProcessing::BuildTsidPacket},
            {"0701", &ControlProcessing::BuildTimeOfDayPacket},
            {"0704", &ControlProcessing::BuildTimeZonePacket},
            {"0103", &ControlProcessing::BuildProgramNamePacket},
            {"0105", &ControlProcessing::BuildRatingPacket},
            {"0108", &ControlProcessing::BuildCgmsPacket}};
        return builders.value(code);
    }

    // Each queued command as "mode|args", content and framing included in the check: a packet
    // is SOH, "P", blank, args, CR and nothing else.
    static QStringList build(const Configuration &c, Builder builder, int offsetMinutes = -300,
                             FixedClock *tickPerCommand = nullptr)
    {
        QStringList queued;
        ControlProcessing::Context context;
        context.zone = LocalTimeZoneSnapshot::fromOffset(offsetMinutes, false);
        const ControlProcessing builders(c, context, [&](const CtrlACommand &k) {
            const QByteArray bare = "\x01" + k.mode.toLatin1() + ' ' + k.args.toLatin1() + '\r';
            queued << (k.wireBytes() == bare ? k.mode + '|' + k.args : QStringLiteral("<framed>"));
            if (tickPerCommand)
                tickPerCommand->advanceSecs(1);
        });
        (builders.*builder)();
        return queued;
    }

    static Configuration allPacketsOn(int enable, int action)
    {
        Configuration c;
        c.chCtrlNetworkName = c.chCtrlCallLetters = c.chCtrlTSID = c.chCtrlTimeOfDay =
            c.chCtrlTimeZone = c.chCtrlProgramName = c.chCtrlProgramRating = c.chCtrlCGMS = enable;
        c.oNetworkName = c.oCallLetters = c.oTSID = c.oTimeOfDay = c.oTimezone = c.oProgramName =
            c.oProgramRating = c.oCGMS = action;
        return c;
    }

private slots:
    // Every packet alike: the Enable Control box (greyed counts) and the three options.
    void actions_data()
    {
        QTest::addColumn<int>("enable");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("field");
        QTest::newRow("unchecked") << 0 << 0 << QString();
        QTest::newRow("block") << 1 << 1 << "9999 R";
        QTest::newRow("greyed enable counts") << 2 << 1 << "9999 R";
        QTest::newRow("pass ends in a blank") << 1 << 2 << "";
        QTest::newRow("no option") << 1 << -1 << "";
    }
    void actions()
    {
        QFETCH(int, enable);
        QFETCH(int, action);
        QFETCH(QString, field);
        for (const QString code :
             {"0501", "0502", "0504", "0701", "0704", "0103", "0105", "0108"}) {
            const QStringList expected =
                field.isNull() ? QStringList() : QStringList{"P|" + code + ' ' + field};
            QCOMPARE(build(allPacketsOn(enable, action), builderFor(code)), expected);
        }
    }

    // Inserted text: each builder reads its own field; the packet code names the builder.
    void insertedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("args");
        const auto row = [](const char *name, const QString &text, const QString &args) {
            QTest::newRow(name) << text << args;
        };
        row("NBC gets one blank", "NBC", "0501 9999 4E424320");
        row("at most two blanks", "A", "0501 9999 412020");
        row("empty name, two blanks", "", "0501 9999 2020");
        row("long name unpadded", "ABCDEF", "0501 9999 414243444546");
        row("call letters unpadded", "KQE", "0502 9999 4B5145");
        row("TSID 1", "1", "0504 9999 41404040");
        row("TSID 4660", "4660", "0504 9999 44434241");
        row("TSID 65535", "65535", "0504 9999 4F4F4F4F");
        row("TSID 70000 keeps its low 16 bits", "70000", "0504 9999 40474141");
        row("TSID empty", "", "0504 9999 40404040");
        row("TSID rounded half to even", "3.5", "0504 9999 44404040");
        row("TSID huge", "1e30", "0504 9999 40404040");
        row("time of day placeholder", "", "0701 9999 414141414141");
        row("program name untrimmed", "News ", "0103 9999 4E65777320");
        row("empty program name", "", "0103 9999 ");
        row("tab is one digit", "\t", "0103 9999 9");
        row("Latin-1", QString::fromUtf8("é"), "0103 9999 E9");
    }
    void insertedText()
    {
        QFETCH(QString, text);
        QFETCH(QString, args);
        Configuration c = allPacketsOn(1, 0);
        c.txtNetworkName = c.txtCallLetters = c.txtTSID = c.txtProgramName = text;
        QCOMPARE(build(c, builderFor(args.left(4))), QStringList{"P|" + args});
    }

    void timeZone_data()
    {
        QTest::addColumn<int>("offsetMinutes");
        QTest::addColumn<int>("observed");
        QTest::addColumn<QString>("args");
        QTest::newRow("05:00 observed") << -300 << 1 << "0704 9999 6500";
        QTest::newRow("05:00 not observed") << -300 << 0 << "0704 9999 4500";
        QTest::newRow("greyed observed box counts") << -300 << 2 << "0704 9999 6500";
        QTest::newRow("east is not told apart") << 300 << 0 << "0704 9999 4500";
        QTest::newRow("half hour keeps the hours") << 330 << 0 << "0704 9999 4500";
        QTest::newRow("twelve hours") << -720 << 1 << "0704 9999 6C00";
    }
    void timeZone()
    {
        QFETCH(int, offsetMinutes);
        QFETCH(int, observed);
        QFETCH(QString, args);
        Configuration c = allPacketsOn(1, 0);
        c.chDSObserved = observed;
        QCOMPARE(build(c, &ControlProcessing::BuildTimeZonePacket, offsetMinutes),
                 QStringList{"P|" + args});
    }

    // The clock advances a second per queued command: the date is read after the time command
    // is queued, so a midnight in between gives the new day.
    void clockCommands_data()
    {
        QTest::addColumn<int>("sync");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<int>("offsetMinutes");
        QTest::addColumn<int>("inEffect");
        QTest::addColumn<int>("observed");
        QTest::addColumn<QStringList>("commands");
        const QDateTime friday(QDate(2026, 12, 4), QTime(14, 5, 9));
        QTest::newRow("a Friday") << 1 << friday << -300 << 1 << 1
                                  << QStringList{"c|14:05:09 05:00 ON DSO=ON", "d|12/04/2026 6"};
        QTest::newRow("a Sunday, daylight off")
            << 1 << QDateTime(QDate(2026, 1, 4), QTime(0, 0, 0)) << -300 << 0 << 0
            << QStringList{"c|00:00:00 05:00 OFF DSO=OFF", "d|01/04/2026 1"};
        QTest::newRow("a Saturday, half-hour zone, greyed observed")
            << 1 << QDateTime(QDate(2025, 3, 15), QTime(12, 0, 0)) << 330 << 0 << 2
            << QStringList{"c|12:00:00 05:30 OFF DSO=ON", "d|03/15/2025 7"};
        QTest::newRow("midnight between time and date")
            << 1 << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)) << -300 << 0 << 0
            << QStringList{"c|23:59:59 05:00 OFF DSO=OFF", "d|01/01/2027 6"};
        QTest::newRow("unchecked") << 0 << friday << -300 << 1 << 1 << QStringList();
        QTest::newRow("greyed does not count") << 2 << friday << -300 << 1 << 1 << QStringList();
    }
    void clockCommands()
    {
        QFETCH(int, sync);
        QFETCH(QDateTime, now);
        QFETCH(int, offsetMinutes);
        QFETCH(int, inEffect);
        QFETCH(int, observed);
        QFETCH(QStringList, commands);
        FixedClock fixed(now);
        // The time packets' own choices do not matter to the clock.
        Configuration c = allPacketsOn(1, 1);
        c.chSyncClock = sync;
        c.chDSInEffect = inEffect;
        c.chDSObserved = observed;
        QCOMPARE(build(c, &ControlProcessing::BuildClockSetCommands, offsetMinutes, &fixed),
                 commands);
    }

    void rating_data()
    {
        QTest::addColumn<int>("system");
        QTest::addColumn<int>("rating");
        QTest::addColumn<QVector<int>>("flags");
        QTest::addColumn<QString>("data");
        const QVector<int> none(5, 0);
        QTest::newRow("TV-PG with V and L") << 1 << 4 << QVector<int>{0, 1, 0, 1, 0} << "486C";
        QTest::newRow("TV-14 with D and S") << 1 << 5 << QVector<int>{0, 0, 1, 0, 1} << "6855";
        QTest::newRow("TV-Y7 with FV") << 1 << 2 << QVector<int>{1, 0, 0, 0, 0} << "4862";
        QTest::newRow("greyed flag does not count")
            << 1 << 4 << QVector<int>{0, 2, 0, 2, 2} << "4844";
        QTest::newRow("no rating selected") << 1 << -1 << none << "4840";
        QTest::newRow("MPA PG-13") << 0 << 3 << none << "4340";
        QTest::newRow("MPA N/A") << 0 << 0 << none << "4040";
        QTest::newRow("MPA ignores flags") << 0 << 1 << QVector<int>(5, 1) << "4140";
        QTest::newRow("CDN-E 14+") << 2 << 5 << none << "5845";
        QTest::newRow("CDN-Fr 13 ans +") << 3 << 3 << none << "7843";
        QTest::newRow("unknown system") << 7 << 2 << none << "4042";
    }
    void rating()
    {
        QFETCH(int, system);
        QFETCH(int, rating);
        QFETCH(QVector<int>, flags);
        QFETCH(QString, data);
        Configuration c = allPacketsOn(1, 0);
        c.cmbProgRatingSys = system;
        c.cmbProgramRating = rating;
        c.chProgramRatingFlags = flags;
        QCOMPARE(build(c, &ControlProcessing::BuildRatingPacket),
                 QStringList{"P|0105 9999 " + data});
    }

    void cgms_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<int>("aps");
        QTest::addColumn<int>("asb");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("args");
        QTest::newRow("no copying, 4 line, ASB on") << 2 << 3 << 1 << 0 << "0108 9999 5F40";
        QTest::newRow("no copying, split burst off") << 2 << 1 << 0 << 0 << "0108 9999 5A40";
        QTest::newRow("one generation, ASB on") << 1 << 0 << 1 << 0 << "0108 9999 5140";
        QTest::newRow("one generation ignores APS") << 1 << 3 << 0 << 0 << "0108 9999 5040";
        QTest::newRow("copying permitted") << 0 << 0 << 0 << 0 << "0108 9999 4040";
        QTest::newRow("insert without a choice") << -1 << 0 << 0 << 0 << "0108 ";
        QTest::newRow("block without a choice") << -1 << 0 << 0 << 1 << "0108 9999 R";
    }
    void cgms()
    {
        QFETCH(int, choice);
        QFETCH(int, aps);
        QFETCH(int, asb);
        QFETCH(int, action);
        QFETCH(QString, args);
        Configuration c = allPacketsOn(1, action);
        c.cmbCGMS = choice;
        c.cmbCGMSOptions = aps;
        c.oCGMSASB = asb;
        QCOMPARE(build(c, &ControlProcessing::BuildCgmsPacket), QStringList{"P|" + args});
    }
};

QTEST_GUILESS_MAIN(tst_Packets)
#include "tst_packets.moc"
