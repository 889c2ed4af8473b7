#include "core/schedule/ScheduleLink.h"

#include "core/session/DeviceChannel.h"
#include "core/session/SendSession.h"

ScheduleLink::ScheduleLink(const QString &device, const LineSettings &line, QObject *parent)
    : QObject(parent), m_device(device),
      m_sequencer(new Sequencer(channelForDevice(device, line), this))
{
    // Whether a reply answers its command is the sequencer's to say: it moves on to the next
    // command, or with the queue drained shows the link connected, only after a reply it took
    // for the answer. An idle link shows Connected too (after its open or a keep-alive): only
    // a send ends there.
    connect(m_sequencer, &Sequencer::commandSent, this, [this] {
        if (m_sent > m_answered)
            ++m_answered;
        ++m_sent;
    });
    connect(m_sequencer, &Sequencer::linkStateChanged, this, [this](Sequencer::LinkState state) {
        if (state != Sequencer::LinkState::Connected || !m_sending)
            return;
        m_answered = m_sent;
        m_sending = false;
        emit sent();
    });
    // With the port open transactionFailed follows the time-out.
    connect(m_sequencer, &Sequencer::timedOut, this, [this](bool portWasOpen) {
        if (!portWasOpen)
            fail(Sequencer::Failure::TimedOut, QString());
    });
    connect(m_sequencer, &Sequencer::transactionFailed, this, &ScheduleLink::fail);
}

ScheduleLink::~ScheduleLink() = default; // the sequencer is a child and closes its port

void ScheduleLink::setTrafficLog(LogFile *log, const QString &prefix)
{
    SendSession::writeTraffic(m_sequencer, log, prefix);
}

void ScheduleLink::open()
{
    if (!m_sequencer->isConnected())
        m_sequencer->toggleConnection();
}

void ScheduleLink::send(const QList<CtrlACommand> &commands)
{
    m_sending = true;
    m_commands = int(commands.size());
    m_sent = 0;
    m_answered = 0;
    if (m_sequencer->isConnected()) {
        m_sequencer->sendCommands(commands);
        return;
    }
    // Queued before the port opens, so that the open's readiness query starts the drain.
    for (const CtrlACommand &command : commands)
        m_sequencer->addCommand(command);
    m_sequencer->toggleConnection();
}

void ScheduleLink::close()
{
    m_sending = false;
    m_sequencer->releaseLink();
}

void ScheduleLink::secondTick()
{
    m_sequencer->secondTick();
}

QString ScheduleLink::reason() const
{
    return SendSession::failureReason(m_failure);
}

QString ScheduleLink::message() const
{
    if (m_commands == 0 && m_failure == Sequencer::Failure::EncoderRestarted)
        return QStringLiteral("the encoder restarted");
    return SendSession::failureMessage(m_failure, m_detail, m_answered, m_commands);
}

void ScheduleLink::fail(Sequencer::Failure failure, const QString &detail)
{
    const bool sending = m_sending;
    m_sending = false;
    if (!sending)
        m_commands = m_answered = 0;
    m_failure = failure;
    m_detail = detail.isEmpty() && failure == Sequencer::Failure::PortNotOpened
                   ? pathProblem(m_device)
                   : detail;
    // The sequencer has closed the link, except for a port refused at once: its queue goes too.
    m_sequencer->releaseLink();
    emit failed(sending);
}
