#include "SimLink.h"

#include <QSignalSpy>

namespace {

const QString kNotConnected = QStringLiteral(
    "A connection is not currently active.  Would you like to attempt to connect now?");
const QString kNoAnswer = QStringLiteral(
    "Quillcast could not connect to the Encoder.  Please check the cabling and that the COM Port "
    "settings match the Encoder Serial Port settings.");
const QString kClosed = QStringLiteral("The connection could not be verified with the unit, and "
                                       "the port appears to be closed.  Please connect and try "
                                       "again.");

} // namespace

// The command queue and the transaction sequencer over the built-in simulated encoder.
class tst_Sequencer : public QObject
{
    Q_OBJECT

private slots:

    void sendConfigurationWhenPortWillNotOpen()
    {
        SimLink link({}, 0); // no baud rate: the port is never opened
        int builds = 0;
        link.sequencer->setConfigurationBuilder([&] { ++builds; });
        link.sequencer->addCommand("P", "01 41");
        link.messages->sendConfiguration();
        QCOMPARE(link.dialogs.texts(), (QStringList{kNotConnected, kNotOpened}));
        QCOMPARE(builds, 0);
        QCOMPARE(link.sequencer->linkState(), Sequencer::LinkState::Disconnected);
        QVERIFY(link.sequencer->commandQueue().isEmpty());
        QVERIFY(!link.timeout()->isActive() &&
                !link.sequencer->timerSendConfigDisable()->isActive());
    }

    // Readiness reply -> first command; its reply -> second; its reply -> queue empty.
    void queueDrainsOneCommandPerReply()
    {
        SimLink link;
        QVERIFY(link.connect());
        QSignalSpy replies(link.sequencer, &Sequencer::replyReceived);
        QSignalSpy states(link.sequencer, &Sequencer::linkStateChanged);
        link.sequencer->addCommand("P", "01 41");
        link.sequencer->addCommand("2", "C1", "HI", true, true);
        link.sequencer->startTransaction();
        QTRY_COMPARE(replies.count(), 3);
        QVERIFY(link.sequencer->commandQueue().isEmpty() && !link.timeout()->isActive());
        QCOMPARE(states.count(), 1); // only the empty queue sets state 1 (again)
    }

    // A queued command holds back the keep-alive query at 00:05:00 and, across a disconnect,
    // goes out after the next readiness reply.
    void queuedCommandWaits()
    {
        SimLink link;
        QVERIFY(link.connect());
        for (int i = 0; i < 300; ++i)
            link.sequencer->secondTick();
        link.sequencer->addCommand("2", "C1", "HI", true, true);
        link.sequencer->secondTick();
        QVERIFY(!link.timeout()->isActive() && !link.channel()->readyQueryPending());
        link.sequencer->toggleConnection(); // disconnect
        QCOMPARE(link.sequencer->commandQueue().size(), 1);
        QCOMPARE(link.sequencer->linkState(), Sequencer::LinkState::Disconnected);
        QSignalSpy sent(link.sequencer, &Sequencer::commandSent);
        QVERIFY(link.connect());
        QCOMPARE(sent.count(), 1);
    }

    // What comes in place of a command's reply from the simulated encoder: a power cycle's
    // banner or a reply over the cap end the transaction with their message; an article list
    // that names the maker is a reply like any other.
    void failedReplies_data()
    {
        QTest::addColumn<int>("resetAfter"); // the command lost to a power cycle, 0 none
        QTest::addColumn<int>("hugeReply");  // the article list's size
        QTest::addColumn<QString>("article");
        QTest::addColumn<int>("failure"); // -1 none
        // Commands counted by the encoder: 1 and 2 readiness queries, 3 the store, 4 the list.
        QTest::newRow("restarted") << 4 << 0 << "NEWS" << int(Sequencer::Failure::EncoderRestarted);
        QTest::newRow("reply over the cap")
            << 0 << (1 << 20) + 100 << "NEWS" << int(Sequencer::Failure::ReplyTooLong);
        QTest::newRow("article list naming the maker") << 0 << 0 << "Orvane" << -1;
    }
    void failedReplies()
    {
        QFETCH(int, resetAfter);
        QFETCH(int, hugeReply);
        QFETCH(QString, article);
        QFETCH(int, failure);
        SimLink link;
        QVERIFY(link.connect());
        EncoderSimulator::Faults faults;
        faults.resetAfter = resetAfter;
        faults.hugeReply = hugeReply;
        link.encoder()->setFaults(faults);
        QSignalSpy failed(link.sequencer, &Sequencer::transactionFailed);
        QSignalSpy lists(link.sequencer, &Sequencer::articleListReceived);
        // By the time its message shows, the failure has ended the link: nothing can act on it.
        bool givenUp = false;
        link.dialogs.whileShown = [&](const QString &) {
            givenUp = !link.channel()->portIsOpen() && link.sequencer->commandQueue().isEmpty() &&
                      link.sequencer->linkState() == Sequencer::LinkState::Disconnected;
        };
        link.sequencer->addCommand("0", article + " T1 1", "Orvane -- late news", true, true);
        link.sequencer->addCommand("9");
        link.sequencer->addCommand("P", "01 41");
        link.sequencer->startTransaction();
        QTRY_VERIFY(link.sequencer->commandQueue().isEmpty() && !link.timeout()->isActive());

        QCOMPARE(failed.size(), failure < 0 ? 0 : 1);
        QCOMPARE(link.channel()->portIsOpen(), failure < 0);
        if (failure < 0) {
            QCOMPARE(lists.value(0).value(1).toStringList(), QStringList{"Orvane"});
            QVERIFY(link.dialogs.texts().isEmpty());
            return;
        }
        QCOMPARE(failed.at(0).at(0).toInt(), failure);
        QCOMPARE(link.dialogs.texts().size(), 1);
        QVERIFY(givenUp);
        QCOMPARE(link.sequencer->linkState(), Sequencer::LinkState::Disconnected);
        QVERIFY(lists.isEmpty());
    }

    // A reply time-out says why, closes the link and drops the queue; with the port found closed
    // the queue is kept for the next Connect. A late reply or a close while the message is up
    // sends nothing and never reconnects.
    void timeOut_data()
    {
        QTest::addColumn<QString>("meanwhile"); // while the message is up
        QTest::addColumn<bool>("portOpen");
        QTest::newRow("port open") << "" << true;
        QTest::newRow("a late reply sends nothing") << "reply" << true;
        QTest::newRow("closed meanwhile, never reconnects") << "close" << true;
        QTest::newRow("port closed: the queue is kept") << "" << false;
    }
    void timeOut()
    {
        QFETCH(QString, meanwhile);
        QFETCH(bool, portOpen);
        SimLink link;
        QVERIFY(link.connect());
        QSignalSpy states(link.sequencer, &Sequencer::linkStateChanged);
        if (!portOpen)
            link.sequencer->toggleConnection();
        link.sequencer->addCommand("P", "01 41");
        link.sequencer->addCommand("P", "01 42");
        QSignalSpy sent(link.sequencer, &Sequencer::commandSent);
        link.dialogs.whileShown = [&](const QString &) {
            if (meanwhile == "reply")
                link.reply("\r\n*");
            else if (meanwhile == "close")
                link.sequencer->disconnectLink();
        };

        link.sequencer->replyTimedOut();
        QCOMPARE(sent.count(), 0);
        QCOMPARE(link.dialogs.texts(), QStringList{portOpen ? kNoAnswer : kClosed});
        QVERIFY(!link.channel()->portIsOpen() && !link.timeout()->isActive());
        QCOMPARE(link.sequencer->linkState(), Sequencer::LinkState::Disconnected);
        QCOMPARE(states.count(), 1);
        QCOMPARE(link.sequencer->commandQueue().size(), portOpen ? 0 : 2);
    }
};

QTEST_MAIN(tst_Sequencer)
#include "tst_sequencer.moc"
