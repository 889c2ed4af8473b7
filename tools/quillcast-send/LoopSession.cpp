#include "LoopSession.h"

#include "Output.h"
#include "SignalWatch.h"
#include "core/common/GlobalFunctions.h"
#include "core/common/ReadTextFile.h"
#include "core/looping/CaptionLoopFile.h"
#include "core/looping/CaptionLoopScheduler.h"
#include "core/session/LogFile.h"
#include "core/session/LoopRun.h"
#include "core/session/SendSession.h"

#include <QEventLoop>
#include <QRegularExpression>

namespace {

// Loops until the run ends, printing as it goes; returns the run's exit status.
int loop(const QString &device, const LineSettings &line, const CaptionLoopFile &file, int seconds,
         LogFile *log)
{
    LoopRun run(device, line, file, seconds);
    run.setTrafficLog(log);
    QObject::connect(&run, &LoopRun::lineQueued, [&](const QString &caption) {
        Output::line(Output::timeStamp() + QStringLiteral(" C%1 ").arg(file.settings().channel) +
                     Output::escaped(GlobalFunctions::toSingleByte(caption)));
    });
    SignalWatch interrupts;
    QObject::connect(&interrupts, &SignalWatch::received, &run, &LoopRun::stop);
    QEventLoop events;
    QObject::connect(&run, &LoopRun::finished, &events, &QEventLoop::quit);

    Output::line(QStringLiteral("device %1 at %2").arg(device, line.settingsText()));
    run.start();
    events.exec();
    if (run.failure())
        Output::error(device + QStringLiteral(": ") + run.message());
    else
        Output::line(QStringLiteral("%1: %2 lines sent").arg(device).arg(run.linesQueued()));
    return SendSession::exitStatus(run.failure());
}

} // namespace

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
    const int result =
        loop(options.devices.first(), options.line, file, seconds, log.isOpen() ? &log : nullptr);
    if (!log.finish()) {
        Output::error(log.fileName() + QStringLiteral(": the traffic log could not be written: ") +
                      log.errorString());
        return result == 0 ? 1 : result;
    }
    return result;
}
