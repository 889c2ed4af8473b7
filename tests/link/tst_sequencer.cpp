#include "ScriptedDialogs.h"

#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/EncoderSimulator.h"
#include "link/Sequencer.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace {

const QString kNotConnected = QStringLiteral(
    "A connection is not currently active.  Would you like to attempt to connect now?");
const QString kNoReplyPortOpen =
    QStringLiteral("Quillcast could not connect to the Encoder.  Please check the cabling and "
                   "that the COM Port settings match the Encoder Serial Port settings.");
const QString kNoReplyPortClosed =
    QStringLiteral("The connection could not be verified with the unit, and the port appears to "
                   "be closed.  Please connect and try again.");
const QString kNotOpened = QStringLiteral("The port could not be opened.  Please check that the "
                                          "port it is not in use by another application.");

// A sequencer whose only port is the built-in simulated encoder (port 1), at 1200,O,7,1.
struct Link
{
    QWidget window;
    Sequencer *sequencer;

    explicit Link(int baud = 1200)
    {
        auto *channel = new CommInterface(new Communications(QStringList()));
        sequencer = new Sequencer(&window, channel, &window);
        COMSettings settings;
        settings.port = 1;
        settings.baud = baud;
        settings.parity = QStringLiteral("O");
        settings.dataBits = 7;
        settings.StopBits = 1;
        channel->setCOMSettings(settings);
    }
    CommInterface *channel() const { return sequencer->CommIFace(); }
    EncoderSimulator *encoder() const { return channel()->CommClass()->simulatedEncoder(); }
    bool connectAndSettle()
    {
        sequencer->cmdConnect_Click();
        return QTest::qWaitFor([this] { return sequencer->linkState() == 1; }, 3000);
    }
    void tick(int times)
    {
        for (int i = 0; i < times; ++i)
            sequencer->secondTick();
    }
};

} // namespace

class tst_Sequencer : public QObject
{
    Q_OBJECT

private slots:
    void commandTimeout_data();
    void commandTimeout();
    void identificationFromReply_data();
    void identificationFromReply();
    void articleNames_data();
    void articleNames();

    void connectShowsIdentification();
    void connectRefusedTellsTheOperator();
    void ensureConnectedAsks_data();
    void ensureConnectedAsks();
    void queueDrainsOneCommandPerReply();
    void longReplyCommandGetsLongTimeout();
    void articleListReplyIsReported();
    void identificationAndArticlesInOneReply();
    void keepAliveEveryFiveMinutes();
    void keepAliveWaitsForEmptyQueue();
    void connectedTimeFollowsThePort();
    void timeoutWithPortOpenDropsTheLink();
    void timeoutWithPortClosedKeepsTheQueue();
    void disconnectKeepsQueuedCommands();
    void sendConfigurationHoldsSendingState();
    void sendConfigurationWhenPortWillNotOpen();
    void otherStatesChangeNothing();
};

void tst_Sequencer::commandTimeout_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("expected");
    QTest::newRow("store 1200") << "0" << 1200 << 13333;
    QTest::newRow("list 2400") << "9" << 2400 << 9167;
    QTest::newRow("list 4800") << "9" << 4800 << 7083;
    QTest::newRow("list 9600") << "9" << 9600 << 6042;
    QTest::newRow("store 19200") << "0" << 19200 << 5521;
    QTest::newRow("list 38400") << "9" << 38400 << 5260;
    QTest::newRow("list 57600") << "9" << 57600 << 5174;
    QTest::newRow("caption 1200") << "2" << 1200 << 5000;
    QTest::newRow("packet 57600") << "P" << 57600 << 5000;
    QTest::newRow("no baud") << "9" << 0 << 5000;
}

void tst_Sequencer::commandTimeout()
{
    QFETCH(QString, mode);
    QFETCH(int, baud);
    QFETCH(int, expected);
    QCOMPARE(Sequencer::CommandTimeout(mode, baud), expected);
}

void tst_Sequencer::identificationFromReply_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("expected"); // "<null>" for no identification

    QTest::newRow("banner") << "\r\nOrvane T42X Closed Caption Encoder --  Version 3.10\r\n"
                               "Serial 001234  Rev B\r\n*"
                            << "Connected to Orvane T42X Closed Caption Encoder, Serial";
    QTest::newRow("maker at position 9") << "12345678Orvane EN-1 -- x\r\nABCDEFGH\r\n*"
                                         << "Connected to Orvane EN-1, ABCDEF";
    QTest::newRow("maker at position 10") << "123456789Orvane EN-1 -- x\r\nABCDEFGH\r\n*"
                                          << "<null>";
    QTest::newRow("lower-case maker") << "\r\nORVANE EN-2 -- y\r\n123456\r\n*"
                                      << "Connected to ORVANE EN-2, 123456";
    QTest::newRow("dashes too close are skipped") << "Orvane -- EN-3 -- z\r\nV1.00 \r\n*"
                                                  << "Connected to Orvane -- EN-3, V1.00 ";
    QTest::newRow("no dashes: rest of the line") << "\r\nOrvane EN-4 Encoder  \r\nV2.000\r\n*"
                                                 << "Connected to Orvane EN-4 Encoder, V2.000";
    QTest::newRow("short line after") << "\r\nOrvane EN-5 -- a\r\n*"
                                      << "Connected to Orvane EN-5, *";
    QTest::newRow("no maker") << "\r\nT42X Closed Caption Encoder --  V\r\nSerial\r\n*"
                              << "<null>";
    QTest::newRow("plain reply") << "\r\n*"
                                 << "<null>";
}

void tst_Sequencer::identificationFromReply()
{
    QFETCH(QString, reply);
    QFETCH(QString, expected);
    const QString text = Sequencer::IdentificationFromReply(reply);
    if (expected == QLatin1String("<null>"))
        QVERIFY2(text.isNull(), qPrintable(text));
    else
        QCOMPARE(text, expected);
}

void tst_Sequencer::articleNames_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QStringList>("expected");

    const QString head =
        QStringLiteral("\r\nArticle Directory\r\nName      Chan  Repeat  Text\r\n");
    QTest::newRow("status and divider lines skipped")
        << head + "01 Memory 32768\r\n03 Stored: 1\r\n05 Web TV link: off\r\n"
                  "07 Channels T1\r\n--------  ----\r\nNEWS      T2    3       Hello\r\n*"
        << QStringList{"NEWS"};
    QTest::newRow("URL exactly is the Web TV link")
        << head + "URL       T2    0       http\r\nWEATHER   T1    1       Rain\r\n*"
        << QStringList{"WEATHER"};
    QTest::newRow("url in lower case is an article")
        << head + "url       T2    0       x\r\nUrl       T2    0       y\r\n*"
        << QStringList{"url", "Url"};
    QTest::newRow("first two characters decide")
        << head + "0123 T1\r\n02ABC T1\r\n0 T1\r\n07 T1\r\n05X T1\r\n*"
        << QStringList{"02ABC", "0"};
    QTest::newRow("dash lines") << head + "-x T1\r\n--- T1\r\nA-B T1\r\n*" << QStringList{"A-B"};
    QTest::newRow("no Text heading")
        << QStringLiteral("\r\nArticle Directory\r\nNEWS T2 3\r\n*") << QStringList();
    QTest::newRow("no Article word")
        << QStringLiteral("\r\nName Text\r\nNEWS T2 3\r\n*") << QStringList();
    QTest::newRow("lower-case words")
        << QStringLiteral("\r\narticle list\r\nname text\r\nALPHA 1\r\n*") << QStringList{"ALPHA"};
}

void tst_Sequencer::articleNames()
{
    QFETCH(QString, reply);
    QFETCH(QStringList, expected);
    QCOMPARE(Sequencer::ArticleNames(reply), expected);
}

void tst_Sequencer::connectShowsIdentification()
{
    ScriptedDialogs dialogs;
    Link link;
    QSignalSpy connecting(link.sequencer, &Sequencer::connecting);
    QSignalSpy identification(link.sequencer, &Sequencer::identificationChanged);

    link.sequencer->cmdConnect_Click();
    QCOMPARE(connecting.count(), 1);
    QVERIFY(link.channel()->PortIsOpen());
    QVERIFY(link.sequencer->timerCommTimeout()->isActive());
    QCOMPARE(link.sequencer->timerCommTimeout()->interval(), 3000);
    QTRY_COMPARE(link.sequencer->linkState(), 1);

    QVERIFY(!link.sequencer->timerCommTimeout()->isActive());
    const QString expected =
        QStringLiteral("Connected to Orvane T42X Closed Caption Encoder, Serial");
    QCOMPARE(link.sequencer->identificationText(), expected);
    QCOMPARE(identification.last().at(0).toString(), expected);
    QVERIFY(dialogs.shown.isEmpty());

    // Disconnecting empties panel 3 again.
    QSignalSpy disconnected(link.sequencer, &Sequencer::operatorDisconnected);
    link.sequencer->cmdConnect_Click();
    QCOMPARE(disconnected.count(), 1);
    QCOMPARE(link.sequencer->linkState(), 0);
    QCOMPARE(link.sequencer->identificationText(), QString());
    QVERIFY(!link.channel()->PortIsOpen());
}

void tst_Sequencer::connectRefusedTellsTheOperator()
{
    ScriptedDialogs dialogs;
    Link link(0); // no baud rate: the port is never opened
    QSignalSpy states(link.sequencer, &Sequencer::linkStateChanged);

    link.sequencer->cmdConnect_Click();
    QCOMPARE(dialogs.texts(), QStringList{kNotOpened});
    QCOMPARE(dialogs.shown.first().icon, DialogService::Icon::Exclamation);
    QVERIFY(!link.channel()->PortIsOpen());
    QVERIFY(!link.sequencer->timerCommTimeout()->isActive());
    QCOMPARE(states.count(), 0);
}

void tst_Sequencer::ensureConnectedAsks_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes connects") << true;
    QTest::newRow("no abandons") << false;
}

void tst_Sequencer::ensureConnectedAsks()
{
    QFETCH(bool, yes);
    ScriptedDialogs dialogs;
    dialogs.answers = {yes ? DialogService::Answer::Yes : DialogService::Answer::No};
    Link link;

    QCOMPARE(link.sequencer->EnsureConnected(), yes);
    QCOMPARE(dialogs.texts(), QStringList{kNotConnected});
    QCOMPARE(dialogs.shown.first().buttons, DialogService::Buttons::YesNo);
    QCOMPARE(dialogs.shown.first().icon, DialogService::Icon::Exclamation);
    QCOMPARE(link.channel()->PortIsOpen(), yes);

    // Once open, nothing is asked.
    if (yes) {
        QVERIFY(link.sequencer->EnsureConnected());
        QCOMPARE(dialogs.shown.size(), 1);
    }
}

void tst_Sequencer::queueDrainsOneCommandPerReply()
{
    ScriptedDialogs dialogs;
    Link link;
    QVERIFY(link.connectAndSettle());
    QSignalSpy sent(link.sequencer, &Sequencer::commandSent);
    QSignalSpy replies(link.sequencer, &Sequencer::replyReceived);
    QSignalSpy states(link.sequencer, &Sequencer::linkStateChanged);
    link.encoder()->clearReceived();

    link.sequencer->AddCommand(QStringLiteral("P"), QStringLiteral("01 41"));
    link.sequencer->AddCommand(QStringLiteral("2"), QStringLiteral("C1"), QStringLiteral("HI"),
                               true, true);
    QCOMPARE(link.sequencer->CurrentCommand().mode, QStringLiteral("2"));
    QCOMPARE(link.sequencer->CommandQueue().size(), 2);
    link.sequencer->StartTransaction();

    // Readiness reply -> first command; its reply -> second; its reply -> queue empty.
    QTRY_COMPARE(replies.count(), 3);
    QCOMPARE(sent.count(), 2);
    QCOMPARE(sent.at(0).at(0).value<CtrlACommand>().mode, QStringLiteral("P"));
    QCOMPARE(sent.at(1).at(0).value<CtrlACommand>().content, QStringLiteral("HI"));
    QVERIFY(link.sequencer->CommandQueue().isEmpty());
    QVERIFY(!link.sequencer->timerCommTimeout()->isActive());
    QCOMPARE(states.count(), 1); // only the empty queue sets state 1 (again)
    QCOMPARE(states.last().at(0).toInt(), 1);

    const auto received = link.encoder()->received();
    QVERIFY(received.size() >= 2);
    QCOMPARE(received.at(received.size() - 2).bytes, QByteArray("\x01P 01 41\r"));
    QCOMPARE(received.last().bytes, QByteArray("\x01"
                                               "2 C1\rHI\r\x03"));
}

void tst_Sequencer::longReplyCommandGetsLongTimeout()
{
    ScriptedDialogs dialogs;
    Link link(2400);
    QVERIFY(link.connectAndSettle());
    link.encoder()->setSilent(true);
    link.sequencer->AddCommand(QStringLiteral("9"));
    link.sequencer->StartTransaction();
    QCOMPARE(link.sequencer->timerCommTimeout()->interval(), 3000);

    // The silent encoder never answers the readiness query; feed the sequencer the answer it
    // would have given, and the article-list request goes out under its long time-out.
    link.encoder()->setSilent(false);
    QSignalSpy sent(link.sequencer, &Sequencer::commandSent);
    QMetaObject::invokeMethod(link.sequencer, "CommIFace_Ready",
                              Q_ARG(QString, link.encoder()->identification() + "\r\n*"));
    QCOMPARE(sent.count(), 1);
    QVERIFY(link.sequencer->timerCommTimeout()->isActive());
    QCOMPARE(link.sequencer->timerCommTimeout()->interval(), 9167);
}

void tst_Sequencer::articleListReplyIsReported()
{
    ScriptedDialogs dialogs;
    Link link;
    QVERIFY(link.connectAndSettle());
    QSignalSpy lists(link.sequencer, &Sequencer::articleListReceived);

    link.sequencer->AddCommand(QStringLiteral("0"), QStringLiteral("NEWS T2 3"),
                               QStringLiteral("Top stories"), true, true);
    link.sequencer->AddCommand(QStringLiteral("0"), QStringLiteral("URL T2 0"),
                               QStringLiteral("http://example.invalid"), true, true);
    link.sequencer->AddCommand(QStringLiteral("9"));
    link.sequencer->StartTransaction();

    QTRY_COMPARE(lists.count(), 1);
    QTRY_VERIFY(link.sequencer->CommandQueue().isEmpty());
    const QString text = lists.first().at(0).toString();
    QVERIFY2(text.startsWith(QLatin1String("Article Directory")), qPrintable(text));
    QCOMPARE(lists.first().at(1).toStringList(), QStringList{"NEWS"});
}

void tst_Sequencer::identificationAndArticlesInOneReply()
{
    ScriptedDialogs dialogs;
    Link link;
    QSignalSpy identifications(link.sequencer, &Sequencer::identificationChanged);
    QSignalSpy lists(link.sequencer, &Sequencer::articleListReceived);
    const QString reply =
        QStringLiteral("\r\nOrvane EN-7 -- V1\r\nSerial 42\r\nArticle Directory\r\n"
                       "Name      Chan  Repeat  Text\r\nNEWS      T2    3       Top\r\n*");
    QMetaObject::invokeMethod(link.sequencer, "CommIFace_Ready", Q_ARG(QString, reply));

    QCOMPARE(identifications.count(), 1);
    QCOMPARE(identifications.first().at(0).toString(),
             QStringLiteral("Connected to Orvane EN-7, Serial"));
    QCOMPARE(lists.count(), 1);
    QCOMPARE(lists.first().at(0).toString(), reply.mid(2));
    QCOMPARE(lists.first().at(1).toStringList(), QStringList{"NEWS"});
}

void tst_Sequencer::keepAliveEveryFiveMinutes()
{
    ScriptedDialogs dialogs;
    Link link;
    QVERIFY(link.connectAndSettle());
    QTimer *timeout = link.sequencer->timerCommTimeout();

    link.tick(1); // 00:00:00: no check at 0
    QVERIFY(!timeout->isActive());
    QVERIFY(!link.channel()->readyQueryPending());
    link.tick(299); // up to 00:04:59
    QVERIFY(!timeout->isActive());
    QCOMPARE(link.sequencer->connectedSeconds(), 300);

    link.tick(1); // 00:05:00
    QVERIFY(timeout->isActive());
    QCOMPARE(timeout->interval(), 3000);
    QVERIFY(link.channel()->readyQueryPending());
    QSignalSpy states(link.sequencer, &Sequencer::linkStateChanged);
    QTRY_COMPARE(states.count(), 1); // the answer sets state 1 again
    QVERIFY(!timeout->isActive());
}

void tst_Sequencer::keepAliveWaitsForEmptyQueue()
{
    ScriptedDialogs dialogs;
    Link link;
    QVERIFY(link.connectAndSettle());
    link.tick(300);
    link.sequencer->AddCommand(QStringLiteral("P"), QStringLiteral("01 41"));

    link.tick(1); // 00:05:00 with a command waiting
    QVERIFY(!link.sequencer->timerCommTimeout()->isActive());
    QVERIFY(!link.channel()->readyQueryPending());
    QCOMPARE(link.sequencer->CommandQueue().size(), 1);
}

void tst_Sequencer::connectedTimeFollowsThePort()
{
    ScriptedDialogs dialogs;
    Link link;
    QSignalSpy times(link.sequencer, &Sequencer::connectedTimeChanged);
    link.tick(2);
    QCOMPARE(times.count(), 0); // closed and already at 0

    QVERIFY(link.connectAndSettle());
    link.tick(3725);
    QCOMPARE(times.first().at(0).toString(), QStringLiteral("00:00:00"));
    QCOMPARE(times.last().at(0).toString(), QStringLiteral("01:02:04"));
    link.tick(1);
    QCOMPARE(times.last().at(0).toString(), QStringLiteral("01:02:05"));

    link.sequencer->cmdConnect_Click(); // disconnect
    times.clear();
    link.tick(1);
    QCOMPARE(times.count(), 1);
    QCOMPARE(times.first().at(0).toString(), QString());
    QCOMPARE(link.sequencer->connectedSeconds(), 0);
}

void tst_Sequencer::timeoutWithPortOpenDropsTheLink()
{
    ScriptedDialogs dialogs;
    Link link;
    QVERIFY(link.connectAndSettle());
    link.encoder()->setSilent(true);
    QSignalSpy timedOut(link.sequencer, &Sequencer::timedOut);
    QSignalSpy disconnected(link.sequencer, &Sequencer::operatorDisconnected);

    link.sequencer->AddCommand(QStringLiteral("P"), QStringLiteral("01 41"));
    link.sequencer->AddCommand(QStringLiteral("P"), QStringLiteral("02 42"));
    link.sequencer->StartTransaction();
    QVERIFY(link.sequencer->timerCommTimeout()->isActive());
    link.sequencer->timerCommTimeout_Timer();

    QCOMPARE(dialogs.texts(), QStringList{kNoReplyPortOpen});
    QCOMPARE(dialogs.shown.first().icon, DialogService::Icon::Critical);
    QVERIFY(link.sequencer->CommandQueue().isEmpty());
    QVERIFY(!link.channel()->PortIsOpen());
    QCOMPARE(link.sequencer->linkState(), 0);
    QVERIFY(!link.sequencer->timerCommTimeout()->isActive());
    QCOMPARE(timedOut.count(), 1);
    QCOMPARE(timedOut.first().at(0).toBool(), true);
    QCOMPARE(disconnected.count(), 1);
}

void tst_Sequencer::timeoutWithPortClosedKeepsTheQueue()
{
    ScriptedDialogs dialogs;
    Link link;
    QSignalSpy states(link.sequencer, &Sequencer::linkStateChanged);
    QSignalSpy timedOut(link.sequencer, &Sequencer::timedOut);
    link.sequencer->AddCommand(QStringLiteral("P"), QStringLiteral("01 41"));
    link.sequencer->AddCommand(QStringLiteral("9"));
    link.sequencer->StartTransaction();
    QVERIFY(link.sequencer->timerCommTimeout()->isActive());

    link.sequencer->timerCommTimeout_Timer();
    QCOMPARE(dialogs.texts(), QStringList{kNoReplyPortClosed});
    QCOMPARE(dialogs.shown.first().icon, DialogService::Icon::Critical);
    QCOMPARE(link.sequencer->CommandQueue().size(), 2);
    QCOMPARE(states.count(), 0);
    QVERIFY(!link.sequencer->timerCommTimeout()->isActive());
    QCOMPARE(timedOut.first().at(0).toBool(), false);
}

void tst_Sequencer::disconnectKeepsQueuedCommands()
{
    ScriptedDialogs dialogs;
    Link link;
    QVERIFY(link.connectAndSettle());
    link.sequencer->AddCommand(QStringLiteral("2"), QStringLiteral("C1"), QStringLiteral("HI"),
                               true, true);
    link.sequencer->cmdConnect_Click(); // disconnect
    QCOMPARE(link.sequencer->CommandQueue().size(), 1);
    QCOMPARE(link.sequencer->linkState(), 0);

    // They go out after the next readiness reply.
    QSignalSpy sent(link.sequencer, &Sequencer::commandSent);
    link.sequencer->cmdConnect_Click();
    QTRY_COMPARE(sent.count(), 1);
    QCOMPARE(sent.first().at(0).value<CtrlACommand>().args, QStringLiteral("C1"));
    QTRY_COMPARE(link.sequencer->linkState(), 1);
    QVERIFY(link.sequencer->CommandQueue().isEmpty());
}

void tst_Sequencer::sendConfigurationHoldsSendingState()
{
    ScriptedDialogs dialogs;
    Link link;
    QVERIFY(link.connectAndSettle());
    int builds = 0;
    link.sequencer->setConfigurationBuilder([&] {
        ++builds;
        link.sequencer->AddCommand(QStringLiteral("P"), QStringLiteral("01 41"));
        link.sequencer->AddCommand(QStringLiteral("9"));
    });
    QSignalSpy states(link.sequencer, &Sequencer::linkStateChanged);

    link.sequencer->cmdSendConfig_Click();
    QCOMPARE(builds, 1);
    QCOMPARE(link.sequencer->linkState(), 2);
    QTimer *minimum = link.sequencer->timerSendConfigDisable();
    QVERIFY(minimum->isActive());
    QCOMPARE(minimum->interval(), 2000);
    QVERIFY(minimum->isSingleShot());
    // However slow the machine, the replies below come "within the two seconds".
    minimum->start(60000);

    // The last reply comes well within 2000 ms and changes nothing.
    QTRY_VERIFY(link.sequencer->CommandQueue().isEmpty());
    QTRY_VERIFY(!link.sequencer->timerCommTimeout()->isActive());
    QCOMPARE(link.sequencer->linkState(), 2);
    QCOMPARE(states.count(), 1);

    link.sequencer->timerSendConfigDisable_Timer();
    QVERIFY(!minimum->isActive());
    QCOMPARE(link.sequencer->linkState(), 1);
    QVERIFY(dialogs.shown.isEmpty());
}

void tst_Sequencer::sendConfigurationWhenPortWillNotOpen()
{
    ScriptedDialogs dialogs;
    dialogs.answers = {DialogService::Answer::Yes};
    Link link(0);
    int builds = 0;
    link.sequencer->setConfigurationBuilder([&] { ++builds; });
    link.sequencer->AddCommand(QStringLiteral("P"), QStringLiteral("01 41"));

    link.sequencer->cmdSendConfig_Click();
    QCOMPARE(dialogs.texts(), (QStringList{kNotConnected, kNotOpened}));
    QCOMPARE(builds, 0);
    QCOMPARE(link.sequencer->linkState(), 0);
    QVERIFY(link.sequencer->CommandQueue().isEmpty());
    QVERIFY(!link.sequencer->timerSendConfigDisable()->isActive());

    // Answering No leaves the disconnected presentation as well.
    dialogs.clear();
    dialogs.answers = {DialogService::Answer::No};
    link.sequencer->cmdSendConfig_Click();
    QCOMPARE(dialogs.texts(), QStringList{kNotConnected});
    QCOMPARE(link.sequencer->linkState(), 0);
}

void tst_Sequencer::otherStatesChangeNothing()
{
    Link link;
    QSignalSpy states(link.sequencer, &Sequencer::linkStateChanged);
    QCOMPARE(link.sequencer->linkState(), -1);
    link.sequencer->SetLinkState(3);
    link.sequencer->SetLinkState(-1);
    QCOMPARE(states.count(), 0);
    QCOMPARE(link.sequencer->linkState(), -1);
}

QTEST_MAIN(tst_Sequencer)
#include "tst_sequencer.moc"
