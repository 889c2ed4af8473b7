#pragma once

#include "core/config/Configuration.h"
#include "core/protocol/CtrlACommand.h"

#include <QDate>
#include <QList>
#include <QStringList>
#include <QTime>
#include <QVector>

// One row of a program schedule: when it goes on air, how long it stays and the program data it
// puts there (program name, content advisory rating, CGMS-A). Its packets are built by the same
// builders as the window's Send Configuration, over a configuration that inserts exactly these
// three packets.
struct ScheduleEvent
{
    enum class Kind
    {
        Dated,    // once, on date at time
        Weekly,   // on the days of weekdays at time
        Default,  // on air while no other event runs
        Override, // put on air by hand until the schedule is resumed
    };
    Kind kind = Kind::Dated;
    QDate date;
    int weekdays = 0; // bit (dayOfWeek - 1): Monday is bit 0
    QTime time;
    qint64 durationMsecs = -1; // -1: until the next event starts
    QString program;
    int system = 1; // position in ConfigLists::ratingSystems()
    int rating = 0; // position in the system's rating list
    QVector<int> flags = QVector<int>(5, 0);
    int cgms = -1; // position in ConfigLists::cgmsChoices(); -1: no CGMS-A packet
    int aps = 0;   // APS option of "No Copying is Permitted": 0 none .. 3 4-line split burst
    int asb = 0;
    QStringList encoders; // the encoders it goes to; empty: all
    int line = 0;         // its line in the schedule file; 0 for an override

    bool appliesTo(const QString &encoder) const;
    bool occursOn(const QDate &day) const; // Dated and Weekly
    Configuration configuration() const;
    // The program name, rating and (when chosen) CGMS-A packets, in that order.
    QList<CtrlACommand> commands() const;
    // How the logs name it: line 4 "Morning News", default "Station Identity", override "News".
    QString title() const;
};
