#include "DataRows.h"
#include "PtyPair.h"
#include "Ser2net.h"
#include "SimProcess.h"

#include "core/session/LogFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

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

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        return writeFile(path, bytes) ? path : QString();
    }
    // The commands an encoder received, as hexadecimal wire bytes, readiness queries left out.
    static QStringList received(const QString &simulatorLog)
    {
        QStringList commands;
        for (const QByteArray &line : contentsOf(simulatorLog).split('\n')) {
            if (!line.isEmpty() && !line.endsWith("?<CR>"))
                commands << QString::fromLatin1(line.split('\t').value(1)).remove(' ');
        }
        return commands;
    }

    static constexpr const char *Send = QUILLCAST_TOOLS_DIR "/quillcast-send";
    static Run run(const QStringList &arguments, const QString &program = Send)
    {
        QProcess process;
        process.start(program, arguments);
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
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("loop.txt")),
                          "//LINEDELAY=1\r\n//LOOPDELAY=1\r\n//CCCHANNEL=1\r\nFirst\r\n\r\n"));
        write("own.ini", "[one]\ndevice=@DIR/tty0\nconfiguration=" + m_file.toUtf8() + "\n");
        write("other.json", R"([{"name": "x", "result": "ok"}])");
        QVERIFY(::mkfifo(QFile::encodeName(m_dir.filePath("fifo")).constData(), 0600) == 0);
    }

    // One line on standard error (with several encoders: the encoder's line on standard output)
    // and the status of the first failure; @SIM is a simulated encoder started with the row's
    // simulator options.
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
        row("missing file", {"@DIR/none.qcf", "--dry-run"}, 2, "none.qcf: the file does not exist");
        row("missing file beside a list", {"--encoders", "@DIR/own.ini", "@DIR/none.qcf"}, 2,
            "none.qcf: the file does not exist");
        row("two lists", {"--encoders", "@DIR/own.ini", "--encoders", "@DIR/own.ini"}, 1,
            "give --encoders once");
        row("port cannot be opened", {"@FILE", "--device", "@DIR/tty0"}, 3,
            "could not be opened (No such file or directory)");
        row("silent encoder", {"@FILE", "--device", "@SIM"}, 4, "did not answer", {"--silent"});
        const QStringList loop = {"--loop", "@DIR/loop.txt", "--device", "@SIM"};
        row("loop, silent encoder", loop + QStringList{"--continuous"}, 4, "did not answer",
            {"--silent"});
        row("several devices", {"@FILE", "--device", "@DIR/tty0", "--device", "@SIM"}, 3,
            "@DIR/tty0", {}, 1);
        row("same device twice", {"@FILE", "--device", "@SIM", "--device", "@SIM"}, 1, "again");
        // Outputs are refused before any port opens: no encoder is sent to.
        const QStringList send = {"@FILE", "--device", "@SIM"};
        row("report in a missing folder", send + QStringList{"--report", "@DIR/none/r.json"}, 2,
            "--report @DIR/none/r.json the folder @DIR/none does not exist: refused");
        row("report on a folder", send + QStringList{"--report", "@DIR"}, 2, "is a folder");
        row("report on a FIFO", send + QStringList{"--report", "@DIR/fifo"}, 2,
            "--report @DIR/fifo is not a regular file: refused");
        row("report into a pipe", send + QStringList{"--report", "/dev/stdout"}, 2, "refused");
        row("log on the encoder's device", send + QStringList{"--log", "@SIM"}, 1,
            "is the device of encoder");
        row("log on a FIFO nobody reads", send + QStringList{"--log", "@DIR/fifo"}, 1,
            "fifo: no program reads it");
        row("unknown name", send + QStringList{"--only", "studio"}, 2, "no encoder \"studio\"");
        row("unknown name in the report", send + QStringList{"--retry-failed", "@DIR/other.json"},
            2, "other.json: encoder \"x\" is not in the list");
        row("check, silent encoder", {"--check", "--device", "@SIM"}, 4, ": does not answer",
            {"--silent"});
        row("check", {"--check", "--device", "@SIM"}, 0,
            ": answers: Orvane Simulated Encoder --  Version 3.10, Serial 001234");
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
        const QString said = r.err.isEmpty() ? r.out.join('\n') : r.err;
        QVERIFY2(said.contains(message), qPrintable(said));
        QVERIFY2(r.err.count(QLatin1Char('\n')) <= 1, qPrintable(r.err)); // one line at most
        static const QRegularExpression ok(QStringLiteral(": +(ok,|all \\d+ commands answered)"));
        QCOMPARE(r.out.filter(ok).size(), answered);
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

    // tests/data/restart-or-reply.rows: the reply to the article list, the file's one command, is
    // taken as the window takes it.
    void restartOrReply_data() { addRows("restart-or-reply", {"reply", "restart"}); }
    void restartOrReply()
    {
        QFETCH(QString, reply);
        QFETCH(QString, restart);
        PtyPair encoder;
        QVERIFY(encoder.isValid());
        QProcess send;
        send.start(QStringLiteral(QUILLCAST_TOOLS_DIR "/quillcast-send"),
                   {goldenFile("everything-off.qcf"), "--device", encoder.slavePath()});
        QVERIFY(encoder.answer("\x01?\r", "\r\nOrvane EN-7 -- V1\r\nSerial 42\r\n*"));
        QVERIFY(encoder.answer("\0019\r", reply.toLatin1()));
        QVERIFY(send.waitForFinished(10000));
        QCOMPARE(send.exitCode(), restart == "yes" ? 5 : 0);
    }

    // tests/data/encoder-lists.rows: a bad list or entry is refused before anything is sent.
    void listRefusals_data() { addRows("encoder-lists", {"rows", "message"}); }
    void listRefusals()
    {
        QFETCH(QString, rows);
        QFETCH(QString, message);
        QByteArray list = rows.toUtf8();
        const QString log = m_dir.filePath(QStringLiteral("refusal.log"));
        QFile::remove(log);
        SimProcess encoder;
        QVERIFY2(encoder.start({"--log", log}), qPrintable(encoder.errorString()));
        list.prepend("[good]\ndevice=@SIM\n");
        list.replace("@SIM", encoder.slavePath().toLocal8Bit())
            .replace("@DIR", m_dir.path().toLocal8Bit());
        message.replace(QLatin1String("@SIM"), encoder.slavePath())
            .replace(QLatin1String("@DIR"), m_dir.path());
        const QString plant = write("plant.ini", list);
        const Run r =
            QString(QTest::currentDataTag()).startsWith("pipe:")
                ? run({"-c", "exec \"$0\" --encoders <(cat \"$1\") \"$2\"", Send, plant, m_file},
                      "/bin/bash")
                : run({"--encoders", plant, m_file});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(message) && r.err.count('\n') == 1, qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QTest::qWait(200); // a byte on its way would have arrived by now
        QCOMPARE(contentsOf(log), QByteArray());
    }

    // Four encoders at once, one silent and one missing: the others get exactly their commands,
    // the status is that of the silent one (4). In a pipe: no progress line, the outcomes
    // aligned, each failure said once and grouped by reason in the summary, control characters
    // of a name escaped everywhere.
    void plantOfFour()
    {
        struct Encoder
        {
            QString name;
            QString device;
            QString log; // what the encoder received; "" for none
        };
        SimProcess first, second;
        const QString log1 = m_dir.filePath("studio-1.log"), log2 = m_dir.filePath("studio-3.log");
        QVERIFY2(first.start({"--log", log1}), qPrintable(first.errorString()));
        QVERIFY2(second.start({"--log", log2}), qPrintable(second.errorString()));
        PtyPair silent;
        QVERIFY(silent.isValid());
        // studio-3 is reached through a serial device server whose own line settings differ
        // from the encoder's: the RFC 2217 port sets them.
        Ser2net server;
        const QStringList network = server.start({{"rfc2217", second.slavePath(), "9600n81"}});
        QVERIFY2(network.size() == 1, qPrintable(server.errorString()));
        const QList<Encoder> encoders = {
            {"studio-1", first.slavePath(), log1},
            {"x\ry\x1b[31mRED", silent.slavePath(), QString()},
            {"studio-3", network.first(), log2},
            {"gone", m_dir.filePath("tty9"), QString()},
        };
        // studio-3 runs the other configuration, named relative to the list's folder.
        QVERIFY(QFile::copy(goldenFile("everything-off.qcf"), m_dir.filePath("off.qcf")));
        QByteArray list;
        for (const Encoder &e : encoders)
            list += "[" + e.name.toUtf8().toPercentEncoding("[]-") +
                    "]\ndevice=" + e.device.toUtf8() + "\n" +
                    (e.name == "studio-3" ? "configuration=off.qcf\n" : "");
        const QString plant = write("plant.ini", list);

        const Run dry = run({"--encoders", plant, m_file, "--dry-run"});
        QCOMPARE(dry.exitCode, 0);
        const QString report = m_dir.filePath("report.json"), traffic = m_dir.filePath("t.log");
        const Run r = run({"--encoders", plant, m_file, "--report", report, "--log", traffic});
        QCOMPARE(r.exitCode, 4);
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        const QString shown = "x\\ry\\x1B[31mRED";
        QCOMPARE(r.out.mid(4), QStringList({"2 of 4 encoders programmed",
                                            "  did not answer in time (1): " + shown,
                                            "  port could not be opened (1): gone"}));
        for (const QString &line : r.out.mid(0, 4))
            QCOMPARE(line.indexOf(QRegularExpression(" (ok|failed)")), shown.size() + 1);
        const QJsonArray records = QJsonDocument::fromJson(contentsOf(report)).array();
        QCOMPARE(records.size(), encoders.size());
        for (int i = 0; i < encoders.size(); ++i) {
            const QJsonObject record = records[i].toObject();
            const Encoder &e = encoders[i];
            // The dry run's commands under the encoder's name are exactly those it received.
            const int at = dry.out.indexOf(LogFile::plainText(e.name) + ':');
            QStringList commands = dry.out.mid(at + 1);
            commands = commands.mid(0, commands.indexOf(QRegularExpression("^\\S.*")));
            commands.replaceInStrings("  ", "");
            QVERIFY(at >= 0 && !commands.isEmpty());
            QCOMPARE(record["name"].toString(), e.name);
            QCOMPARE(r.out
                         .filter(QRegularExpression("^\\Q" + LogFile::plainText(e.name) +
                                                    ":\\E +(ok|failed)"))
                         .size(),
                     1);
            QCOMPARE(record["device"].toString(), e.device);
            QCOMPARE(record["result"].toString(), e.log.isEmpty() ? "failed" : "ok");
            QCOMPARE(record["exit_status"].toInt(), e.log.isEmpty() ? (i == 1 ? 4 : 3) : 0);
            QCOMPARE(record["commands_answered"].toInt(), e.log.isEmpty() ? 0 : commands.size());
            if (!e.log.isEmpty())
                QCOMPARE(received(e.log), commands);
        }
        QCOMPARE(records[2].toObject()["configuration"].toString(), m_dir.filePath("off.qcf"));
        for (const QByteArray &line : contentsOf(traffic).split('\n'))
            QVERIFY2(line.isEmpty() || line.startsWith("studio-") || line.startsWith("gone: ") ||
                         line.startsWith(shown.toUtf8() + ": "),
                     line.constData());
    }

    // SIGTERM in the middle of a plant: no encoder is started after it, those under way end
    // between two commands, and the report and the log, written as the run went, hold every
    // encoder that finished before it; --retry-failed then sends to the others only.
    void interruptedRun()
    {
        SimProcess sim;
        QVERIFY2(sim.start({"--count", "5", "--reply-delay", "100"}),
                 qPrintable(sim.errorString()));
        QByteArray list;
        for (int i = 0; i < 5; ++i)
            list +=
                QStringLiteral("[studio-%1]\ndevice=%2\n").arg(i).arg(sim.devices()[i]).toUtf8();
        const QString plant = write("plant.ini", list), report = m_dir.filePath("run.json"),
                      log = m_dir.filePath("run.log");
        QProcess send;
        send.start(Send,
                   {"--encoders", plant, m_file, "--jobs", "2", "--report", report, "--log", log});
        // The first two are done, the next two under way: the report holds the first already.
        QTRY_VERIFY_WITH_TIMEOUT(contentsOf(report).contains("studio-1"), 10000);
        send.terminate(); // SIGTERM
        QVERIFY(send.waitForFinished(10000));
        QCOMPARE(send.exitCode(), 143);
        const QStringList out = QString(send.readAllStandardOutput()).split('\n');
        QCOMPARE(out.filter(QRegularExpression(": +interrupted after \\d+ of 11 commands")).size(),
                 2);
        QVERIFY(out.contains("  not started (1): studio-4"));
        QStringList results;
        for (const QJsonValue &record : QJsonDocument::fromJson(contentsOf(report)).array())
            results << record["name"].toString() + ' ' + record["result"].toString();
        QCOMPARE(results, QStringList({"studio-0 ok", "studio-1 ok", "studio-2 interrupted",
                                       "studio-3 interrupted", "studio-4 not started"}));
        QVERIFY(contentsOf(log).contains("studio-1: ") && contentsOf(log).contains("studio-3: "));

        const QString retry = m_dir.filePath("retry.json");
        const Run again =
            run({"--encoders", plant, m_file, "--retry-failed", report, "--report", retry});
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(again.out.last(), QString("3 of 3 encoders programmed"));
        QCOMPARE(
            QJsonDocument::fromJson(contentsOf(retry)).array()[0].toObject()["name"].toString(),
            QString("studio-2"));
    }

    // A reader of standard output that goes away, as "| head -3" does, never stops a send: the
    // encoder gets its whole configuration and the status says that the output is incomplete.
    void readerGoesAway()
    {
        const QString log = m_dir.filePath(QStringLiteral("gone.log"));
        SimProcess encoder;
        // Replies slow enough that the reader has gone before the send prints its last line.
        QVERIFY2(encoder.start({"--log", log, "--reply-delay", "300"}),
                 qPrintable(encoder.errorString()));
        const Run r = run({"-c", "\"$0\" \"$@\" | head -1; exit ${PIPESTATUS[0]}", Send, m_file,
                           "--device", encoder.slavePath()},
                          "/bin/bash");
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("standard output could not be written: Broken pipe"),
                 qPrintable(r.err));
        QCOMPARE(received(log).size(), goldenLines("passed.wire").size()); // every command
    }

    // A report that cannot be written on a full file system: the old one stays, the status says
    // so. The file system is a small tmpfs, which only root may mount.
    void reportOnFullFileSystem()
    {
        const QString full = m_dir.filePath("full");
        QVERIFY(QDir().mkpath(full));
        if (::geteuid() != 0 ||
            QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", full}) != 0)
            QSKIP("mounting a tmpfs needs root");
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {full}); });
        const QString report = full + "/r.json";
        QVERIFY(writeFile(report, "[]\n"));
        QFile filler(full + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(4096, 'x')) > 0) {
        }
        SimProcess encoder;
        QVERIFY2(encoder.start(), qPrintable(encoder.errorString()));
        const Run r = run({m_file, "--device", encoder.slavePath(), "--report", report});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(report + ": the report could not be written"), qPrintable(r.err));
        QCOMPARE(contentsOf(report), QByteArray("[]\n"));
    }

    // --log and --report never cost an input, however named, and a log that cannot be written
    // makes the status 1.
    void outputFiles_data()
    {
        QTest::addColumn<QStringList>("arguments"); // @COPY: a copy of the configuration
        QTest::addColumn<QString>("output");        // made a link to the input first
        QTest::addColumn<QString>("message");
        const QStringList send = {"@COPY", "--device", "@DIR/tty0"};
        QTest::newRow("the file") << send + QStringList{"--log", "@COPY"} << ""
                                  << "refused";
        QTest::newRow("symbolic link")
            << send + QStringList{"--log", "@DIR/sym.log"} << "@DIR/sym.log"
            << "refused";
        QTest::newRow("hard link")
            << send + QStringList{"--report", "@DIR/hard.json"} << "@DIR/hard.json"
            << "refused";
        QTest::newRow("list's configuration")
            << QStringList{"--encoders", "@DIR/copy.ini", "--log", "@DIR/hard.log"}
            << "@DIR/hard.log"
            << "refused";
        QTest::newRow("caption loop file")
            << QStringList{"--loop",       "@DIR/loop.txt", "--device",     "@SIM",
                           "--continuous", "--log",         "@DIR/loop.txt"}
            << ""
            << "refused";
        QTest::newRow("full disk")
            << QStringList{"@COPY", "--device", "@SIM", "--log", "/dev/full"} << ""
            << "could not be written";
    }
    void outputFiles()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        QFETCH(QString, message);
        const QString copy = m_dir.filePath("copy.qcf");
        QFile::remove(copy);
        QVERIFY(QFile::copy(m_file, copy));
        write("copy.ini",
              "[one]\ndevice=" + m_dir.filePath("tty0").toUtf8() + "\nconfiguration=copy.qcf\n");
        output.replace("@DIR", m_dir.path());
        QFile::remove(output);
        if (output.startsWith(m_dir.filePath("sym")))
            QVERIFY(QFile::link(copy, output));
        else if (!output.isEmpty())
            QVERIFY(::link(QFile::encodeName(copy), QFile::encodeName(output)) == 0);
        const QByteArray loop = contentsOf(m_dir.filePath("loop.txt"));
        SimProcess encoder;
        QVERIFY2(encoder.start(), qPrintable(encoder.errorString()));
        for (QString &argument : arguments)
            argument.replace("@COPY", copy)
                .replace("@DIR", m_dir.path())
                .replace("@SIM", encoder.slavePath());
        const Run r = run(arguments);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(message) && r.err.count('\n') == 1, qPrintable(r.err));
        QCOMPARE(contentsOf(copy), contentsOf(m_file));
        QCOMPARE(contentsOf(m_dir.filePath("loop.txt")), loop);
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
        QByteArrayList commands = contentsOf(log).split('\n');
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
