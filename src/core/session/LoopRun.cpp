#include "core/session/LoopRun.h"

#include "core/session/DeviceChannel.h"
#include "core/session/EncoderChannel.h"
#include "core/session/LogFile.h"
#include "core/transport/PortLine.h"

namespace {

QString failureText(Sequencer::Failure failure)
{
    switch (failure) {
    case Sequencer::Failure::PortNotOpened:
        return QStringLiteral("the port could not be opened");
    case Sequencer::Failure::LineLost:
        return QStringLiteral("the line to the encoder was lost");
    case Sequencer::Failure::TimedOut:
        return QStringLiteral("the encoder did not answer in time");
    case Sequencer::Failure::EncoderRestarted:
        return QStringLiteral("the encoder restarted");
    case Sequencer::Failure::ReplyTooLong:
        return QStringLiteral("a reply of the encoder was too long");
    }
    return QString();
}

} // namespace

LoopRun::LoopRun(const QString &device, const LineSettings &line, const CaptionLoopFile &file,
                 int seconds, QObject *parent)
    : QObject(parent), m_device(device), m_file(file), m_seconds(seconds),
      m_sequencer(new Sequencer(channelForDevice(device, line), this)),
      m_link(m_sequencer), m_timer(this, QStringLiteral("timerCCLoopingTimeout")),
      m_scheduler(&m_timer, &m_clock, &m_link)
{
    m_secondTick.setInterval(1000);
    m_secondTick.setTimerType(Qt::PreciseTimer);
}

LoopRun::~LoopRun() = default; // the sequencer is a child and closes its port

void LoopRun::start()
{
    if (m_log) {
        m_trafficLog.attach(m_sequencer);
        connect(&m_trafficLog, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex &, int first, int last) {
                    for (int row = first; row <= last; ++row)
                        m_log->write(m_trafficLog.line(row));
                    if (m_trafficLog.rowCount() > 1000)
                        m_trafficLog.clear(); // written already
                });
    }

    connect(m_sequencer, &Sequencer::replyReceived, this, [this] {
        if (m_ended)
            return;
        if (m_stopping && m_sequencer->commandQueue().isEmpty()) {
            end(std::nullopt);
        } else if (!m_started) {
            // The encoder has answered the connection's readiness query: the loop begins.
            m_started = true;
            m_scheduler.start(m_file.lines(), m_file.settings(), m_seconds);
            m_secondTick.start();
        }
    });
    connect(m_sequencer, &Sequencer::timedOut, this,
            [this] { fail(Sequencer::Failure::TimedOut); });
    connect(&m_scheduler, &CaptionLoopScheduler::connectionLost, this,
            [this] { fail(Sequencer::Failure::LineLost); });
    connect(m_sequencer, &Sequencer::connecting, this, [this] { m_connecting = true; });
    PortLine *port = m_sequencer->channel()->port();
    connect(port, &PortLine::portOpenFailed, this, [this](const QString &, const QString &reason) {
        fail(Sequencer::Failure::PortNotOpened, reason);
    });
    connect(port, &PortLine::lineLost, this, [this](const QString &, const QString &reason) {
        fail(Sequencer::Failure::LineLost, reason);
    });
    connect(m_sequencer, &Sequencer::transactionFailed, this,
            [this](Sequencer::Failure failure, const QString &detail) { fail(failure, detail); });
    connect(&m_scheduler, &CaptionLoopScheduler::lineQueued, this, [this](const QString &line) {
        ++m_queued;
        emit lineQueued(line);
    });
    connect(&m_scheduler, &CaptionLoopScheduler::completed, this, &LoopRun::stop);
    connect(&m_secondTick, &QTimer::timeout, &m_scheduler, &CaptionLoopScheduler::secondTick);

    m_sequencer->toggleConnection();
    // A port that opens later says so with its readiness reply or a failure.
    if (!m_ended && !m_sequencer->channel()->portIsOpen() && !m_connecting &&
        !m_sequencer->timerCommTimeout()->isActive())
        fail(Sequencer::Failure::PortNotOpened);
}

void LoopRun::stop()
{
    m_stopping = true;
    m_scheduler.stop();
    m_secondTick.stop();
    // Nothing queued and no reply awaited: nothing is in flight.
    if (m_sequencer->commandQueue().isEmpty() && !m_sequencer->timerCommTimeout()->isActive())
        end(std::nullopt);
}

// The failure's words, with the detail after them in brackets where there is one.
void LoopRun::fail(Sequencer::Failure failure, const QString &detail)
{
    const QString why = detail.isEmpty() && failure == Sequencer::Failure::PortNotOpened
                            ? pathProblem(m_device)
                            : detail;
    const QString text = failureText(failure);
    end(failure, why.isEmpty() ? text : text + QStringLiteral(" (%1)").arg(why));
}

// The first end counts; the port is closed from the event loop, as this may run inside one of
// its signals.
void LoopRun::end(std::optional<Sequencer::Failure> failure, const QString &message)
{
    m_scheduler.stop();
    m_secondTick.stop();
    if (m_ended)
        return;
    m_ended = true;
    m_failure = failure;
    m_message = message;
    QTimer::singleShot(0, this, [this] {
        if (m_sequencer->channel()->portIsOpen())
            m_sequencer->channel()->closePort();
        emit finished();
    });
}
