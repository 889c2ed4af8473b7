#include "GoldenFiles.h"
#include "LineSettings.h"
#include "ScriptedDialogs.h"
#include "SimProcess.h"
#include "TestSettings.h"

#include "commands/ControlProcessing.h"
#include "config/ConfigurationFile.h"
#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/Sequencer.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

// quillcast-encoder-sim misbehaving on request, against the sequencer over a real
// pseudo-terminal: each fault ends in a clear outcome, nothing hangs, and the next Connect works.
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
        const auto received = [&log] {
            QFile file(log);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        SimProcess sim;
        QVERIFY2(sim.start(QStringList{"--link", device, "--log", log} + options),
                 qPrintable(sim.errorString()));
        ScriptedDialogs dialogs;
        QWidget window;
        auto *channel = new CommInterface(new Communications(QStringList{device}));
        channel->setCOMSettings(lineSettings());
        Sequencer *sequencer = new Sequencer(&window, channel, &window);
        QElapsedTimer sinceReceived;
        sinceReceived.start();
        QObject::connect(channel->CommClass(), &Communications::CharactersRx, &window,
                         [&sinceReceived] { sinceReceived.restart(); });
        Configuration c;
        QVERIFY(ConfigurationFile::LoadConfiguration(m_file, c, nullptr));
        sequencer->setConfigurationBuilder([&] {
            ControlProcessing(c, {}, [&](const CtrlACommand &command) {
                sequencer->AddCommand(command);
            }).BuildConfiguration();
        });

        sequencer->cmdConnect_Click();
        QTRY_COMPARE_WITH_TIMEOUT(sequencer->linkState(), 1, 5000);
        sequencer->cmdSendConfig_Click();
        if (outcome == Refused) {
            QTRY_COMPARE_WITH_TIMEOUT(dialogs.texts().size(), 1, 20000);
            QVERIFY(!channel->PortIsOpen());
        } else if (outcome == Unanswered) {
            // Once the faulty command has arrived no reply can come; the reply time-out is
            // run then rather than waited for.
            QTRY_VERIFY_WITH_TIMEOUT(received().count('\n') >= 3, 5000);
            QTest::qWait(100);
            if (sequencer->timerCommTimeout()->isActive()) {
                sequencer->timerCommTimeout()->stop();
                sequencer->timerCommTimeout_Timer();
            }
            QCOMPARE(dialogs.texts().size(), 1);
            QVERIFY(!channel->PortIsOpen());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(sequencer->CommandQueue().isEmpty() &&
                                         !sequencer->timerCommTimeout()->isActive() &&
                                         !sequencer->timerSendConfigDisable()->isActive() &&
                                         sinceReceived.elapsed() > 300,
                                     20000);
            QVERIFY2(dialogs.shown.isEmpty(), qPrintable(dialogs.texts().join('\n')));
            sequencer->cmdConnect_Click(); // disconnects
        }
        QCOMPARE(sequencer->linkState(), 0);

        // The next Connect, on the same line (a new one after a hang-up), works.
        dialogs.clear();
        sequencer->cmdConnect_Click();
        QTRY_COMPARE_WITH_TIMEOUT(sequencer->linkState(), 1, 5000);
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
        // The simulator stamps the faulty command as it arrives.
        QFile received(log);
        QVERIFY(received.open(QIODevice::ReadOnly));
        const QByteArrayList lines = received.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY2(ended - lines.last().split('\t').first().toLongLong() < 1000,
                 "ended after the reply time-out");
    }
};

QTEST_MAIN(tst_MisbehavingEncoder)
#include "tst_misbehaving_encoder.moc"
