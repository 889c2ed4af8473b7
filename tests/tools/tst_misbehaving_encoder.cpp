#include "ScriptedDialogs.h"
#include "SimProcess.h"
#include "TestSettings.h"

#include "commands/ControlProcessing.h"
#include "config/ConfigurationFile.h"
#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/Sequencer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

// quillcast-encoder-sim misbehaving on request, against the sequencer over a real
// pseudo-terminal and against quillcast-send: each fault ends in a clear outcome, nothing
// hangs, the receive buffer stays bounded, and the next Connect works.
class tst_MisbehavingEncoder : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;

    static Configuration configuration()
    {
        Configuration c = Configuration::defaults({"Quill Network", "KQIL", "1234"}, false);
        c.chCtrlNetworkName = c.chCtrlCallLetters = c.chCtrlTSID = 1;
        c.oNetworkName = c.oCallLetters = c.oTSID = 0;
        return c;
    }

private slots:
    void initTestCase();
    void faultModes_data();
    void faultModes();
};

namespace {

const QString NoReply =
    QStringLiteral("Quillcast could not connect to the Encoder.  Please check the cabling and "
                   "that the COM Port settings match the Encoder Serial Port settings.");

// What one reception may leave in the receive buffer: a long reply is fine, one without end
// is not.
constexpr int BufferBound = 1024 * 1024 + 64 * 1024;

// The sequencer over the simulator's line, as the window has it, with the peak size of the
// receive buffer noted after every receive event.
struct Link
{
    ScriptedDialogs dialogs;
    QWidget window;
    Sequencer *sequencer = nullptr;
    int peakBuffer = 0;
    QElapsedTimer sinceReceived;

    explicit Link(const QString &device)
    {
        auto *port = new Communications(QStringList{device});
        auto *channel = new CommInterface(port);
        COMSettings line;
        line.port = 1;
        line.baud = 9600;
        line.parity = QStringLiteral("N");
        line.dataBits = 8;
        line.StopBits = 1;
        channel->setCOMSettings(line);
        sequencer = new Sequencer(&window, channel, &window);
        sinceReceived.start();
        QObject::connect(port, &Communications::CharactersRx, &window, [this, channel] {
            peakBuffer = qMax(peakBuffer, int(channel->rxBuffer().size()));
            sinceReceived.restart();
        });
        QObject::connect(
            sequencer, &Sequencer::replyReceived, &window,
            [this](const QString &reply) { peakBuffer = qMax(peakBuffer, int(reply.size())); });
    }
    // Nothing queued, no timer running and the line quiet for a while.
    bool idle() const
    {
        return sequencer->CommandQueue().isEmpty() && !sequencer->timerCommTimeout()->isActive() &&
               !sequencer->timerSendConfigDisable()->isActive() && sinceReceived.elapsed() > 300;
    }
};

int linesIn(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : 0;
}

} // namespace

void tst_MisbehavingEncoder::initTestCase()
{
    TestSettings::wipe();
    QVERIFY(m_dir.isValid());
    m_file = m_dir.filePath(QStringLiteral("station.qcf"));
    ScriptedDialogs dialogs;
    QVERIFY(ConfigurationFile::SaveConfiguration(m_file, configuration(), nullptr));
}

void tst_MisbehavingEncoder::faultModes_data()
{
    // Commands are counted by the simulator from 1, readiness queries included: with the
    // sequencer, 1 is the query of Connect, 2 that of Send Configuration and 3 the first
    // configuration command; with quillcast-send, 1 is its one query and 3 the second command.
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("stalls");         // a reply never completes
    QTest::addColumn<int>("sendExit");        // quillcast-send's exit status
    QTest::addColumn<QString>("sendMessage"); // on its standard error

    const QString noAnswer = QStringLiteral("the encoder did not answer in time");
    QTest::newRow("hang-up") << QStringList{"--hangup-after", "3"} << true << 4 << noAnswer;
    QTest::newRow("no prompt") << QStringList{"--no-prompt-after", "3"} << true << 4 << noAnswer;
    // The noise comes in front of a reply, which still ends with the prompt.
    QTest::newRow("garbage") << QStringList{"--garbage", "1"} << false << 0 << QString();
    // The banner is taken for the lost command's reply.
    QTest::newRow("reset") << QStringList{"--reset-after", "3"} << false << 0 << QString();
    // The list is cut short after 512 characters; the rest arrives as one further reply.
    QTest::newRow("huge reply") << QStringList{"--huge-reply", "2097152"} << false << 0
                                << QString();
}

void tst_MisbehavingEncoder::faultModes()
{
    QFETCH(QStringList, options);
    QFETCH(bool, stalls);
    QFETCH(int, sendExit);
    QFETCH(QString, sendMessage);

    const QString device = m_dir.filePath(QStringLiteral("encoder"));
    const QString log = m_dir.filePath(QStringLiteral("encoder.log"));
    {
        SimProcess sim;
        QVERIFY2(sim.start(QStringList{"--link", device, "--log", log} + options),
                 qPrintable(sim.errorString()));
        Link link(device);
        Sequencer *sequencer = link.sequencer;
        const Configuration c = configuration();
        ControlProcessing::Context context;
        sequencer->setConfigurationBuilder([&] {
            ControlProcessing(c, context, [&](const CtrlACommand &command) {
                sequencer->AddCommand(command);
            }).BuildConfiguration();
        });

        sequencer->cmdConnect_Click();
        QTRY_COMPARE_WITH_TIMEOUT(sequencer->linkState(), 1, 5000);
        sequencer->cmdSendConfig_Click();
        QCOMPARE(sequencer->linkState(), 2);
        if (stalls) {
            // Once the faulty command has arrived no reply can come; the reply time-out is
            // run then rather than waited for.
            QTRY_VERIFY_WITH_TIMEOUT(linesIn(log) >= 3, 5000);
            QTest::qWait(100);
            if (sequencer->timerCommTimeout()->isActive()) {
                sequencer->timerCommTimeout()->stop();
                sequencer->timerCommTimeout_Timer();
            }
            QCOMPARE(link.dialogs.texts(), QStringList{NoReply});
            QCOMPARE(sequencer->linkState(), 0);
            QVERIFY(!sequencer->CommIFace()->PortIsOpen());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(link.idle(), 20000);
            QVERIFY2(link.dialogs.shown.isEmpty(), qPrintable(link.dialogs.texts().join('\n')));
            QCOMPARE(sequencer->linkState(), 1);
            sequencer->cmdConnect_Click();
            QCOMPARE(sequencer->linkState(), 0);
        }
        QVERIFY2(link.peakBuffer <= BufferBound, qPrintable(QString::number(link.peakBuffer)));

        // The next Connect, on the same line (a new one after a hang-up), works.
        link.dialogs.clear();
        sequencer->cmdConnect_Click();
        QTRY_COMPARE_WITH_TIMEOUT(sequencer->linkState(), 1, 5000);
        QVERIFY2(link.dialogs.shown.isEmpty(), qPrintable(link.dialogs.texts().join('\n')));
        sequencer->cmdConnect_Click();
    }

    // quillcast-send against a fresh encoder with the same fault.
    SimProcess sim;
    QVERIFY2(sim.start(QStringList{"--link", device} + options), qPrintable(sim.errorString()));
    QProcess send;
    send.start(QStringLiteral(QUILLCAST_TOOLS_DIR "/quillcast-send"),
               {m_file, QStringLiteral("--device"), device, QStringLiteral("--baud"),
                QStringLiteral("9600"), QStringLiteral("--parity"), QStringLiteral("N"),
                QStringLiteral("--data-bits"), QStringLiteral("8")});
    const bool finished = send.waitForFinished(30000);
    if (!finished) {
        send.kill();
        send.waitForFinished();
    }
    QVERIFY2(finished, "quillcast-send hangs");
    const QString errors = QString::fromLocal8Bit(send.readAllStandardError());
    QCOMPARE(send.exitStatus(), QProcess::NormalExit);
    QVERIFY2(send.exitCode() == sendExit, qPrintable(errors));
    if (sendMessage.isEmpty())
        QVERIFY2(errors.isEmpty(), qPrintable(errors));
    else
        QVERIFY2(errors.contains(sendMessage), qPrintable(errors));
}

QTEST_MAIN(tst_MisbehavingEncoder)
#include "tst_misbehaving_encoder.moc"
