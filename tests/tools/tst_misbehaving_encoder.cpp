#include "GoldenFiles.h"
#include "SimLink.h"
#include "SimProcess.h"
#include "TestSettings.h"

#include "core/commands/ControlProcessing.h"
#include "core/config/ConfigurationFile.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

// quillcast-encoder-sim misbehaving on request, against the sequencer over a real
// pseudo-terminal, quillcast-send and a plain TCP client: each fault ends in a clear outcome,
// nothing hangs, and the next Connect works.
class tst_MisbehavingEncoder : public QObject
{
    Q_OBJECT

    // Answered: every reply arrives; Unanswered: the reply time-out ends the send; Refused: the
    // link itself ends it. Both of the last close the link with one message.
    enum Outcome
    {
        Answered,
        Unanswered,
        Refused
    };

    QTemporaryDir m_dir;
    const QString m_file = goldenFile(QStringLiteral("passed.qcf"));

private slots:
    void initTestCase() { TestSettings::wipe(); }

    void faultModes_data()
    {
        // The simulator counts commands from 1, readiness queries included: 1 is the query of
        // Connect, 2 that of Send Configuration and 3 the first configuration command.
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("outcome");
        QTest::newRow("hang-up") << QStringList{"--hangup-after", "3"} << int(Unanswered);
        QTest::newRow("no prompt") << QStringList{"--no-prompt-after", "3"} << int(Unanswered);
        // The noise comes in front of a reply, which still ends with the prompt.
        QTest::newRow("garbage") << QStringList{"--garbage", "1"} << int(Answered);
        // A reply beyond the receive cap is not passed on as if whole.
        QTest::newRow("huge reply") << QStringList{"--huge-reply", "2097152"} << int(Refused);
    }
    void faultModes()
    {
        QFETCH(QStringList, options);
        QFETCH(int, outcome);
        const QString device = m_dir.filePath(QStringLiteral("encoder"));
        const QString log = m_dir.filePath(QStringLiteral("encoder.log"));
        SimProcess sim;
        QVERIFY2(sim.start(QStringList{"--link", device, "--log", log} + options),
                 qPrintable(sim.errorString()));
        SimLink link({device});
        link.channel()->setCOMSettings(lineSettings());
        Sequencer *sequencer = link.sequencer;
        EncoderChannel *channel = link.channel();
        ScriptedDialogs &dialogs = link.dialogs;
        QElapsedTimer sinceReceived;
        sinceReceived.start();
        QObject::connect(channel->port(), &PortLine::charactersReceived, &link.window,
                         [&sinceReceived] { sinceReceived.restart(); });
        const ConfigurationFile::LoadResult loaded =
            ConfigurationFile::loadConfiguration(m_file, Configuration());
        QVERIFY(loaded.readable && loaded.messages.isEmpty());
        const Configuration &c = loaded.configuration;
        sequencer->setConfigurationBuilder([&] {
            ControlProcessing(c, {}, [&](const CtrlACommand &command) {
                sequencer->addCommand(command);
            }).buildConfiguration();
        });

        sequencer->toggleConnection();
        QTRY_COMPARE_WITH_TIMEOUT(sequencer->linkState(), Sequencer::LinkState::Connected, 5000);
        sequencer->sendConfiguration();
        if (outcome == Refused) {
            QTRY_COMPARE_WITH_TIMEOUT(dialogs.texts().size(), 1, 20000);
            QVERIFY(!channel->portIsOpen());
        } else if (outcome == Unanswered) {
            // Once the faulty command has arrived no reply can come; the reply time-out is
            // run then rather than waited for.
            QTRY_VERIFY_WITH_TIMEOUT(contentsOf(log).count('\n') >= 3, 5000);
            QTest::qWait(100);
            if (sequencer->timerCommTimeout()->isActive()) {
                sequencer->timerCommTimeout()->stop();
                sequencer->replyTimedOut();
            }
            QCOMPARE(dialogs.texts().size(), 1);
            QVERIFY(!channel->portIsOpen());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(sequencer->commandQueue().isEmpty() &&
                                         !sequencer->timerCommTimeout()->isActive() &&
                                         !sequencer->timerSendConfigDisable()->isActive() &&
                                         sinceReceived.elapsed() > 300,
                                     20000);
            QVERIFY2(dialogs.shown.isEmpty(), qPrintable(dialogs.texts().join('\n')));
            sequencer->toggleConnection(); // disconnects
        }
        QCOMPARE(sequencer->linkState(), Sequencer::LinkState::Disconnected);

        // The next Connect, on the same line (a new one after a hang-up), works.
        dialogs.clear();
        sequencer->toggleConnection();
        QTRY_COMPARE_WITH_TIMEOUT(sequencer->linkState(), Sequencer::LinkState::Connected, 5000);
        QVERIFY2(dialogs.shown.isEmpty(), qPrintable(dialogs.texts().join('\n')));
    }

    // quillcast-send never reports a send as complete when it was not: an encoder that
    // restarts under it (banner in place of a reply) gives 5, a line lost gives 3 within a
    // second of the hang-up rather than after the reply time-out.
    void sendFaults_data()
    {
        // Counted as above, but quillcast-send's connection sends one readiness query only:
        // 3 is the second configuration command.
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("reset") << QStringList{"--reset-after", "3"} << 5
                               << ": the encoder restarted during the send: 1 of ";
        QTest::newRow("hang-up") << QStringList{"--hangup-after", "3"} << 3
                                 << ": the line to the encoder was lost";
        // Line noise before the banner: still a restart, not a reply.
        QTest::newRow("reset after noise") << QStringList{"--garbage", "1", "--reset-after", "5"}
                                           << 5 << ": the encoder restarted during the send: 3 of ";
    }
    void sendFaults()
    {
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString device = m_dir.filePath(QStringLiteral("faulty"));
        const QString log = m_dir.filePath(QStringLiteral("faulty.log"));
        QFile::remove(log);
        SimProcess sim;
        QVERIFY2(sim.start(QStringList{"--link", device, "--log", log} + options),
                 qPrintable(sim.errorString()));
        QProcess send;
        send.start(QStringLiteral(QUILLCAST_TOOLS_DIR "/quillcast-send"),
                   {m_file, QStringLiteral("--device"), device});
        QVERIFY(send.waitForFinished(20000));
        const qint64 ended = QDateTime::currentMSecsSinceEpoch();
        const QString err = QString::fromLocal8Bit(send.readAllStandardError());
        QCOMPARE(send.exitCode(), exitCode);
        QVERIFY2(err.contains(message) && err.count('\n') == 1, qPrintable(err));
        QVERIFY(!send.readAllStandardOutput().contains("commands answered"));
        // The simulator stamps the faulty command, the row's last option, as it arrives.
        const QByteArrayList lines = contentsOf(log).trimmed().split('\n');
        QCOMPARE(lines.size(), options.last().toInt());
        QVERIFY2(ended - lines.last().split('\t').first().toLongLong() < 1000,
                 "ended after the reply time-out");
    }

    // Two encoders over TCP from one process: each answers on its own port with its own
    // articles, and a fault on request changes the reply to the third command.
    void twoEncodersOverTcp_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("third"); // the whole reply to the article list; "" closed
        const QString list = QStringLiteral("\r\nArticle Directory\r\n.*NEWS  .*");
        QTest::newRow("no fault") << QStringList() << list + "\r\n\\*";
        QTest::newRow("hang-up") << QStringList{"--hangup-after", "3"} << QString();
        QTest::newRow("garbage") << QStringList{"--garbage", "1"} << ".+" + list + "\r\n\\*";
        QTest::newRow("huge reply") << QStringList{"--huge-reply", "3000"} << list + ".{2500,}\\*";
        QTest::newRow("no prompt") << QStringList{"--no-prompt-after", "3"} << list + "[^*]";
        QTest::newRow("reset") << QStringList{"--reset-after", "3"}
                               << QStringLiteral("\r\nOrvane Simulated.*Rev B\r\n\\*");
    }
    void twoEncodersOverTcp()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, third);
        SimProcess sim;
        QVERIFY2(sim.start(QStringList{"--count", "2", "--tcp", "0"} + options),
                 qPrintable(sim.errorString()));
        const QStringList devices = sim.devices();
        QVERIFY(devices.size() == 2 && devices.at(0) != devices.at(1));
        QByteArray reply;
        QTcpSocket sockets[3]; // encoder 2, encoder 1, encoder 2 again
        // Sends a command on a socket, connected to the device first, and awaits the prompt.
        const auto ask = [&](int i, const QString &device, const QByteArray &command) {
            if (sockets[i].state() == QAbstractSocket::UnconnectedState) {
                sockets[i].connectToHost("127.0.0.1", quint16(QUrl(device).port()));
                connect(&sockets[i], &QTcpSocket::readyRead,
                        [&, i] { reply += sockets[i].readAll(); });
            }
            reply.clear();
            sockets[i].write(command);
            return QTest::qWaitFor([&] { return reply.endsWith("\r\n*"); }, 5000);
        };
        QVERIFY(ask(0, devices.at(1), "\x03\r\x01?\r") && ask(0, {}, "\0010 NEWS T1 1\rHi\x03"));
        reply.clear();
        sockets[0].write("\0019\r");
        const QRegularExpression expected('^' + third + '$',
                                          QRegularExpression::DotMatchesEverythingOption);
        QTRY_VERIFY_WITH_TIMEOUT(third.isEmpty()
                                     ? sockets[0].state() == QAbstractSocket::UnconnectedState
                                     : expected.match(QString::fromLatin1(reply)).hasMatch(),
                                 5000);
        // The other encoder has no article; after a hang-up the next connection is a new line
        // to the same encoder.
        QVERIFY(ask(1, devices.at(0), "\0019\r") && !reply.contains("NEWS"));
        if (third.isEmpty())
            QVERIFY(ask(2, devices.at(1), "\0019\r") && reply.contains("NEWS"));
    }
};

QTEST_MAIN(tst_MisbehavingEncoder)
#include "tst_misbehaving_encoder.moc"
