#pragma once

#include "core/protocol/CtrlACommand.h"
#include "core/transport/LineSettings.h"

#include <QJsonArray>
#include <QList>
#include <QObject>
#include <QString>
#include <vector>

class LogFile;
class SendSession;

// Sends to every encoder of a plant at once: one session (its own channel and sequencer) per
// encoder, all in the one event loop, at most `jobs` of them open at a time, started in list
// order. One encoder's failure never stops or slows the others. encoderFinished() tells of each
// encoder as it finishes, finished() of the plant; the sessions hold the results.
class PlantRun : public QObject
{
    Q_OBJECT
public:
    struct Encoder
    {
        QString name;
        QString device;
        QString configuration;
        LineSettings line;
        QList<CtrlACommand> commands;
    };

    PlantRun(const QList<Encoder> &encoders, int jobs, QObject *parent = nullptr);
    ~PlantRun() override;

    // Writes every session's traffic log to the file, each line after the encoder's name and
    // ": " when named.
    void setTrafficLog(LogFile *log, bool named);

    void start();

    int encoderCount() const { return int(m_encoders.size()); }
    // The send to the encoder at index in the list; null until encoderStarted(index).
    const SendSession *session(int index) const { return m_sessions[size_t(index)]; }
    // The encoders whose send failed, in list order.
    QList<int> failedEncoders() const;
    // 0 when every encoder was programmed, else the status of the first failed one in list
    // order.
    int exitStatus() const;
    // One record per encoder, in list order.
    QJsonArray report() const;

signals:
    // The session of the encoder at index is about to start: its transcript can be followed.
    void encoderStarted(int index);
    void encoderFinished(int index);
    void finished();

private:
    void startNext();
    void sessionFinished(int index);

    QList<Encoder> m_encoders;
    std::vector<SendSession *> m_sessions;
    int m_jobs;
    LogFile *m_log = nullptr;
    bool m_namedLog = false;
    int m_next = 0;
    int m_running = 0;
    int m_done = 0;
};
