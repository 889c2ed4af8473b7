#pragma once

#include "core/protocol/CtrlACommand.h"
#include "core/transport/LineSettings.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QList>
#include <QObject>
#include <QString>
#include <vector>

class LogFile;
class QTimer;
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
        QList<CtrlACommand> commands; // none: the encoder is only asked to identify itself
    };

    PlantRun(const QList<Encoder> &encoders, int jobs, QObject *parent = nullptr);

    // As many encoders at a time as the open-file limit allows, raising the soft limit to the
    // hard one first: each encoder holds one descriptor (its device or network connection),
    // and the serial and network layers may open more besides.
    static int defaultJobs();
    ~PlantRun() override;

    // Writes every session's traffic log to the file, each line after the encoder's name and
    // ": " when named. The file is flushed every second, so that what was said is on the disk
    // even when the program is killed.
    void setTrafficLog(LogFile *log, bool named);

    void start();
    // Starts no further encoder and stops those under way once their command in flight is
    // answered (or times out); finished() follows. exitStatus() is then the given status.
    void interrupt(int exitStatus);
    bool isInterrupted() const { return m_interruptStatus != 0; }

    int encoderCount() const { return int(m_encoders.size()); }
    const Encoder &encoder(int index) const { return m_encoders.at(index); }
    // The send to the encoder at index in the list; null until encoderStarted(index).
    const SendSession *session(int index) const { return m_sessions[size_t(index)]; }
    int finishedCount() const { return m_done; }
    // The encoders whose send failed, was interrupted or never started, in list order.
    QList<int> failedEncoders() const;
    // Answered commands over all encoders so far.
    int commandsAnswered() const;
    // Seconds since start().
    double seconds() const { return m_clock.isValid() ? m_clock.elapsed() / 1000.0 : 0; }
    // 0 when every encoder was programmed, the status given to interrupt(), else the status of
    // the first failed one in list order.
    int exitStatus() const;
    // One record per encoder that has finished, in list order; once an interrupted run has
    // finished, also one for each encoder that was never started.
    QJsonArray report() const;

signals:
    // The session of the encoder at index is about to start: its transcript can be followed.
    void encoderStarted(int index);
    void encoderFinished(int index);
    void finished();

private:
    void startBatch();
    void startNext();
    void sessionFinished(int index);

    QList<Encoder> m_encoders;
    std::vector<SendSession *> m_sessions;
    std::vector<bool> m_finished;
    int m_jobs;
    LogFile *m_log = nullptr;
    bool m_namedLog = false;
    QTimer *m_logFlush = nullptr;
    QElapsedTimer m_clock;
    int m_next = 0;
    int m_running = 0;
    int m_done = 0;
    int m_interruptStatus = 0;
    bool m_over = false;
};
