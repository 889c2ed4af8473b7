#include "ScriptedDialogs.h"
#include "SimProcess.h"
#include "TestSettings.h"
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
        c.chSyncClock = 1;
        c.chDecoderSend = 1;
        c.oDecoderSettings = 9;
        c.chBlockingSend = 1;
        c.chBlockingSettings = {0, 0, 0, 0, 1, 0, 1, 0, 0};
        c.txtWebURL = QStringLiteral("http://example.com/");
        c.txtWebDescription = QStringLiteral("Example");
        c.txtWebRepeat = QStringLiteral("9999");
        c.cmbWebExpiryYear = 2;
        c.cmbWebExpiryMonth = 1;
        c.cmbWebExpiryDay = 1;
        c.cmbCGMS = 2;
        c.cmbCGMSOptions = 3;
        c.oCGMSASB = 1;
        c.oInsertArticles = 2;
        c.txtInsArticleRepeat = QStringLiteral("12");
        return c;
    }

    // The clock commands carry the moment of building; everything else must match.
    static bool isClockCommand(const QByteArray &wire)
    {
        return wire.startsWith("\x01"
                               "c ") ||
               wire.startsWith("\x01"
                               "d ");
    }

    static QStringList transcript(const Run &r, const QString &direction)
    {
        QStringList lines;
        for (const QString &line : r.out) {
            if (line.contains(QLatin1Char(' ') + direction + QLatin1Char(' ')))
                lines << line;
        }
        return lines;
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
    }
    void cleanupTestCase()
    {
        m_window.reset();
        m_dialogs.reset();
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
        settings.port = static_cast<qint16>(channel->CommClass()->SimulatedPort());
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

        QCOMPARE(tool.size(), windowSend.size());
        QCOMPARE(std::count_if(tool.cbegin(), tool.cend(), isClockCommand), 2);
        tool.removeIf(isClockCommand);
        windowSend.removeIf(isClockCommand);
        QCOMPARE(tool, windowSend);
        QVERIFY(tool.contains("\x01P 0501 9999 41422020\r"));
        QCOMPARE(tool.last(), QByteArray("\x01"
                                         "9\r"));
        // Hexadecimal in capitals, one command per line.
        QCOMPARE(r.out.last(), QStringLiteral("01390D"));
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("no file") << QStringList{"--dry-run"} << 1 << "--device";
        QTest::newRow("no device") << QStringList{"@FILE"} << 1 << "--device";
        QTest::newRow("bad parity")
            << QStringList{"@FILE", "--dry-run", "--parity", "X"} << 1 << "--parity";
        QTest::newRow("bad data bits")
            << QStringList{"@FILE", "--dry-run", "--data-bits", "6"} << 1 << "--data-bits";
        QTest::newRow("bad baud") << QStringList{"@FILE", "--dry-run", "--baud", "fast"} << 1
                                  << "--baud";
        QTest::newRow("missing file")
            << QStringList{"@DIR/none.qcf", "--dry-run"} << 2 << "The file could not be opened.";
        QTest::newRow("not a configuration")
            << QStringList{"@DIR/junk.qcf", "--dry-run"} << 2 << "invalid Configuration file";
        QTest::newRow("port cannot be opened")
            << QStringList{"@FILE", "--device", "@DIR/no-such-tty"} << 3 << "could not be opened";
    }
    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFile junk(m_dir.filePath(QStringLiteral("junk.qcf")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("This is not a configuration file at all.");
        junk.close();
        for (QString &argument : arguments) {
            argument.replace(QLatin1String("@FILE"), m_file);
            argument.replace(QLatin1String("@DIR"), m_dir.path());
        }
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY2(r.err.count(QLatin1Char('\n')) == 1, qPrintable(r.err)); // one line
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
        const QStringList sent = transcript(r, QStringLiteral(">"));
        const QStringList replies = transcript(r, QStringLiteral("<"));
        QCOMPARE(sent.size(), dry.out.size() + 1);
        QCOMPARE(replies.size(), dry.out.size() + 1);
        QVERIFY(sent.first().endsWith(QLatin1String("\\x03\\r\\x01?\\r")));
        QVERIFY(sent.last().endsWith(QLatin1String("\\x019\\r")));
        QVERIFY(replies.last().endsWith(QLatin1String("\\r\\n*")));
        QVERIFY(
            r.out.last().endsWith(QStringLiteral("all %1 commands answered").arg(dry.out.size())));

        QFile received(log);
        QVERIFY(received.open(QIODevice::ReadOnly));
        QStringList commands;
        for (const QByteArray &line : received.readAll().split('\n')) {
            if (!line.isEmpty() && !line.endsWith("<SOH>?<CR>"))
                commands << QString::fromLatin1(line.mid(line.lastIndexOf('\t') + 1));
        }
        QCOMPARE(commands.size(), dry.out.size());
        QCOMPARE(commands.first(), QStringLiteral("<SOH>P 0501 9999 41422020<CR>"));
        QCOMPARE(commands.last(), QStringLiteral("<SOH>9<CR>"));
    }

    void silentEncoderTimesOut()
    {
        SimProcess encoder;
        QVERIFY2(encoder.start({QStringLiteral("--silent")}), qPrintable(encoder.errorString()));
        const Run r = run({m_file, QStringLiteral("--device"), encoder.slavePath()});
        QCOMPARE(r.exitCode, 4);
        QVERIFY2(r.err.contains(QLatin1String("did not answer")), qPrintable(r.err));
        QVERIFY2(r.err.count(QLatin1Char('\n')) == 1, qPrintable(r.err));
        QCOMPARE(transcript(r, QStringLiteral("<")).size(), 0);
    }

    // Each device is sent to in turn; the status is the first failure's.
    void severalDevices()
    {
        SimProcess encoder;
        QVERIFY2(encoder.start(), qPrintable(encoder.errorString()));
        const QString missing = m_dir.filePath(QStringLiteral("no-such-tty"));
        const Run r = run({m_file, QStringLiteral("--device"), encoder.slavePath(),
                           QStringLiteral("--device"), missing});
        QCOMPARE(r.exitCode, 3);
        QVERIFY(r.out.filter(QStringLiteral("commands answered")).size() == 1);
        QVERIFY2(r.err.contains(missing), qPrintable(r.err));
        QVERIFY2(r.err.count(QLatin1Char('\n')) == 1, qPrintable(r.err));
    }

    void helpNamesOptionsAndExitStatus()
    {
        const Run r = run({QStringLiteral("--help")});
        QCOMPARE(r.exitCode, 0);
        const QString help = r.out.join(QLatin1Char('\n'));
        for (const char *expected :
             {"FILE.qcf", "--device <path>", "--baud <n>", "--parity <letter>", "--data-bits <n>",
              "--dry-run", "default 1200", "Exit status", "3  a serial port could not be opened",
              "4  an encoder did not answer in time"})
            QVERIFY2(help.contains(QLatin1String(expected)), expected);
    }
};

QTEST_MAIN(tst_QuillcastSend)
#include "tst_quillcast_send.moc"
