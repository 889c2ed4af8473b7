#include "SendSession.h"
#include "DeviceChannel.h"

#include "LogFile.h"
#include "Output.h"
#include "core/common/GlobalFunctions.h"
#include "core/session/EncoderChannel.h"
#include "core/session/Sequencer.h"
#include "core/session/TrafficLog.h"
#include "core/transport/PortLine.h"

#include <QTimer>

int SendSession::exitStatus(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Answered:
        return 0;
    case Outcome::PortNotOpened:
    case Outcome::LineLost:
        return 3;
    case Outcome::TimedOut:
        return 4;
    case Outcome::EncoderRestarted:
    case Outcome::ReplyTooLong:
        return 5;
    }
    return 4;
}

QString SendSession::reason(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Answered:
        return QStringLiteral("ok");
    case Outcome::PortNotOpened:
        return QStringLiteral("port could not be opened");
    case Outcome::LineLost:
        return QStringLiteral("line lost");
    case Outcome::TimedOut:
        return QStringLiteral("did not answer in time");
    case Outcome::EncoderRestarted:
        return QStringLiteral("encoder restarted");
    case Outcome::ReplyTooLong:
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

QString SendSession::message() const
{
    const QString withDetail =
        m_detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(m_detail);
    switch (m_outcome) {
    case Outcome::Answered:
        return QStringLiteral("all %1 commands answered").arg(m_commands.size());
    case Outcome::PortNotOpened:
        return QStringLiteral("the port could not be opened") + withDetail;
    case Outcome::LineLost:
        return QStringLiteral("the line to the encoder was lost") + withDetail;
    case Outcome::TimedOut:
        return QStringLiteral("the encoder did not answer in time");
    case Outcome::EncoderRestarted:
        return QStringLiteral("the encoder restarted during the send: %1 of %2 commands were "
                              "answered before, the rest did not reach it")
            .arg(m_answered)
            .arg(m_commands.size());
    case Outcome::ReplyTooLong:
        return QStringLiteral("a reply of the encoder was too long") + withDetail;
    }
    return QString();
}

void SendSession::start()
{
    m_clock.start();
    m_sequencer = new Sequencer(channelForDevice(m_device, m_line), this);
    EncoderChannel *channel = m_sequencer->channel();
    PortLine *port = channel->port();

    if (m_log) {
        auto *log = new TrafficLog(m_sequencer);
        log->attach(m_sequencer);
        connect(log, &QAbstractItemModel::rowsInserted, this,
                [this, log](const QModelIndex &, int first, int last) {
                    for (int row = first; row <= last; ++row)
                        m_log->write(m_logPrefix + log->line(row));
                    if (log->rowCount() > 1000)
                        log->clear(); // written already: keep the memory of a long send small
                });
    }
    if (m_transcript) {
        connect(channel, &EncoderChannel::textSent, this, [](const QString &, const QString &text) {
            Output::line(Output::timeStamp() + QStringLiteral(" > ") +
                         Output::escaped(GlobalFunctions::toSingleByte(text)));
        });
    }

    connect(m_sequencer, &Sequencer::connecting, this, [this] { m_connecting = true; });
    connect(m_sequencer, &Sequencer::commandSent, this, [this] { ++m_sent; });
    connect(m_sequencer, &Sequencer::replyReceived, this, [this](const QString &reply) {
        if (m_done)
            return;
        if (m_transcript) {
            Output::line(Output::timeStamp() + QStringLiteral(" < ") +
                         Output::escaped(GlobalFunctions::toSingleByte(reply)));
        }
        // An encoder identifies itself only when asked whether it is ready, and when it starts
        // up: its banner in place of a command's reply means the encoder restarted and lost
        // what it was being sent.
        if (m_sent > m_answered && !Sequencer::identificationFromReply(reply).isNull()) {
            end(Outcome::EncoderRestarted, QString());
            return;
        }
        if (m_sent > m_answered)
            ++m_answered;
        // The reply arrives before the next command goes out: with nothing left to send and
        // every command answered, the send is complete.
        if (m_answered == m_commands.size() && m_sequencer->commandQueue().isEmpty())
            end(Outcome::Answered, QString());
    });
    connect(m_sequencer, &Sequencer::timedOut, this, [this] { end(Outcome::TimedOut, QString()); });
    connect(m_sequencer, &Sequencer::transactionFailed, this,
            [this](Sequencer::Failure failure, const QString &detail) {
                switch (failure) {
                case Sequencer::Failure::PortNotOpened:
                    end(Outcome::PortNotOpened, detail);
                    break;
                case Sequencer::Failure::TimedOut:
                    end(Outcome::TimedOut, detail);
                    break;
                case Sequencer::Failure::LineLost:
                    end(Outcome::LineLost, detail);
                    break;
                case Sequencer::Failure::EncoderRestarted:
                    end(Outcome::EncoderRestarted, detail);
                    break;
                case Sequencer::Failure::ReplyTooLong:
                    end(Outcome::ReplyTooLong, detail);
                    break;
                }
            });
    // The port's own word comes at once, also where the sequencer would wait for a time-out.
    connect(port, &PortLine::portOpenFailed, this, [this](const QString &, const QString &reason) {
        end(Outcome::PortNotOpened, reason);
    });
    connect(port, &PortLine::lineLost, this,
            [this](const QString &, const QString &reason) { end(Outcome::LineLost, reason); });

    // The whole list is queued before the port opens, so the one readiness query of the
    // connection starts the drain.
    for (const CtrlACommand &command : std::as_const(m_commands))
        m_sequencer->addCommand(command);
    if (m_transcript)
        Output::line(QStringLiteral("device %1 at %2")
                         .arg(m_device, channel->getCOMSettings().settingsText()));
    m_sequencer->toggleConnection();
    // A port that opens later says so with its readiness reply or a failure; one that neither
    // opened nor is opening has failed without a word.
    if (!m_done && !channel->portIsOpen() && !m_connecting &&
        !m_sequencer->timerCommTimeout()->isActive())
        end(Outcome::PortNotOpened, QString());
}

void SendSession::end(Outcome outcome, const QString &detail)
{
    if (m_done)
        return;
    m_done = true;
    m_outcome = outcome;
    m_detail =
        detail.isEmpty() && outcome == Outcome::PortNotOpened ? pathProblem(m_device) : detail;
    m_milliseconds = m_clock.elapsed();
    // Nothing more goes out: this may run while the sequencer is about to send the next
    // command after a reply (a restarted encoder's banner).
    m_sequencer->commandQueue().clear();
    // The port is closed from the event loop: this may run inside a signal of the port itself.
    QTimer::singleShot(0, this, [this] {
        m_sequencer->releaseLink();
        m_sequencer->deleteLater();
        m_sequencer = nullptr;
        emit finished();
    });
}
