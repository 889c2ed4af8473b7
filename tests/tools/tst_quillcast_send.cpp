#include "DataRows.h"
#include "PtyPair.h"
#include "Ser2net.h"
#include "SimProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

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
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("loop.txt")),
                          "//LINEDELAY=1\r\n//LOOPDELAY=1\r\n//CCCHANNEL=1\r\nFirst\r\n\r\n"));
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
        row("port cannot be opened", {"@FILE", "--device", "@DIR/tty0"}, 3,
            "could not be opened (No such file or directory)");
        row("silent encoder", {"@FILE", "--device", "@SIM"}, 4, "did not answer", {"--silent"});
        const QStringList loop = {"--loop", "@DIR/loop.txt", "--device", "@SIM"};
        row("loop, silent encoder", loop + QStringList{"--continuous"}, 4, "did not answer",
            {"--silent"});
        row("several devices", {"@FILE", "--device", "@DIR/tty0", "--device", "@SIM"}, 3,
            "@DIR/tty0", {}, 1);
        row("same device twice", {"@FILE", "--device", "@SIM", "--device", "@SIM"}, 1, "again");
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
        static const QRegularExpression ok(QStringLiteral(": (ok,|all \\d+ commands answered)"));
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

    // A bad list or entry: exit 2, one line naming the entry, and no encoder hears a byte, not
    // even the good one listed first.
    void listRefusals_data()
    {
        QTest::addColumn<QByteArray>("list"); // after "[good]\ndevice=@SIM\n"
        QTest::addColumn<QString>("message");
        QTest::newRow("no device") << QByteArray("[bad]\nbaud=9600\n") << "\"bad\": no device";
        QTest::newRow("unknown key")
            << QByteArray("[bad]\ndevice=@DIR/tty1\nspeed=9600\n") << "\"bad\": unknown key";
        QTest::newRow("bad value") << QByteArray("[bad]\ndevice=@DIR/tty1\ndata-bits=9\n")
                                   << "\"bad\": data-bits must be 7 or 8";
        QTest::newRow("bad address")
            << QByteArray("[bad]\ndevice=rfc2217://127.0.0.1\n") << "\"bad\": device";
        QTest::newRow("duplicate device")
            << QByteArray("[bad]\ndevice=@SIM\n") << "\"bad\": device @SIM is also that of";
        QTest::newRow("unreadable configuration")
            << QByteArray("[bad]\ndevice=@DIR/tty1\nconfiguration=none.qcf\n")
            << "\"bad\": @DIR/none.qcf: The file could not be opened.";
        QTest::newRow("invalid configuration")
            << QByteArray("[bad]\ndevice=@DIR/tty1\nconfiguration=loop.txt\n")
            << "\"bad\": @DIR/loop.txt: The file appears to be an invalid";
    }
    void listRefusals()
    {
        QFETCH(QByteArray, list);
        QFETCH(QString, message);
        const QString log = m_dir.filePath(QStringLiteral("refusal.log"));
        QFile::remove(log);
        SimProcess encoder;
        QVERIFY2(encoder.start({"--log", log}), qPrintable(encoder.errorString()));
        list.prepend("[good]\ndevice=@SIM\n");
        list.replace("@SIM", encoder.slavePath().toLocal8Bit())
            .replace("@DIR", m_dir.path().toLocal8Bit());
        message.replace(QLatin1String("@SIM"), encoder.slavePath())
            .replace(QLatin1String("@DIR"), m_dir.path());
        const Run r = run({"--encoders", write("plant.ini", list), m_file});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(message) && r.err.count('\n') == 1, qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QTest::qWait(200); // a byte on its way would have arrived by now
        QCOMPARE(contentsOf(log), QByteArray());
    }

    // Three encoders at once, one silent: the others get exactly their commands, the silent one
    // is reported, the status is that of the silent one (4).
    void plantOfThree()
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
            {"studio-2", silent.slavePath(), QString()},
            {"studio-3", network.first(), log2},
        };
        // studio-3 runs the other configuration, named relative to the list's folder.
        QVERIFY(QFile::copy(goldenFile("everything-off.qcf"), m_dir.filePath("off.qcf")));
        QByteArray list;
        for (const Encoder &e : encoders)
            list += "[" + e.name.toUtf8() + "]\ndevice=" + e.device.toUtf8() + "\n" +
                    (e.name == "studio-3" ? "configuration=off.qcf\n" : "");
        const QString plant = write("plant.ini", list);

        const Run dry = run({"--encoders", plant, m_file, "--dry-run"});
        QCOMPARE(dry.exitCode, 0);
        const QString report = m_dir.filePath("report.json"), traffic = m_dir.filePath("t.log");
        const Run r = run({"--encoders", plant, m_file, "--report", report, "--log", traffic});
        QCOMPARE(r.exitCode, 4);
        QVERIFY2(r.err.contains("studio-2: the encoder did not answer in time") &&
                     r.err.count('\n') == 1,
                 qPrintable(r.err));
        QCOMPARE(r.out.last(),
                 QString("2 of 3 encoders programmed; failed: studio-2 (did not answer in time)"));
        const QJsonArray records = QJsonDocument::fromJson(contentsOf(report)).array();
        QCOMPARE(records.size(), encoders.size());
        for (int i = 0; i < encoders.size(); ++i) {
            const QJsonObject record = records[i].toObject();
            const Encoder &e = encoders[i];
            // The dry run's commands under the encoder's name are exactly those it received.
            const int at = dry.out.indexOf(e.name + ':');
            QStringList commands = dry.out.mid(at + 1);
            commands = commands.mid(0, commands.indexOf(QRegularExpression("^\\S.*")));
            commands.replaceInStrings("  ", "");
            QVERIFY(at >= 0 && !commands.isEmpty());
            QCOMPARE(record["name"].toString(), e.name);
            QCOMPARE(record["device"].toString(), e.device);
            QCOMPARE(record["result"].toString(), e.log.isEmpty() ? "failed" : "ok");
            QCOMPARE(record["exit_status"].toInt(), e.log.isEmpty() ? 4 : 0);
            QCOMPARE(record["commands_answered"].toInt(), e.log.isEmpty() ? 0 : commands.size());
            if (!e.log.isEmpty())
                QCOMPARE(received(e.log), commands);
            QCOMPARE(r.out.filter(QRegularExpression("^" + e.name + ": (ok|failed)")).size(), 1);
        }
        QCOMPARE(records[2].toObject()["configuration"].toString(), m_dir.filePath("off.qcf"));
        for (const QByteArray &line : contentsOf(traffic).split('\n'))
            QVERIFY2(line.isEmpty() || line.startsWith("studio-"), line.constData());
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
