#pragma once

#include "core/looping/CaptionLoopFile.h"
#include "core/transport/LineSettings.h"

#include <QString>
#include <QStringList>

// Loops a caption file on one encoder without the window: the same reader, scheduler and
// sequencer as the CC Looping tab. Each line is printed with a time stamp as it is queued. The
// loop ends when its time is up or on SIGINT / SIGTERM, in both cases once the line in flight
// has been answered.
class LogFile;

class LoopSession
{
public:
    enum Result
    {
        Finished = 0,
        PortNotOpened = 3,
        LineLost = 3,    // the port went away while looping
        TimedOut = 4,    // the encoder stopped answering
        EncoderFault = 5 // the encoder restarted, or a reply was too long
    };

    // seconds: the looping time, or CaptionLoopScheduler::Continuous.
    LoopSession(const QString &device, const LineSettings &line, const CaptionLoopFile &file,
                int seconds);

    // Also writes the traffic log's lines (each caption sent, each reply) to the file.
    void setTrafficLog(LogFile *log) { m_log = log; }

    Result run();

    // quillcast-send --loop: checks the options and the file, then loops. Returns the exit
    // status: 1 wrong usage (one line on standard error), 2 a caption file that cannot be
    // read, else that of run() (1 when it went well but the log could not be written).
    struct Options
    {
        QString file;
        QStringList devices;
        LineSettings line;
        QString forTime; // HH:MM:SS, or "" with continuous
        bool continuous = false;
        QString channel; // 1..4 overrides the file's channel; null when not given
        QString log;     // the traffic log's file; "" for none
    };
    static int command(const Options &options);

private:
    QString m_device;
    LineSettings m_line;
    CaptionLoopFile m_file;
    int m_seconds;
    LogFile *m_log = nullptr;
};
