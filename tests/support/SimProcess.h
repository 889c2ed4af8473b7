#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs tools/quillcast-encoder-sim for a test: start() passes the options, waits for the
// device path the simulator prints first (with --count N, all N of them), and the destructor stops
// the process and waits for it.
class SimProcess
{
public:
    SimProcess() = default;
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // Options as on the command line, e.g. {"--log", path, "--silent"}.
    bool start(const QStringList &options = {}, int timeoutMs = 10000)
    {
        stop();
        m_process.start(QStringLiteral(QUILLCAST_TOOLS_DIR "/quillcast-encoder-sim"), options);
        QDeadlineTimer deadline(timeoutMs);
        const int countAt = options.indexOf(QStringLiteral("--count"));
        const int count = countAt < 0 ? 1 : qMax(1, options.value(countAt + 1).toInt());
        while (m_devices.size() < count) {
            while (!m_process.canReadLine() && !deadline.hasExpired() &&
                   m_process.state() != QProcess::NotRunning)
                m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
            const QString line = QString::fromLocal8Bit(m_process.readLine()).trimmed();
            if (line.isEmpty())
                break;
            m_devices << line;
        }
        m_slavePath = m_devices.size() == count ? m_devices.value(0) : QString();
        if (m_slavePath.isEmpty()) {
            m_error = m_process.errorString() + ": " + m_process.readAllStandardError();
            stop();
        }
        return !m_slavePath.isEmpty();
    }
    void stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(3000)) {
                m_process.kill();
                m_process.waitForFinished(3000);
            }
        }
        m_slavePath.clear();
        m_devices.clear();
    }

    QString slavePath() const { return m_slavePath; }
    QStringList devices() const { return m_devices; } // one per encoder, as printed
    QString errorString() const { return m_error; }

private:
    QProcess m_process;
    QString m_slavePath;
    QStringList m_devices;
    QString m_error;
};
