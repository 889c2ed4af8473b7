#pragma once

#include "core/looping/CaptionLoopFile.h"
#include "core/session/SequencerLoopLink.h"
#include "core/looping/CaptionLoopScheduler.h"
#include "core/looping/LoopTimer.h"
#include "core/session/Sequencer.h"
#include "core/session/TrafficLog.h"
#include "core/transport/LineSettings.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class LogFile;

// Loops a caption file on the encoder of one device without the window: the same scheduler and
// sequencer as the CC Looping tab. The loop begins once the encoder has answered the
// connection's readiness query and ends when its time is up, on stop(), or on the first
// failure; finished() comes once the port is closed. An object of the one event loop, like a
// send.
class LoopRun : public QObject
{
    Q_OBJECT
public:
    // seconds: the looping time, or CaptionLoopScheduler::Continuous.
    LoopRun(const QString &device, const LineSettings &line, const CaptionLoopFile &file,
            int seconds, QObject *parent = nullptr);
    ~LoopRun() override;

    // Also writes the traffic log's lines (each caption sent, each reply) to the file.
    void setTrafficLog(LogFile *log) { m_log = log; }

    void start();

    // Why the loop ended early; none when its time was up or it was stopped.
    std::optional<Sequencer::Failure> failure() const { return m_failure; }
    // One line on the failure, e.g. "the port could not be opened (No such file or directory)".
    QString message() const { return m_message; }
    int linesQueued() const { return m_queued; }

public slots:
    // Ends the loop once the line in flight has been answered.
    void stop();

signals:
    // A caption line went into the sequencer's queue.
    void lineQueued(const QString &line);
    void finished();

private:
    void fail(Sequencer::Failure failure, const QString &detail = QString());
    void end(std::optional<Sequencer::Failure> failure, const QString &message = QString());

    QString m_device;
    CaptionLoopFile m_file;
    int m_seconds;
    LogFile *m_log = nullptr;

    Sequencer *m_sequencer;
    SequencerLoopLink m_link;
    QtLoopTimer m_timer;
    SteadyLoopClock m_clock;
    CaptionLoopScheduler m_scheduler;
    QTimer m_secondTick;
    TrafficLog m_trafficLog;

    bool m_started = false;
    bool m_stopping = false;
    bool m_connecting = false;
    bool m_ended = false;
    int m_queued = 0;
    std::optional<Sequencer::Failure> m_failure;
    QString m_message;
};
