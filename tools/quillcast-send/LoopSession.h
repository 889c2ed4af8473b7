#pragma once

#include "link/COMSettings.h"
#include "looping/CaptionLoopFile.h"

#include <QString>
#include <QStringList>

// Loops a caption file on one encoder without the window: the same reader, scheduler and
// sequencer as the CC Looping tab. Each line is printed with a time stamp as it is queued. The
// loop ends when its time is up or on SIGINT / SIGTERM, in both cases once the line in flight
// has been answered.
class LoopSession
{
public:
    enum Result
    {
        Finished = 0,
        PortNotOpened = 3,
        TimedOut = 4 // the encoder stopped answering or the port was lost
    };

    // seconds: the looping time, or CaptionLoopScheduler::Continuous.
    LoopSession(const QString &device, const COMSettings &line, const CaptionLoopFile &file,
                int seconds);

    Result run();

    // quillcast-send --loop: checks the options and the file, then loops. Returns the exit
    // status: 1 wrong usage (one line on standard error), 2 a caption file that cannot be
    // read, else that of run().
    struct Options
    {
        QString file;
        QStringList devices;
        COMSettings line;
        QString forTime; // HH:MM:SS, or "" with continuous
        bool continuous = false;
        QString channel; // 1..4 overrides the file's channel; null when not given
    };
    static int command(const Options &options);

private:
    QString m_device;
    COMSettings m_line;
    CaptionLoopFile m_file;
    int m_seconds;
};
