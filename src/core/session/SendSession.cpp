#include "core/session/SendSession.h"

#include "core/session/DeviceChannel.h"
#include "core/session/EncoderChannel.h"
#include "core/session/LogFile.h"
#include "core/session/TrafficLog.h"
#include "core/transport/PortLine.h"

#include <QTimer>

int SendSession::exitStatus(std::optional<Sequencer::Failure> failure)
{
    if (!failure)
        return 0;
    switch (*failure) {
    case Sequencer::Failure::PortNotOpened:
    case Sequencer::Failure::LineLost:
        return 3;
    case Sequencer::Failure::TimedOut:
        return 4;
    case Sequencer::Failure::EncoderRestarted:
    case Sequencer::Failure::ReplyTooLong:
        return 5;
    }
    return 4;
}

QString SendSession::reason() const
{
    if (m_interrupted)
        return QStringLiteral("interrupted");
    if (!m_failure)
        return QStringLiteral("ok");
    if (isCheck())
        return m_failure == Sequencer::Failure::PortNotOpened ? QStringLiteral("cannot be opened")
                                                              : QStringLiteral("does not answer");
    return failureReason(*m_failure);
}

QString SendSession::failureReason(Sequencer::Failure failure)
{
    switch (failure) {
    case Sequencer::Failure::PortNotOpened:
        return QStringLiteral("port could not be opened");
    case Sequencer::Failure::LineLost:
        return QStringLiteral("line lost");
    case Sequencer::Failure::TimedOut:
        return QStringLiteral("did not answer in time");
    case Sequencer::Failure::EncoderRestarted:
        return QStringLiteral("encoder restarted");
    case Sequencer::Failure::ReplyTooLong:
        return QStringLiteral("reply too long");
    }
    return QString();
}

SendSession::SendSession(const QString &name, const QString &device, const LineSettings &line,
                         const QList<CtrlACommand> &commands, QObject *parent)
    : QObject(parent), m_name(name), m_device(device), m_line(line), m_commands(commands)
{
}

SendSession::~SendSession() = default; // the sequencer is a child and closes its port

void SendSession::setTrafficLog(LogFile *log, const QString &prefix)
{
    m_log = log;
    m_logPrefix = prefix;
}

QString SendSession::identification() const
{
    QStringList lines;
    for (const QString &line : m_firstReply.split(QLatin1Char('\n'))) {
        if (const QString text = line.trimmed(); !text.isEmpty() && text != QLatin1String("*"))
            lines << text;
    }
    return lines.join(QLatin1String(", "));
}

QString SendSession::message() const
{
    if (m_interrupted)
        return QStringLiteral("interrupted after %1 of %2 commands")
            .arg(m_answered)
            .arg(m_commands.size());
    if (isCheck() && !m_failure)
        return identification().isEmpty() ? QStringLiteral("answers")
                                          : QStringLiteral("answers: ") + identification();
    if (!m_failure)
        return QStringLiteral("all %1 commands answered").arg(m_commands.size());
    if (isCheck() && m_failure == Sequencer::Failure::PortNotOpened)
        return m_detail.isEmpty() ? QStringLiteral("cannot be opened")
                                  : QStringLiteral("cannot be opened: ") + m_detail;
    if (isCheck() && m_failure == Sequencer::Failure::TimedOut)
        return QStringLiteral("does not answer");
    return failureMessage(*m_failure, m_detail, m_answered, int(m_commands.size()));
}

QString SendSession::failureMessage(Sequencer::Failure failure, const QString &detail, int answered,
                                    int commandCount)
{
    const QString withDetail = detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail);
    switch (failure) {
    case Sequencer::Failure::PortNotOpened:
        return QStringLiteral("the port could not be opened") + withDetail;
    case Sequencer::Failure::LineLost:
        return QStringLiteral("the line to the encoder was lost") + withDetail;
    case Sequencer::Failure::TimedOut:
        return QStringLiteral("the encoder did not answer in time");
    case Sequencer::Failure::EncoderRestarted:
        return QStringLiteral("the encoder restarted during the send: %1 of %2 commands were "
                              "answered before, the rest did not reach it")
            .arg(answered)
            .arg(commandCount);
    case Sequencer::Failure::ReplyTooLong:
        return QStringLiteral("a reply of the encoder was too long") + withDetail;
    }
    return QString();
}

void SendSession::writeTraffic(Sequencer *sequencer, LogFile *file, const QString &prefix)
{
    auto *log = new TrafficLog(sequencer);
    log->attach(sequencer);
    connect(log, &QAbstractItemModel::rowsInserted, sequencer,
            [file, prefix, log](const QModelIndex &, int first, int last) {
                for (int row = first; row <= last; ++row)
                    file->write(prefix + log->line(row));
                if (log->rowCount() > 1000)
                    log->clear(); // written already: keep the memory of a long link small
            });
}

void SendSession::start()
{
    m_clock.start();
    m_sequencer = new Sequencer(channelForDevice(m_device, m_line), this);
    EncoderChannel *channel = m_sequencer->channel();
    PortLine *port = channel->port();

    if (m_log)
        writeTraffic(m_sequencer, m_log, m_logPrefix);
    emit linkCreated(m_sequencer);
    connect(channel, &EncoderChannel::textSent, this,
            [this](const QString &, const QString &text) { emit commandSent(text); });
    connect(m_sequencer, &Sequencer::replyReceived, this, [this](const QString &reply) {
        if (m_firstReply.isNull())
            m_firstReply = reply;
        if (!m_done)
            emit replyReceived(reply);
    });

    // Whether a reply answers its command is the sequencer's to say: it moves on to the next
    // command, or with the queue drained shows the link connected again, only after a reply it
    // took for the answer.
    connect(m_sequencer, &Sequencer::connecting, this, [this] { m_connecting = true; });
    connect(m_sequencer, &Sequencer::commandSent, this, [this] {
        countAnswer();
        ++m_sent;
    });
    connect(m_sequencer, &Sequencer::linkStateChanged, this, [this](Sequencer::LinkState state) {
        if (state != Sequencer::LinkState::Connected)
            return;
        countAnswer();
        end(std::nullopt);
    });
    connect(m_sequencer, &Sequencer::timedOut, this, [this] { end(Sequencer::Failure::TimedOut); });
    connect(m_sequencer, &Sequencer::transactionFailed, this,
            [this](Sequencer::Failure failure, const QString &detail) { end(failure, detail); });
    // The port's own word comes at once, also where the sequencer would wait for a time-out.
    connect(port, &PortLine::portOpenFailed, this, [this](const QString &, const QString &reason) {
        end(Sequencer::Failure::PortNotOpened, reason);
    });
    connect(port, &PortLine::lineLost, this, [this](const QString &, const QString &reason) {
        end(Sequencer::Failure::LineLost, reason);
    });

    // The whole list is queued before the port opens, so the one readiness query of the
    // connection starts the drain.
    for (const CtrlACommand &command : std::as_const(m_commands))
        m_sequencer->addCommand(command);
    m_sequencer->toggleConnection();
    // A port that opens later says so with its readiness reply or a failure; one that neither
    // opened nor is opening has failed without a word.
    if (!m_done && !channel->portIsOpen() && !m_connecting &&
        !m_sequencer->timerCommTimeout()->isActive())
        end(Sequencer::Failure::PortNotOpened);
}

void SendSession::stop()
{
    if (m_done || !m_sequencer)
        return;
    m_stopping = true;
    m_sequencer->commandQueue().clear();
    // With a command in flight its reply (or time-out) ends the session, as the drained queue's
    // end of a send does; otherwise nothing is owed to the encoder.
    if (!m_sequencer->transactionInFlight())
        end(std::nullopt);
}

// The command in flight, if any, got its answer.
void SendSession::countAnswer()
{
    if (m_sent > m_answered)
        ++m_answered;
}

void SendSession::end(std::optional<Sequencer::Failure> failure, const QString &detail)
{
    if (m_done)
        return;
    m_done = true;
    m_failure = failure;
    m_interrupted = m_stopping && !failure &&
                    (isCheck() ? m_firstReply.isNull() : m_answered < m_commands.size());
    m_detail = detail.isEmpty() && failure == Sequencer::Failure::PortNotOpened
                   ? pathProblem(m_device)
                   : detail;
    m_milliseconds = m_clock.elapsed();
    // The port is closed from the event loop: this may run inside a signal of the port itself.
    QTimer::singleShot(0, this, [this] {
        m_sequencer->releaseLink();
        m_sequencer->deleteLater();
        m_sequencer = nullptr;
        emit finished();
    });
}
