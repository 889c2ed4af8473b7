#include "SimProcess.h"

#include <QDeadlineTimer>
#include <QFileInfo>

SimProcess::~SimProcess()
{
    stop();
}

QString SimProcess::program()
{
    return QStringLiteral(QUILLCAST_TOOLS_DIR "/quillcast-encoder-sim");
}

bool SimProcess::start(const QStringList &options, int timeoutMs)
{
    stop();
    if (!QFileInfo(program()).isExecutable()) {
        m_error = program() + QStringLiteral(" is not built");
        return false;
    }
    m_process.setProgram(program());
    m_process.setArguments(options);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
    if (!m_process.waitForStarted(timeoutMs)) {
        m_error = m_process.errorString();
        return false;
    }
    QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine()) {
        if (deadline.hasExpired() || m_process.state() != QProcess::Running ||
            !m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())))) {
            if (!m_process.canReadLine()) {
                m_error = QStringLiteral("no device path: ") +
                          QString::fromLocal8Bit(m_process.readAllStandardError());
                stop();
                return false;
            }
        }
    }
    m_slavePath = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    return !m_slavePath.isEmpty();
}

void SimProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    m_slavePath.clear();
}
