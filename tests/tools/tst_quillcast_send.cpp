#include "GoldenFiles.h"
#include "SimProcess.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
    // Nothing in it hangs on today's date or the local zone.
    const QString m_file = goldenFile("passed.qcf");

    static Run run(const QStringList &arguments)
    {
        QProcess process;
        process.start(QStringLiteral(QUILLCAST_TOOLS_DIR "/quillcast-send"), arguments);
        if (!process.waitForFinished(60000)) {
            process.kill(); // and the exit status tells of the crash
            process.waitForFinished();
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromLocal8Bit(process.readAllStandardOutput())
                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

private slots:
    void initTestCase()
    {
        QFile text(m_dir.filePath(QStringLiteral("loop.txt")));
        QVERIFY(text.open(QIODevice::WriteOnly) &&
                text.write("//LINEDELAY=1\r\n//LOOPDELAY=1\r\n//CCCHANNEL=1\r\nFirst\r\n\r\n") > 0);
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
        row("no device", {"@FILE"}, 1, "--device");
        row("missing file", {"@DIR/none.qcf", "--dry-run"}, 2, "The file could not be opened.");
        row("port cannot be opened", {"@FILE", "--device", "@DIR/tty0"}, 3, "could not be opened");
        row("silent encoder", {"@FILE", "--device", "@SIM"}, 4, "did not answer", {"--silent"});
        const QStringList loop = {"--loop", "@DIR/loop.txt", "--device", "@SIM"};
        row("loop, silent encoder", loop + QStringList{"--continuous"}, 4, "did not answer",
            {"--silent"});
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
    }

    // One readiness query, then the commands of the golden wire, each answered.
    void sendsToTheEncoder()
    {
        SimProcess encoder;
        QVERIFY2(encoder.start(), qPrintable(encoder.errorString()));
        const Run r = run({m_file, QStringLiteral("--device"), encoder.slavePath()});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QStringList sent;
        for (const QString &line : r.out.filter(QStringLiteral(" > ")))
            sent << line.section(QStringLiteral(" > "), 1);
        const QStringList wire = goldenLines("passed.wire");
        QCOMPARE(sent, QStringList{"\\x03\\r\\x01?\\r"} + wire);
        QCOMPARE(r.out.filter(QStringLiteral(" < ")).size(), wire.size() + 1);
        QVERIFY(r.out.last().endsWith(QStringLiteral("all %1 commands answered").arg(wire.size())));
    }

    // --loop on real timers: the file's lines, one command each, on the chosen channel.
    void loopForThreeSeconds()
    {
        const QString log = m_dir.filePath(QStringLiteral("loop.log"));
        SimProcess encoder;
        QVERIFY2(encoder.start({"--log", log}), qPrintable(encoder.errorString()));
        const Run r = run({"--loop", m_dir.filePath("loop.txt"), "--device", encoder.slavePath(),
                           "--for", "00:00:03", "--channel", "3"});
        QVERIFY2(r.exitCode == 0 && r.err.isEmpty(), qPrintable(r.err));
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
};

QTEST_MAIN(tst_QuillcastSend)
#include "tst_quillcast_send.moc"
