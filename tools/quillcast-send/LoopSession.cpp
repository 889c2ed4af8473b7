#include "LoopSession.h"
#include "DeviceChannel.h"

#include "LogFile.h"
#include "Output.h"
#include "core/common/GlobalFunctions.h"
#include "core/common/ReadTextFile.h"
#include "core/looping/CaptionLoopScheduler.h"
#include "core/looping/LoopTimer.h"
#include "core/session/EncoderChannel.h"
#include "core/session/Sequencer.h"
#include "core/session/SequencerLoopLink.h"
#include "core/session/TrafficLog.h"
#include "core/transport/PortLine.h"

#include <QEventLoop>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM only write to a pipe, which the event loop watches.
class SignalWatch
{
public:
    SignalWatch()
    {
        if (::pipe(signalPipe) != 0)
            return;
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGTERM, &action, nullptr);
        ::sigaction(SIGINT, &action, nullptr);
        notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read);
    }
    ~SignalWatch()
    {
        delete notifier;
        ::signal(SIGTERM, SIG_DFL);
        ::signal(SIGINT, SIG_DFL);
        ::close(signalPipe[0]);
        ::close(signalPipe[1]);
    }
    QSocketNotifier *notifier = nullptr;
};

} // namespace

LoopSession::LoopSession(const QString &device, const LineSettings &line,
                         const CaptionLoopFile &file, int seconds)
    : m_device(device), m_line(line), m_file(file), m_seconds(seconds)
{
}

LoopSession::Result LoopSession::run()
{
    EncoderChannel *channel = channelForDevice(m_device, m_line);
    Sequencer sequencer(channel);
    SequencerLoopLink link(&sequencer);
    QtLoopTimer timer(nullptr, QStringLiteral("timerCCLoopingTimeout"));
    SteadyLoopClock clock;
    CaptionLoopScheduler scheduler(&timer, &clock, &link);
    QTimer secondTick;
    secondTick.setInterval(1000);
    secondTick.setTimerType(Qt::PreciseTimer);
    SignalWatch interrupts;
    TrafficLog log;
    if (m_log) {
        log.attach(&sequencer);
        QObject::connect(&log, &QAbstractItemModel::rowsInserted,
                         [&](const QModelIndex &, int first, int last) {
                             for (int row = first; row <= last; ++row)
                                 m_log->write(log.line(row));
                             if (log.rowCount() > 1000)
                                 log.clear(); // written already
                         });
    }

    QEventLoop loop;
    int result = -1;
    bool started = false;
    bool ending = false;
    int queued = 0;
    const auto finish = [&](Result r) {
        scheduler.stop();
        secondTick.stop();
        if (result < 0)
            result = r;
        loop.quit();
    };
    // Ends once nothing is queued and no reply is awaited.
    const auto endAfterLineInFlight = [&] {
        ending = true;
        scheduler.stop();
        secondTick.stop();
        if (sequencer.commandQueue().isEmpty() && !sequencer.timerCommTimeout()->isActive())
            finish(Finished);
    };

    QObject::connect(&sequencer, &Sequencer::replyReceived, [&](const QString &) {
        if (ending && sequencer.commandQueue().isEmpty()) {
            finish(Finished);
        } else if (!started) {
            // The encoder has answered the connection's readiness query: the loop begins.
            started = true;
            scheduler.start(m_file.lines(), m_file.settings(), m_seconds);
            secondTick.start();
        }
    });
    QObject::connect(&sequencer, &Sequencer::timedOut, [&](bool) {
        if (result < 0)
            Output::error(QStringLiteral("%1: the encoder did not answer in time").arg(m_device));
        finish(TimedOut);
    });
    QObject::connect(&scheduler, &CaptionLoopScheduler::connectionLost, [&] {
        if (result < 0)
            Output::error(QStringLiteral("%1: the line to the encoder was lost").arg(m_device));
        finish(LineLost);
    });
    bool connecting = false;
    const auto fail = [&](Result r, const QString &message, QString detail) {
        if (detail.isEmpty() && r == PortNotOpened)
            detail = pathProblem(m_device);
        if (result < 0)
            Output::error(m_device + QStringLiteral(": ") + message +
                          (detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail)));
        finish(r);
    };
    QObject::connect(&sequencer, &Sequencer::connecting, [&] { connecting = true; });
    QObject::connect(
        channel->port(), &PortLine::portOpenFailed, [&](const QString &, const QString &reason) {
            fail(PortNotOpened, QStringLiteral("the port could not be opened"), reason);
        });
    QObject::connect(channel->port(), &PortLine::lineLost,
                     [&](const QString &, const QString &reason) {
                         fail(LineLost, QStringLiteral("the line to the encoder was lost"), reason);
                     });
    QObject::connect(
        &sequencer, &Sequencer::transactionFailed,
        [&](Sequencer::Failure failure, const QString &detail) {
            switch (failure) {
            case Sequencer::Failure::PortNotOpened:
                fail(PortNotOpened, QStringLiteral("the port could not be opened"), detail);
                break;
            case Sequencer::Failure::LineLost:
                fail(LineLost, QStringLiteral("the line to the encoder was lost"), detail);
                break;
            case Sequencer::Failure::TimedOut:
                fail(TimedOut, QStringLiteral("the encoder did not answer in time"), detail);
                break;
            case Sequencer::Failure::EncoderRestarted:
            case Sequencer::Failure::ReplyTooLong:
                fail(EncoderFault,
                     failure == Sequencer::Failure::EncoderRestarted
                         ? QStringLiteral("the encoder restarted")
                         : QStringLiteral("a reply of the encoder was too long"),
                     detail);
                break;
            }
        });
    QObject::connect(&scheduler, &CaptionLoopScheduler::lineQueued, [&](const QString &line) {
        ++queued;
        Output::line(Output::timeStamp() + QStringLiteral(" C%1 ").arg(m_file.settings().channel) +
                     Output::escaped(GlobalFunctions::toSingleByte(line)));
    });
    QObject::connect(&scheduler, &CaptionLoopScheduler::completed, endAfterLineInFlight);
    QObject::connect(&secondTick, &QTimer::timeout, &scheduler, &CaptionLoopScheduler::secondTick);
    if (interrupts.notifier)
        QObject::connect(interrupts.notifier, &QSocketNotifier::activated, endAfterLineInFlight);

    Output::line(
        QStringLiteral("device %1 at %2").arg(m_device, channel->getCOMSettings().settingsText()));
    sequencer.toggleConnection();
    // A port that opens later says so with its readiness reply or a failure.
    if (result < 0 && !channel->portIsOpen() && !connecting &&
        !sequencer.timerCommTimeout()->isActive())
        fail(PortNotOpened, QStringLiteral("the port could not be opened"), QString());
    if (result < 0)
        loop.exec();
    if (channel->portIsOpen())
        channel->closePort();
    if (result == Finished)
        Output::line(QStringLiteral("%1: %2 lines sent").arg(m_device).arg(queued));
    return static_cast<Result>(result);
}

int LoopSession::command(const Options &options)
{
    const auto usage = [](const QString &problem) {
        Output::error(problem);
        return 1;
    };
    if (options.devices.size() != 1)
        return usage(QStringLiteral("--loop needs exactly one --device"));
    if (options.forTime.isEmpty() == !options.continuous)
        return usage(QStringLiteral("--loop needs either --for HH:MM:SS or --continuous"));
    int seconds = CaptionLoopScheduler::Continuous;
    if (!options.continuous) {
        static const QRegularExpression clock(QStringLiteral("^(\\d\\d):([0-5]\\d):([0-5]\\d)$"));
        const QRegularExpressionMatch m = clock.match(options.forTime);
        seconds = m.hasMatch() ? m.captured(1).toInt() * 3600 + m.captured(2).toInt() * 60 +
                                     m.captured(3).toInt()
                               : 0;
        if (seconds <= 0 || m.captured(1).toInt() > 23)
            return usage(QStringLiteral("--for must be a time from 00:00:01 to 23:59:59"));
    }
    int channel = 0;
    if (!options.channel.isNull()) {
        bool ok = false;
        channel = options.channel.toInt(&ok);
        if (!ok || channel < 1 || channel > 4)
            return usage(QStringLiteral("--channel must be 1, 2, 3 or 4"));
    }

    CaptionLoopFile file;
    QStringList messages;
    TextFileError readError = TextFileError::None;
    if (!file.load(readTextFile(options.file, &readError),
                   [&messages](const QString &message) { messages << message; })) {
        Output::error(options.file + QStringLiteral(": ") +
                      (readError == TextFileError::TooLarge
                           ? CaptionLoopFile::TooLargeMessage
                           : QStringLiteral("the caption file cannot be read")));
        return 2;
    }
    // The window's messages about the file become warnings; those about the channel do not
    // matter when --channel chooses it.
    for (const QString &message : std::as_const(messages)) {
        if (channel == 0 ||
            (message != CaptionLoopFile::ChannelMessage && message != CaptionLoopFile::ChannelNote))
            Output::error(options.file + QStringLiteral(": ") + message);
    }
    if (channel != 0) {
        CaptionLoopFile::Settings settings = file.settings();
        settings.channel = channel;
        file.setSettings(settings);
    }
    LogFile log;
    if (!options.log.isEmpty() && !log.open(options.log))
        return usage(options.log + QStringLiteral(": ") + log.errorString());
    LoopSession session(options.devices.first(), options.line, file, seconds);
    if (log.isOpen())
        session.setTrafficLog(&log);
    const int result = session.run();
    if (!log.finish()) {
        Output::error(log.fileName() + QStringLiteral(": the traffic log could not be written: ") +
                      log.errorString());
        return result == Finished ? 1 : result;
    }
    return result;
}
