#pragma once

#include "core/transport/LineSettings.h"

#include <QString>
#include <QStringList>

// quillcast-send --schedule: keeps a program schedule's program name, rating and CGMS-A on air
// on one or many encoders until stopped (SIGTERM or Ctrl-C, after the commands in flight);
// SIGHUP, or a change of the file, reloads it. With --dry-run it prints the timeline instead.
// quillcast-send --schedule-control talks to a running one.
namespace ScheduleCommand {

struct Options
{
    QString schedule;
    QStringList devices;
    QString encoders; // a list file, or ""
    LineSettings line;
    bool dryRun = false;
    QString until; // with dryRun: "YYYY-MM-DD HH:MM[:SS]" or a duration; "" for 24 hours
    QString status;
    QString control;
    QString log;
};

// The exit status: 0 stopped (or dry run printed), 1 wrong usage, 2 a bad schedule or list.
int run(const Options &options);
// Sends one command (its words) to the schedule behind the socket and prints the answer: 0 done,
// 1 refused, 3 no schedule answers there.
int control(const QString &socket, const QStringList &words);

} // namespace ScheduleCommand
