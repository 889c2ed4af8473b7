#include "GoldenFiles.h"
#include "SimProcess.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#define SOURCE_DIR QUILLCAST_TEST_DATA "/../.."

// quillcast-send --schedule as a program: its timeline, its refusals, a run steered by signals
// and by --schedule-control, and its system service.
class tst_Schedule : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    const QString m_send = QStringLiteral(QUILLCAST_TOOLS_DIR "/quillcast-send");

    QByteArray send(const QStringList &arguments, int *exitCode, const QString &now = {})
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TZ", "America/New_York");
        environment.insert("QUILLCAST_NOW", now);
        process.setProcessEnvironment(environment);
        process.start(m_send, arguments);
        process.waitForFinished(30000);
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return process.readAllStandardOutput() + process.readAllStandardError();
    }
    // Waits for a line of the running program's standard output holding text.
    static bool waitForLine(QProcess &process, const QString &text)
    {
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            while (process.canReadLine()) {
                if (QString::fromLocal8Bit(process.readLine()).contains(text))
                    return true;
            }
            process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        }
        return false;
    }

private slots:
    // The documentation's example, 36 hours from a fixed moment: each change with its bytes.
    void dryRun()
    {
        int exitCode = -1;
        const QByteArray out =
            send({"--schedule", SOURCE_DIR "/docs/schedule-example.csv", "--encoders",
                  SOURCE_DIR "/docs/schedule-example.ini", "--dry-run", "--until", "36h"},
                 &exitCode, "2026-12-08T05:30:00");
        QCOMPARE(exitCode, 0);
        QCOMPARE(QString::fromLatin1(out),
                 QString::fromLatin1(contentsOf(goldenFile("schedule-example.dryrun"))));
    }

    void refused()
    {
        const QString schedule = m_dir.filePath("bad.csv");
        QVERIFY(writeFile(schedule, "start,program,system,rating\ndaily 06:00,News,US-TV,PG\n"));
        int exitCode = -1;
        QCOMPARE(send({"--schedule", schedule, "--device", "/dev/null", "--dry-run"}, &exitCode),
                 "quillcast-send: " + schedule.toLocal8Bit() +
                     ":2: column 4 (rating): \"PG\" is not a rating of US-TV: None, TV-Y, TV-Y7, "
                     "TV-G, TV-PG, TV-14 or TV-MA\n");
        QCOMPARE(exitCode, 2);
        send({"--schedule", schedule}, &exitCode);
        QCOMPARE(exitCode, 1);
    }

    // Sent at once, told by status, a bad reload refused on SIGHUP, stopped by SIGTERM.
    void run()
    {
        SimProcess encoder;
        QVERIFY2(encoder.start(), qPrintable(encoder.errorString()));
        const QString schedule = m_dir.filePath("run.csv");
        const QString socket = m_dir.filePath("run.sock");
        QVERIFY(writeFile(schedule, "start,program,system,rating\ndefault,Station,US-TV,TV-G\n"));
        QProcess process;
        process.start(m_send, {"--schedule", schedule, "--device", encoder.slavePath(), "--status",
                               m_dir.filePath("run.json"), "--control", socket});
        QVERIFY(waitForLine(process, " default \"Station\": ok"));
        int exitCode = -1;
        const QByteArray status = send({"--schedule-control", socket, "status"}, &exitCode);
        QCOMPARE(exitCode, 0);
        QVERIFY2(
            status.startsWith(encoder.slavePath().toLocal8Bit() + ": default \"Station\" since "),
            status.constData());
        QVERIFY(contentsOf(m_dir.filePath("run.json")).contains("\"result\": \"ok\""));

        // Saved whole without a change in between, so that only the signal reads it.
        QVERIFY(writeFile(schedule, "start,program,system,rating\ndefault,Station,US-TV,G\n"));
        ::kill(pid_t(process.processId()), SIGHUP);
        QVERIFY(waitForLine(process, "the new schedule is refused, the one in force keeps "
                                     "running: "));
        process.terminate();
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        send({"--schedule-control", socket, "status"}, &exitCode);
        QCOMPARE(exitCode, 3);
    }

    // The service as installed, with the program of this build.
    void service()
    {
        const QString analyze = QStandardPaths::findExecutable("systemd-analyze");
        if (analyze.isEmpty())
            QSKIP("systemd-analyze is not installed");
        QByteArray unit = contentsOf(SOURCE_DIR "/data/quillcast-schedule@.service");
        unit.replace("ExecStart=quillcast-send ", "ExecStart=" + m_send.toLocal8Bit() + ' ');
        const QString path = m_dir.filePath("quillcast-schedule@studio.service");
        QVERIFY(writeFile(path, unit));
        QProcess verify;
        verify.start(analyze, {"verify", "--man=no", path});
        QVERIFY(verify.waitForFinished(60000));
        QCOMPARE(verify.readAllStandardError() + verify.readAllStandardOutput(), QByteArray());
        QCOMPARE(verify.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_Schedule)
#include "tst_schedule.moc"
