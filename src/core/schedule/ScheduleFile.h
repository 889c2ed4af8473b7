#pragma once

#include "core/schedule/ScheduleEvent.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The program schedule file: CSV in UTF-8, a header line naming the columns (in any order), then
// one event a line. Fields may be written in double quotes ("" for a quote inside); blank lines
// and lines starting with # are skipped. Columns: start, duration, program, system, rating,
// flags, cgms, aps, asb, encoders; start, program, system and rating are required. Every row is
// checked before a schedule is taken: the first problem refuses the whole file.
namespace ScheduleFile {

struct Result
{
    QList<ScheduleEvent> events; // in file order; empty when refused
    QString problem;             // "" when valid; else "FILE:LINE: column N (NAME): what is wrong"
};

// encoders: the names the encoders column may give (those of the encoder list).
Result read(const QString &path, const QStringList &encoders);
Result parse(const QByteArray &bytes, const QString &fileName, const QStringList &encoders);

// One event from column values, as a row gives them (a missing column counts as empty); the
// problem is "COLUMN: what is wrong", or "".
QString readEvent(const QHash<QString, QString> &fields, const QStringList &encoders,
                  ScheduleEvent *event);

// A duration as the duration column takes it (30m, 1h30m, 45s; at most 7 days) in
// milliseconds; -1 when the text is none.
qint64 durationMsecs(const QString &text);

// The column names, in the order the documentation lists them.
const QStringList &columns();

} // namespace ScheduleFile
