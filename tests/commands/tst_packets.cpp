#include "FixedClock.h"
#include "commands/ControlProcessing.h"

#include <QTest>

// The XDS packet builders: what each one queues for Insert, Block Upstream and Pass Upstream.
class tst_Packets : public QObject
{
    Q_OBJECT

private:
    static QList<CtrlACommand>
    build(const Configuration &c, void (ControlProcessing::*builder)() const,
          const LocalTimeZoneSnapshot &zone = LocalTimeZoneSnapshot::fromOffset(-300, false))
    {
        QList<CtrlACommand> queued;
        ControlProcessing::Context context;
        context.zone = zone;
        const ControlProcessing builders(c, context,
                                         [&queued](const CtrlACommand &k) { queued << k; });
        (builders.*builder)();
        return queued;
    }
    static QString onlyArgs(const QList<CtrlACommand> &queued)
    {
        if (queued.size() != 1)
            return QStringLiteral("<%1 commands>").arg(queued.size());
        const CtrlACommand &k = queued.first();
        if (k.mode != QLatin1String("P") || !k.content.isEmpty() || k.ctrlC || k.sendBlankContents)
            return QStringLiteral("<not a packet>");
        return k.args;
    }

private slots:
    void textToHex_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hex");
        QTest::newRow("NBC") << "NBC"
                             << "4E4243";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("tab is one digit") << "\t"
                                          << "9";
        QTest::newRow("Latin-1") << QString::fromUtf8("é") << "E9";
        QTest::newRow("outside the code page") << QString::fromUtf8("€") << "3F";
    }
    void textToHex()
    {
        QFETCH(QString, text);
        QFETCH(QString, hex);
        QCOMPARE(ControlProcessing::TextToHex(text), hex);
    }

    void networkName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("args");
        QTest::newRow("NBC gets one blank") << "NBC" << 0 << "0501 9999 4E424320";
        QTest::newRow("two characters, two blanks") << "AB" << 0 << "0501 9999 41422020";
        QTest::newRow("one character, three long") << "A" << 0 << "0501 9999 412020";
        QTest::newRow("empty, two blanks") << "" << 0 << "0501 9999 2020";
        QTest::newRow("long names unpadded") << "ABCDEF" << 0 << "0501 9999 414243444546";
        QTest::newRow("untrimmed") << " AB " << 0 << "0501 9999 20414220";
        QTest::newRow("block") << "NBC" << 1 << "0501 9999 R";
        QTest::newRow("pass") << "NBC" << 2 << "0501 ";
        QTest::newRow("no option") << "NBC" << -1 << "0501 ";
    }
    void networkName()
    {
        QFETCH(QString, name);
        QFETCH(int, action);
        QFETCH(QString, args);
        Configuration c;
        c.chCtrlNetworkName = 1;
        c.oNetworkName = action;
        c.txtNetworkName = name;
        QCOMPARE(onlyArgs(build(c, &ControlProcessing::BuildNetworkNamePacket)), args);
    }

    void enableControl_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("count");
        QTest::newRow("unchecked") << 0 << 0;
        QTest::newRow("checked") << 1 << 1;
        QTest::newRow("greyed counts") << 2 << 1;
    }
    void enableControl()
    {
        QFETCH(int, value);
        QFETCH(int, count);
        Configuration c;
        c.chCtrlNetworkName = c.chCtrlCallLetters = c.chCtrlTSID = c.chCtrlTimeOfDay =
            c.chCtrlTimeZone = c.chCtrlProgramName = c.chCtrlProgramRating = c.chCtrlCGMS = value;
        for (auto builder :
             {&ControlProcessing::BuildNetworkNamePacket,
              &ControlProcessing::BuildCallLettersPacket, &ControlProcessing::BuildTsidPacket,
              &ControlProcessing::BuildTimeOfDayPacket, &ControlProcessing::BuildTimeZonePacket,
              &ControlProcessing::BuildProgramNamePacket, &ControlProcessing::BuildRatingPacket,
              &ControlProcessing::BuildCgmsPacket})
            QCOMPARE(build(c, builder).size(), count);
    }

    void callLetters_data()
    {
        QTest::addColumn<QString>("letters");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("args");
        QTest::newRow("three letters unpadded") << "KQE" << 0 << "0502 9999 4B5145";
        QTest::newRow("six letters") << "WNBC-T" << 0 << "0502 9999 574E42432D54";
        QTest::newRow("block") << "KQE" << 1 << "0502 9999 R";
        QTest::newRow("pass ends in a blank") << "KQE" << 2 << "0502 ";
    }
    void callLetters()
    {
        QFETCH(QString, letters);
        QFETCH(int, action);
        QFETCH(QString, args);
        Configuration c;
        c.chCtrlCallLetters = 1;
        c.oCallLetters = action;
        c.txtCallLetters = letters;
        QCOMPARE(onlyArgs(build(c, &ControlProcessing::BuildCallLettersPacket)), args);
    }

    void tsid_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("args");
        QTest::newRow("1") << "1"
                           << "0504 9999 41404040";
        QTest::newRow("4660") << "4660"
                              << "0504 9999 44434241";
        QTest::newRow("65535") << "65535"
                               << "0504 9999 4F4F4F4F";
        QTest::newRow("70000 keeps its low 16 bits") << "70000"
                                                     << "0504 9999 40474141";
        QTest::newRow("empty") << ""
                               << "0504 9999 40404040";
        QTest::newRow("0000") << "0000"
                              << "0504 9999 40404040";
        QTest::newRow("no number") << "abc"
                                   << "0504 9999 40404040";
        QTest::newRow("blanks skipped") << " 1 2"
                                        << "0504 9999 4C404040";
        QTest::newRow("half to even down") << "2.5"
                                           << "0504 9999 42404040";
        QTest::newRow("half to even up") << "3.5"
                                         << "0504 9999 44404040";
        QTest::newRow("trailing text") << "17xyz"
                                       << "0504 9999 41414040";
        QTest::newRow("huge") << "1e30"
                              << "0504 9999 40404040";
    }
    void tsid()
    {
        QFETCH(QString, text);
        QFETCH(QString, args);
        Configuration c;
        c.chCtrlTSID = 1;
        c.oTSID = 0;
        c.txtTSID = text;
        QCOMPARE(onlyArgs(build(c, &ControlProcessing::BuildTsidPacket)), args);
    }

    void timeOfDay_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("args");
        QTest::newRow("insert is the placeholder") << 0 << "0701 9999 414141414141";
        QTest::newRow("block") << 1 << "0701 9999 R";
        QTest::newRow("pass") << 2 << "0701 ";
    }
    void timeOfDay()
    {
        QFETCH(int, action);
        QFETCH(QString, args);
        Configuration c;
        c.chCtrlTimeOfDay = 1;
        c.oTimeOfDay = action;
        QCOMPARE(onlyArgs(build(c, &ControlProcessing::BuildTimeOfDayPacket)), args);
    }

    void timeZone_data()
    {
        QTest::addColumn<int>("offsetMinutes");
        QTest::addColumn<int>("observed");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("args");
        QTest::newRow("05:00 observed") << -300 << 1 << 0 << "0704 9999 6500";
        QTest::newRow("05:00 not observed") << -300 << 0 << 0 << "0704 9999 4500";
        QTest::newRow("greyed observed box counts") << -300 << 2 << 0 << "0704 9999 6500";
        QTest::newRow("east is not told apart") << 300 << 0 << 0 << "0704 9999 4500";
        QTest::newRow("half hour keeps the hours") << 330 << 0 << 0 << "0704 9999 4500";
        QTest::newRow("UTC") << 0 << 0 << 0 << "0704 9999 4000";
        QTest::newRow("twelve hours") << -720 << 1 << 0 << "0704 9999 6C00";
        QTest::newRow("block") << -300 << 1 << 1 << "0704 9999 R";
        QTest::newRow("pass") << -300 << 1 << 2 << "0704 ";
    }
    void timeZone()
    {
        QFETCH(int, offsetMinutes);
        QFETCH(int, observed);
        QFETCH(int, action);
        QFETCH(QString, args);
        Configuration c;
        c.chCtrlTimeZone = 1;
        c.oTimezone = action;
        c.chDSObserved = observed;
        QCOMPARE(onlyArgs(build(c, &ControlProcessing::BuildTimeZonePacket,
                                LocalTimeZoneSnapshot::fromOffset(offsetMinutes, false))),
                 args);
    }

    void clockTexts_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<int>("offsetMinutes");
        QTest::addColumn<int>("inEffect");
        QTest::addColumn<int>("observed");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("date");
        QTest::newRow("a Friday") << QDateTime(QDate(2026, 12, 4), QTime(14, 5, 9)) << -300 << 1
                                  << 1 << "14:05:09 05:00 ON DSO=ON"
                                  << "12/04/2026 6";
        QTest::newRow("a Sunday, daylight off") << QDateTime(QDate(2026, 1, 4), QTime(0, 0, 0))
                                                << -300 << 0 << 0 << "00:00:00 05:00 OFF DSO=OFF"
                                                << "01/04/2026 1";
        QTest::newRow("a Saturday, half-hour zone")
            << QDateTime(QDate(2025, 3, 15), QTime(23, 59, 59)) << 330 << 0 << 2
            << "23:59:59 05:30 OFF DSO=ON"
            << "03/15/2025 7";
    }
    void clockTexts()
    {
        QFETCH(QDateTime, now);
        QFETCH(int, offsetMinutes);
        QFETCH(int, inEffect);
        QFETCH(int, observed);
        QFETCH(QString, time);
        QFETCH(QString, date);
        FixedClock clock(now);
        Configuration c;
        c.chSyncClock = 1;
        c.chDSInEffect = inEffect;
        c.chDSObserved = observed;
        const QList<CtrlACommand> queued =
            build(c, &ControlProcessing::BuildClockSetCommands,
                  LocalTimeZoneSnapshot::fromOffset(offsetMinutes, false));
        QCOMPARE(queued.size(), 2);
        QCOMPARE(queued.at(0).mode, QStringLiteral("c"));
        QCOMPARE(queued.at(0).args, time);
        QCOMPARE(queued.at(1).mode, QStringLiteral("d"));
        QCOMPARE(queued.at(1).args, date);
        for (const CtrlACommand &k : queued) {
            QVERIFY(k.content.isEmpty());
            QVERIFY(!k.ctrlC);
            QVERIFY(!k.sendBlankContents);
        }
    }

    void clockOnlyWhenExactlyChecked_data()
    {
        QTest::addColumn<int>("sync");
        QTest::addColumn<int>("count");
        QTest::newRow("unchecked") << 0 << 0;
        QTest::newRow("checked") << 1 << 2;
        QTest::newRow("greyed does not count") << 2 << 0;
    }
    void clockOnlyWhenExactlyChecked()
    {
        QFETCH(int, sync);
        QFETCH(int, count);
        FixedClock clock(QDateTime(QDate(2026, 12, 4), QTime(14, 5, 9)));
        Configuration c;
        c.chSyncClock = sync;
        // The time packets' own choices do not matter to the clock.
        c.chCtrlTimeOfDay = c.chCtrlTimeZone = 1;
        c.oTimeOfDay = c.oTimezone = 1;
        QCOMPARE(build(c, &ControlProcessing::BuildClockSetCommands).size(), count);
    }

    // The date is read after the time command is queued: a midnight in between gives the new day.
    void clockDateReadAfterTime()
    {
        FixedClock clock(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)));
        Configuration c;
        c.chSyncClock = 1;
        QList<CtrlACommand> queued;
        ControlProcessing::Context context;
        context.zone = LocalTimeZoneSnapshot::fromOffset(-300, false);
        const ControlProcessing builders(c, context, [&](const CtrlACommand &k) {
            queued << k;
            clock.advanceSecs(1);
        });
        builders.BuildClockSetCommands();
        QCOMPARE(queued.size(), 2);
        QVERIFY(queued.at(0).args.startsWith(QLatin1String("23:59:59 ")));
        QCOMPARE(queued.at(1).args, QStringLiteral("01/01/2027 6"));
    }

    void programName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("args");
        QTest::newRow("unpadded, untrimmed") << "News " << 0 << "0103 9999 4E65777320";
        QTest::newRow("short stays short") << "A" << 0 << "0103 9999 41";
        QTest::newRow("empty") << "" << 0 << "0103 9999 ";
        QTest::newRow("block") << "News" << 1 << "0103 9999 R";
        QTest::newRow("pass") << "News" << 2 << "0103 ";
    }
    void programName()
    {
        QFETCH(QString, name);
        QFETCH(int, action);
        QFETCH(QString, args);
        Configuration c;
        c.chCtrlProgramName = 1;
        c.oProgramName = action;
        c.txtProgramName = name;
        QCOMPARE(onlyArgs(build(c, &ControlProcessing::BuildProgramNamePacket)), args);
    }

    void rating_data()
    {
        QTest::addColumn<int>("system");
        QTest::addColumn<int>("rating");
        QTest::addColumn<QVector<int>>("flags");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("args");
        const QVector<int> none(5, 0);
        QTest::newRow("TV-PG with V and L")
            << 1 << 4 << QVector<int>{0, 1, 0, 1, 0} << 0 << "0105 9999 486C";
        QTest::newRow("TV-14 with D and S")
            << 1 << 5 << QVector<int>{0, 0, 1, 0, 1} << 0 << "0105 9999 6855";
        QTest::newRow("TV-Y7 with FV")
            << 1 << 2 << QVector<int>{1, 0, 0, 0, 0} << 0 << "0105 9999 4862";
        QTest::newRow("greyed flag does not count")
            << 1 << 4 << QVector<int>{0, 2, 0, 2, 2} << 0 << "0105 9999 4844";
        QTest::newRow("None") << 1 << 0 << none << 0 << "0105 9999 4840";
        QTest::newRow("MPA PG-13") << 0 << 3 << none << 0 << "0105 9999 4340";
        QTest::newRow("MPA N/A") << 0 << 0 << none << 0 << "0105 9999 4040";
        QTest::newRow("MPA Not Rated") << 0 << 7 << none << 0 << "0105 9999 4740";
        QTest::newRow("MPA ignores flags")
            << 0 << 1 << QVector<int>{1, 1, 1, 1, 1} << 0 << "0105 9999 4140";
        QTest::newRow("CDN-E E") << 2 << 0 << none << 0 << "0105 9999 5840";
        QTest::newRow("CDN-E 14+") << 2 << 5 << none << 0 << "0105 9999 5845";
        QTest::newRow("CDN-Fr 13 ans +") << 3 << 3 << none << 0 << "0105 9999 7843";
        QTest::newRow("no rating selected") << 1 << -1 << none << 0 << "0105 9999 4840";
        QTest::newRow("unknown system") << 7 << 2 << none << 0 << "0105 9999 4042";
        QTest::newRow("block") << 1 << 4 << none << 1 << "0105 9999 R";
        QTest::newRow("pass") << 1 << 4 << none << 2 << "0105 ";
    }
    void rating()
    {
        QFETCH(int, system);
        QFETCH(int, rating);
        QFETCH(QVector<int>, flags);
        QFETCH(int, action);
        QFETCH(QString, args);
        Configuration c;
        c.chCtrlProgramRating = 1;
        c.oProgramRating = action;
        c.cmbProgRatingSys = system;
        c.cmbProgramRating = rating;
        c.chProgramRatingFlags = flags;
        QCOMPARE(onlyArgs(build(c, &ControlProcessing::BuildRatingPacket)), args);
    }

    void cgms_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<int>("aps");
        QTest::addColumn<int>("asb");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("args");
        QTest::newRow("no copying, 4 line, ASB on") << 2 << 3 << 1 << 0 << "0108 9999 5F40";
        QTest::newRow("no copying, no APS") << 2 << 0 << 0 << 0 << "0108 9999 5840";
        QTest::newRow("no copying, split burst off") << 2 << 1 << 0 << 0 << "0108 9999 5A40";
        QTest::newRow("one generation") << 1 << 0 << 0 << 0 << "0108 9999 5040";
        QTest::newRow("one generation, ASB on") << 1 << 0 << 1 << 0 << "0108 9999 5140";
        QTest::newRow("one generation ignores the APS list")
            << 1 << 3 << 0 << 0 << "0108 9999 5040";
        QTest::newRow("copying permitted") << 0 << 0 << 0 << 0 << "0108 9999 4040";
        QTest::newRow("insert without a choice") << -1 << 0 << 0 << 0 << "0108 ";
        QTest::newRow("block") << 2 << 3 << 1 << 1 << "0108 9999 R";
        QTest::newRow("block without a choice") << -1 << 0 << 0 << 1 << "0108 9999 R";
        QTest::newRow("pass") << 2 << 3 << 1 << 2 << "0108 ";
    }
    void cgms()
    {
        QFETCH(int, choice);
        QFETCH(int, aps);
        QFETCH(int, asb);
        QFETCH(int, action);
        QFETCH(QString, args);
        Configuration c;
        c.chCtrlCGMS = 1;
        c.oCGMS = action;
        c.cmbCGMS = choice;
        c.cmbCGMSOptions = aps;
        c.oCGMSASB = asb;
        QCOMPARE(onlyArgs(build(c, &ControlProcessing::BuildCgmsPacket)), args);
    }

    // The packet framing on the wire: SOH, "P", blank, args, CR, and nothing else.
    void packetWireBytes()
    {
        Configuration c;
        c.chCtrlCallLetters = 1;
        c.oCallLetters = 2;
        const QList<CtrlACommand> queued = build(c, &ControlProcessing::BuildCallLettersPacket);
        QCOMPARE(queued.size(), 1);
        QCOMPARE(queued.first().wireBytes(), QByteArray("\x01P 0502 \r"));
    }
};

QTEST_GUILESS_MAIN(tst_Packets)
#include "tst_packets.moc"
