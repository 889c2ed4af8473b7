#pragma once

#include "core/protocol/CtrlACommand.h"
#include "core/session/Sequencer.h"
#include "core/transport/LineSettings.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class LogFile;

// Sends a list of commands to the encoder on one device, exactly as the window does: the same
// sequencer opens the port, sends one readiness query and then one command per reply, watches
// every step with its reply time-out and decides whether a reply answers its command. A session
// is an object of the one event loop: start() returns at once and finished() tells when the send
// has ended, so that any number of sessions run side by side without threads.
class SendSession : public QObject
{
    Q_OBJECT
public:
    SendSession(const QString &name, const QString &device, const LineSettings &line,
                const QList<CtrlACommand> &commands, QObject *parent = nullptr);
    ~SendSession() override;

    // Writes the traffic log's lines (the Traffic Log window's format) to the file, each after
    // the prefix.
    void setTrafficLog(LogFile *log, const QString &prefix = QString());

    void start();
    // Ends the send early: no further command goes out, the one in flight (if any) is let
    // finish or time out, and the session ends interrupted (unless that was the last command).
    void stop();

    QString name() const { return m_name; }
    QString device() const { return m_device; }
    const LineSettings &line() const { return m_line; }
    // Why the send ended early; none when every command was answered or it was interrupted.
    std::optional<Sequencer::Failure> failure() const { return m_failure; }
    // Stopped before its last command was answered.
    bool interrupted() const { return m_interrupted; }
    bool succeeded() const { return !m_failure && !m_interrupted; }
    // A session without commands only asks the encoder to identify itself, e.g. "Orvane EN-7 --
    // V1, Serial 42" (the lines of its reply to the readiness query); "" before that reply.
    bool isCheck() const { return m_commands.isEmpty(); }
    QString identification() const;
    // The exit status of quillcast-send for a send or loop that ended so: 0, 3, 4 or 5.
    static int exitStatus(std::optional<Sequencer::Failure> failure);
    int exitStatus() const { return exitStatus(m_failure); }
    // A few words for summaries, e.g. "did not answer in time" ("interrupted"; for a check
    // "does not answer" or "cannot be opened").
    QString reason() const;
    // One line on what happened, e.g. "the port could not be opened (No such file or directory)",
    // "interrupted after 3 of 11 commands", for a check "answers: Orvane EN-7 -- V1, Serial 42".
    QString message() const;
    // reason() and message() of a send of commandCount commands, answered of them answered,
    // that ended with the failure, for whoever keeps a link of its own.
    static QString failureReason(Sequencer::Failure failure);
    static QString failureMessage(Sequencer::Failure failure, const QString &detail, int answered,
                                  int commandCount);
    // Writes the sequencer's traffic from now on to the file in the Traffic Log window's format,
    // each line after the prefix.
    static void writeTraffic(Sequencer *sequencer, LogFile *file, const QString &prefix);
    // The device's own words on a failure, e.g. "No such file or directory"; often "".
    QString detail() const { return m_detail; }
    int answered() const { return m_answered; }
    int commandCount() const { return int(m_commands.size()); }
    double seconds() const { return m_milliseconds / 1000.0; }

signals:
    // start() has made the session's link: its traffic can be followed from here on (e.g. by a
    // TrafficLog), before the port opens.
    void linkCreated(const Sequencer *sequencer);
    // The text that went to the encoder: the readiness query or a command, as sent.
    void commandSent(const QString &text);
    // A complete reply of the encoder, as received.
    void replyReceived(const QString &text);
    // The send has ended and the port is closed.
    void finished();

private:
    void countAnswer();
    void end(std::optional<Sequencer::Failure> failure, const QString &detail = QString());

    QString m_name;
    QString m_device;
    LineSettings m_line;
    QList<CtrlACommand> m_commands;
    LogFile *m_log = nullptr;
    QString m_logPrefix;

    Sequencer *m_sequencer = nullptr;
    QElapsedTimer m_clock;
    qint64 m_milliseconds = 0;
    int m_sent = 0;
    int m_answered = 0;
    bool m_connecting = false;
    bool m_done = false;
    bool m_stopping = false;
    bool m_interrupted = false;
    QString m_firstReply;
    std::optional<Sequencer::Failure> m_failure;
    QString m_detail;
};
