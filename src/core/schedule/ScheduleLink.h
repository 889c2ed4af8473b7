#pragma once

#include "core/protocol/CtrlACommand.h"
#include "core/session/Sequencer.h"
#include "core/transport/LineSettings.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class LogFile;

// One encoder's link for a schedule, kept open from start-up on so that at a change's moment
// only its commands go out: opening a serial port costs milliseconds of lock-file work, a
// network port up to seconds, and a plant's worth of them at once would make every change late.
// The one sequencer watches each command with its reply time-out and the idle link with its
// five-minute keep-alive; any failure closes the link (failed()), and the next open() or send()
// opens it again.
class ScheduleLink : public QObject
{
    Q_OBJECT
public:
    ScheduleLink(const QString &device, const LineSettings &line, QObject *parent = nullptr);
    ~ScheduleLink() override;

    // Writes the traffic to the file in the Traffic Log window's format, each line after prefix.
    void setTrafficLog(LogFile *log, const QString &prefix);

    // Opens a closed link (the encoder is asked whether it is ready); nothing otherwise.
    void open();
    // Sends a change's commands, over a closed link once it is open again; sent() or failed()
    // tells how it ended. One send at a time.
    void send(const QList<CtrlACommand> &commands);
    bool isSending() const { return m_sending; }
    // Closes the link; a send in flight ends without a word.
    void close();
    // The sequencer's one-second step: the keep-alive of an idle link.
    void secondTick();

    // Of the last failure, as a send reports it: a few words and one line.
    QString reason() const;
    QString message() const;

signals:
    // Every command of the send was answered; the link stays open.
    void sent();
    // The link failed and is closed; sending tells whether a send was in flight.
    void failed(bool sending);

private:
    void fail(Sequencer::Failure failure, const QString &detail);

    QString m_device;
    Sequencer *m_sequencer = nullptr;
    bool m_sending = false;
    int m_commands = 0;
    int m_sent = 0;
    int m_answered = 0;
    Sequencer::Failure m_failure = Sequencer::Failure::PortNotOpened;
    QString m_detail;
};
