#pragma once

#include "core/transport/LineSettings.h"

#include <QString>
#include <QStringList>

// quillcast-send --loop: loops a caption file on one encoder without the window (LoopRun), each
// line printed with a time stamp as it is queued. The loop ends when its time is up or on
// SIGINT / SIGTERM, in both cases once the line in flight has been answered.
namespace LoopSession {

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

// Checks the options and the file, then loops. Returns the exit status: 1 wrong usage (one line
// on standard error), 2 a caption file that cannot be read, else that of the loop as of a send
// (0, 3, 4 or 5; 1 when it went well but the log could not be written).
int command(const Options &options);

} // namespace LoopSession
