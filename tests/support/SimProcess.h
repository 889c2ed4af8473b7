#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// Runs tools/quillcast-encoder-sim for a test: start() passes the options, waits for the
// device path the simulator prints first, and the destructor stops the process and waits for it.
class SimProcess
{
public:
    SimProcess() = default;
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    static QString program();

    // Options as on the command line, e.g. {"--log", path, "--silent"}.
    bool start(const QStringList &options = {}, int timeoutMs = 10000);
    void stop();

    QString slavePath() const { return m_slavePath; }
    QString errorString() const { return m_error; }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QString m_slavePath;
    QString m_error;
};
