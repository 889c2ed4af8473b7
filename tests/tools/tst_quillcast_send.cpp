#include "ScriptedDialogs.h"
#include "SimProcess.h"
#include "TestSettings.h"
#include "commands/ControlProcessing.h"
#include "common/Clock.h"
#include "common/LocalTimeZoneSnapshot.h"
#include "config/ConfigCodec.h"
#include "link/CommInterface.h"
#include "link/Communications.h"
#include "link/EncoderSimulator.h"
#include "link/Sequencer.h"
#include "ui/ConfigFileController.h"
#include "ui/ConfigurationBinder.h"
#include "ui/frmMainWindow.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <memory>

// quillcast-send: a saved configuration sent from the command line, as the window would send it.
class tst_QuillcastSend : public QObject
{
    Q_OBJECT

private:
    struct Run
    {
        int exitCode = -1;
        QStringList out;
        QString err;
    };

    QTemporaryDir m_dir;
    QString m_file;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<frmMainWindow> m_window;

    static QString program() { return QStringLiteral(QUILLCAST_TOOLS_DIR "/quillcast-send"); }

    static Run run(const QStringList &arguments, int timeoutMs = 60000)
    {
        Run result;
        QProcess process;
        process.start(program(), arguments);
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        if (process.exitStatus() == QProcess::NormalExit)
            result.exitCode = process.exitCode();
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput())
                         .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

    // Every feature on and inserted, with an expiry date counted from today's lists.
    static Configuration sample()
    {
        Configuration c = Configuration::defaults({"NBC", "WNBC", "1"}, false);
        c.chCtrlNetworkName = c.chCtrlCallLetters = c.chCtrlTSID = c.chCtrlTimeOfDay =
            c.chCtrlTimeZone = c.chCtrlProgramName = c.chCtrlProgramRating = c.chCtrlCGMS =
                c.chCtrlWebTV = 1;
        c.oNetworkName = c.oCallLetters = c.oTSID = c.oTimeOfDay = c.oTimezone = c.oProgramName =
            c.oProgramRating = c.oCGMS = c.oWebTV = 0;
        c.txtNetworkName = QStringLiteral("AB");
        c.txtCallLetters = QStringLiteral("KQED");
        c.txtTSID = QStringLiteral("4660");
        c.txtProgramName = QStringLiteral("Evening News");
        c.cmbProgRatingSys = 1;
        c.cmbProgramRating = 4;
        c.chProgramRatingFlags = {0, 1, 0, 1, 0};
        c.chSyncClock = c.chDecoderSend = c.chBlockingSend = 1;
        c.oDecoderSettings = 9;
        c.chBlockingSettings = {0, 0, 0, 0, 1, 0, 1, 0, 0};
        c.txtWebURL = QStringLiteral("http://example.com/");
        c.txtWebDescription = QStringLiteral("Example");
        c.txtWebRepeat = QStringLiteral("9999");
        c.cmbWebExpiryYear = 2;
        c.cmbWebExpiryMonth = c.cmbWebExpiryDay = 1;
        c.cmbCGMS = 2;
        c.cmbCGMSOptions = 3;
        c.oCGMSASB = 1;
        return c;
    }

    // The clock commands carry the moment of building; everything else must match.
    static bool isClockCommand(const QByteArray &wire)
    {
        return wire.mid(1, 2) == "c " || wire.mid(1, 2) == "d ";
    }

private slots:
    // The file every test sends is saved by the window itself, through File > Save As.
    void initTestCase()
    {
        TestSettings::wipe();
        QVERIFY2(QFileInfo(program()).isExecutable(), qPrintable(program()));
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_window = std::make_unique<frmMainWindow>(DefaultInfo{"NBC", "WNBC", "1"});
        ConfigurationBinder::apply(m_window.get(), sample());
        m_file = m_dir.filePath(QStringLiteral("channel.qcf"));
        m_dialogs->savePaths << m_file;
        m_window->files()->mnuSaveFileAs_Click();
        QVERIFY2(m_dialogs->shown.isEmpty(), qPrintable(m_dialogs->texts().join('\n')));
        QVERIFY(QFileInfo(m_file).size() > 0);
        QFile junk(m_dir.filePath(QStringLiteral("junk.qcf")));
        QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write("Not a configuration file.") > 0);
    }
    void cleanupTestCase()
    {
        m_window.reset();
        m_dialogs.reset();
    }

    // A file with texts longer than their boxes and a script with CR LF: the window, which
    // loads into its boxes, and the tool build the same commands.
    void overLongTextsReadAlike()
    {
        Configuration c = sample();
        c.txtNetworkName = QString(40, QLatin1Char('N'));
        c.txtCallLetters = QStringLiteral("KQEDXYZ");
        c.txtWebDescription = QString(25, QLatin1Char('d'));
        c.txtWebScript = QStringLiteral("one()\r\ntwo()") + QString(45, QLatin1Char('s'));
        const QString path = m_dir.filePath(QStringLiteral("long.qcf"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(ConfigCodec::encode(c).bytes) > 0);
        file.close();
        const Run r = run({path, QStringLiteral("--dry-run")});
        QCOMPARE(r.exitCode, 0);
        QStringList tool = r.out;

        QVERIFY(m_window->files()->LoadConfiguration(path));
        ControlProcessing::Context context; // the tool's zone: that of this moment
        context.zone =
            LocalTimeZoneSnapshot::take(QTimeZone::systemTimeZone(), Clock::instance().now());
        QStringList window;
        ControlProcessing(ConfigurationBinder::read(m_window.get()), context,
                          [&window](const CtrlACommand &command) {
                              window << QString::fromLatin1(command.wireBytes().toHex().toUpper());
                          })
            .BuildConfiguration();
        const auto clock = [](const QString &hex) {
            return hex.startsWith("0163") || hex.startsWith("0164");
        };
        tool.removeIf(clock);
        window.removeIf(clock);
        QCOMPARE(tool, window);
        QVERIFY(m_window->files()->LoadConfiguration(m_file)); // back to what the others send
    }

    // What the window's own Send Configuration puts on the line, readiness queries aside.
    void dryRunMatchesWindowSend()
    {
        const Run r = run({m_file, QStringLiteral("--dry-run")});
        QCOMPARE(r.exitCode, 0);
        QList<QByteArray> tool;
        for (const QString &line : r.out)
            tool << QByteArray::fromHex(line.toLatin1());

        Sequencer *sequencer = m_window->sequencer();
        CommInterface *channel = sequencer->CommIFace();
        COMSettings settings = channel->getCOMSettings();
        settings.device = Communications::simulatedDeviceName();
        channel->setCOMSettings(settings);
        sequencer->cmdConnect_Click();
        QTRY_COMPARE_WITH_TIMEOUT(sequencer->linkState(), 1, 5000);
        EncoderSimulator *encoder = channel->CommClass()->simulatedEncoder();
        QVERIFY(encoder);
        encoder->clearReceived();
        m_window->findChild<QAbstractButton *>(QStringLiteral("cmdSendConfig"))->click();
        QTRY_VERIFY_WITH_TIMEOUT(sequencer->CommandQueue().isEmpty() &&
                                     !sequencer->timerCommTimeout()->isActive(),
                                 60000);
        QList<QByteArray> windowSend;
        for (const EncoderSimulator::ReceivedCommand &c : encoder->received()) {
            if (!c.bytes.endsWith("\x01?\r"))
                windowSend << c.bytes;
        }
        channel->Disconnect();

        QCOMPARE(std::count_if(tool.cbegin(), tool.cend(), isClockCommand), 2);
        tool.removeIf(isClockCommand);
        windowSend.removeIf(isClockCommand);
        QCOMPARE(tool, windowSend);
        QVERIFY(tool.contains("\x01P 0501 9999 41422020\r"));
        // Hexadecimal in capitals, one command per line.
        QCOMPARE(r.out.last(), QStringLiteral("01390D"));
    }

    // One line on standard error and the status of the first failure; @SIM is a simulated
    // encoder started with the row's simulator options.
    void failures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("answered");
        const auto row = [](const char *name, const QStringList &arguments, int exitCode,
                            const QString &message, const QStringList &simulator = {},
                            int answered = 0) {
            QTest::newRow(name) << arguments << simulator << exitCode << message << answered;
        };
        row("no file", {"--dry-run"}, 1, "--device");
        row("no device", {"@FILE"}, 1, "--device");
        row("bad parity", {"@FILE", "--dry-run", "--parity", "X"}, 1, "--parity");
        row("bad data bits", {"@FILE", "--dry-run", "--data-bits", "6"}, 1, "--data-bits");
        row("bad baud", {"@FILE", "--dry-run", "--baud", "fast"}, 1, "--baud");
        row("missing file", {"@DIR/none.qcf", "--dry-run"}, 2, "The file could not be opened.");
        row("not a configuration", {"@DIR/junk.qcf", "--dry-run"}, 2, "invalid Configuration file");
        row("port cannot be opened", {"@FILE", "--device", "@DIR/tty0"}, 3, "could not be opened");
        row("silent encoder", {"@FILE", "--device", "@SIM"}, 4, "did not answer", {"--silent"});
        row("several devices", {"@FILE", "--device", "@SIM", "--device", "@DIR/tty0"}, 3,
            "@DIR/tty0", {}, 1);
    }
    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, simulator);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(int, answered);
        message.replace(QLatin1String("@DIR"), m_dir.path());
        SimProcess encoder;
        if (arguments.contains(QStringLiteral("@SIM")))
            QVERIFY2(encoder.start(simulator), qPrintable(encoder.errorString()));
        for (QString &argument : arguments) {
            argument.replace(QLatin1String("@FILE"), m_file);
            argument.replace(QLatin1String("@DIR"), m_dir.path());
            argument.replace(QLatin1String("@SIM"), encoder.slavePath());
        }
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY2(r.err.count(QLatin1Char('\n')) == 1, qPrintable(r.err)); // one line
        QCOMPARE(r.out.filter(QStringLiteral("commands answered")).size(), answered);
        QVERIFY(!r.out.contains(QStringLiteral("01390D")));
    }

    void sendsToTheEncoder()
    {
        const QString log = m_dir.filePath(QStringLiteral("encoder.log"));
        SimProcess encoder;
        QVERIFY2(encoder.start({QStringLiteral("--log"), log}), qPrintable(encoder.errorString()));
        const Run dry = run({m_file, QStringLiteral("--dry-run")});
        const Run r = run({m_file, QStringLiteral("--device"), encoder.slavePath()});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));

        // One readiness query, then each command after the reply to the one before.
        const QStringList sent = r.out.filter(QStringLiteral(" > "));
        const QStringList replies = r.out.filter(QStringLiteral(" < "));
        QCOMPARE(sent.size(), dry.out.size() + 1);
        QCOMPARE(replies.size(), dry.out.size() + 1);
        QVERIFY(sent.first().endsWith(QLatin1String("\\x03\\r\\x01?\\r")));
        QVERIFY(sent.last().endsWith(QLatin1String("\\x019\\r")));
        QVERIFY(replies.last().endsWith(QLatin1String("\\r\\n*")));
        QVERIFY(
            r.out.last().endsWith(QStringLiteral("all %1 commands answered").arg(dry.out.size())));

        // The simulator's own log: one line per command, readiness queries aside.
        QFile received(log);
        QVERIFY(received.open(QIODevice::ReadOnly));
        QByteArrayList commands = received.readAll().split('\n');
        commands.removeIf([](const QByteArray &l) { return l.isEmpty() || l.endsWith("?<CR>"); });
        QCOMPARE(commands.size(), dry.out.size());
        QVERIFY(commands.first().endsWith("\t<SOH>P 0501 9999 41422020<CR>"));
        QVERIFY(commands.last().endsWith("\t<SOH>9<CR>"));
    }

    // --loop on real timers: the file's lines, one command each, on the chosen channel.
    void loop_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // on standard error; "" for none
        QTest::newRow("3 seconds on channel 3")
            << QStringList{"--for", "00:00:03", "--channel", "3"} << QStringList() << 0 << "";
        QTest::newRow("no time") << QStringList() << QStringList() << 1 << "--continuous";
        QTest::newRow("bad time") << QStringList{"--for", "24:00:00"} << QStringList() << 1
                                  << "--for";
        QTest::newRow("bad channel")
            << QStringList{"--continuous", "--channel", "5"} << QStringList() << 1 << "--channel";
        QTest::newRow("unreadable file") << QStringList{"--continuous", "--loop", "@DIR/none.txt"}
                                         << QStringList() << 2 << "cannot be read";
        QTest::newRow("silent encoder")
            << QStringList{"--continuous"} << QStringList{"--silent"} << 4 << "did not answer";
    }
    void loop()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, simulator);
        QFETCH(QString, message);
        const QString file = m_dir.filePath(QStringLiteral("loop.txt"));
        const QString log = m_dir.filePath(QStringLiteral("loop.log"));
        QFile text(file);
        QVERIFY(text.open(QIODevice::WriteOnly) &&
                text.write("//LINEDELAY=1\r\n//LOOPDELAY=1\r\n//CCCHANNEL=1\r\nFirst\r\n\r\n") > 0);
        text.close();
        SimProcess encoder;
        QVERIFY2(encoder.start(simulator << "--log" << log), qPrintable(encoder.errorString()));
        arguments.replaceInStrings(QStringLiteral("@DIR"), m_dir.path());
        const Run r = run(QStringList{"--loop", file, "--device", encoder.slavePath()} + arguments);
        QTEST(r.exitCode, "exitCode");
        QVERIFY2(message.isEmpty() ? r.err.isEmpty() : r.err.count('\n') == 1, qPrintable(r.err));
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        if (r.exitCode != 0)
            return;
        // A timed loop of n seconds runs between n - 1 and n seconds: 2 or 3 sends a second
        // apart, each printed as it is queued.
        QFile received(log);
        QVERIFY(received.open(QIODevice::ReadOnly));
        QByteArrayList commands = received.readAll().split('\n');
        commands.removeIf([](const QByteArray &l) { return l.isEmpty() || l.endsWith("?<CR>"); });
        QVERIFY2(commands.size() == 2 || commands.size() == 3, commands.join('\n'));
        for (int i = 0; i < commands.size(); ++i) {
            QVERIFY(commands[i].endsWith(i % 2 ? "\t<SOH>2 C3<CR><CR><ETX>"
                                               : "\t<SOH>2 C3<CR>First<CR><ETX>"));
            QVERIFY(r.out[i + 1].endsWith(i % 2 ? " C3 " : " C3 First"));
        }
        QCOMPARE(r.out.last(),
                 encoder.slavePath() + ": " + QString::number(commands.size()) + " lines sent");
    }

    // SIGTERM ends a continuous loop once the line in flight has been answered, with status 0.
    void loopEndsOnInterrupt()
    {
        const QString log = m_dir.filePath(QStringLiteral("interrupt.log"));
        SimProcess encoder;
        QVERIFY2(encoder.start({QStringLiteral("--log"), log}), qPrintable(encoder.errorString()));
        QFile text(m_dir.filePath(QStringLiteral("one.txt")));
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("//LOOPDELAY=60\nOnly line\n") > 0);
        text.close();
        QProcess process;
        process.start(program(),
                      {"--loop", text.fileName(), "--device", encoder.slavePath(), "--continuous"});
        while (!process.readAllStandardOutput().contains(" C1 Only line"))
            QVERIFY(process.waitForReadyRead(5000));
        process.terminate();
        QVERIFY(process.waitForFinished(5000));
        QVERIFY(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0);
        QVERIFY(process.readAllStandardOutput().endsWith(": 1 lines sent\n"));
        QFile received(log);
        QVERIFY(received.open(QIODevice::ReadOnly));
        QVERIFY(received.readAll().endsWith("\t<SOH>2 C1<CR>Only line<CR><ETX>\n"));
    }
};

QTEST_MAIN(tst_QuillcastSend)
#include "tst_quillcast_send.moc"
