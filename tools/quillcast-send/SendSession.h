#pragma once

#include "core/protocol/CtrlACommand.h"
#include "core/transport/LineSettings.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

class LogFile;
class Sequencer;

// Sends a list of commands to the encoder on one device, exactly as the window does: the same
// sequencer opens the port, sends one readiness query and then one command per reply, and
// watches every step with its reply time-out. A session is an object of the one event loop:
// start() returns at once and finished() tells when the send has ended, so that any number of
// sessions run side by side without threads.
class SendSession : public QObject
{
    Q_OBJECT
public:
    enum class Outcome
    {
        Answered,         // every command got its reply
        PortNotOpened,    // the device could not be opened
        LineLost,         // the port went away during the send
        TimedOut,         // a reply did not come in time
        EncoderRestarted, // the start-up banner came instead of a reply
        ReplyTooLong      // a reply outgrew what the link takes
    };
    // The exit status a send with this outcome gives: 0, 3, 4 or 5.
    static int exitStatus(Outcome outcome);
    // A few words for summaries, e.g. "did not answer in time".
    static QString reason(Outcome outcome);

    SendSession(const QString &name, const QString &device, const LineSettings &line,
                const QList<CtrlACommand> &commands, QObject *parent = nullptr);
    ~SendSession() override;

    // Prints each command sent (>) and each reply received (<) on standard output with a time
    // stamp.
    void setTranscript(bool on) { m_transcript = on; }
    // Writes the traffic log's lines (the Traffic Log window's format) to the file, each after
    // the prefix.
    void setTrafficLog(LogFile *log, const QString &prefix = QString());

    void start();

    QString name() const { return m_name; }
    QString device() const { return m_device; }
    Outcome outcome() const { return m_outcome; }
    // One line on what happened, e.g. "the port could not be opened (No such file or directory)".
    QString message() const;
    int answered() const { return m_answered; }
    int commandCount() const { return int(m_commands.size()); }
    double seconds() const { return m_milliseconds / 1000.0; }
    bool isFinished() const { return m_done; }

signals:
    // The send has ended and the port is closed.
    void finished();

private:
    void end(Outcome outcome, const QString &detail);

    QString m_name;
    QString m_device;
    LineSettings m_line;
    QList<CtrlACommand> m_commands;
    bool m_transcript = false;
    LogFile *m_log = nullptr;
    QString m_logPrefix;

    Sequencer *m_sequencer = nullptr;
    QElapsedTimer m_clock;
    qint64 m_milliseconds = 0;
    int m_sent = 0;
    int m_answered = 0;
    bool m_connecting = false;
    bool m_done = false;
    Outcome m_outcome = Outcome::Answered;
    QString m_detail;
};
