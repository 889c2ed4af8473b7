#include "core/schedule/ScheduleFile.h"

#include "core/config/ConfigLists.h"

#include <QFile>
#include <QRegularExpression>

namespace ScheduleFile {

namespace {

const QString Start = QStringLiteral("start");
const QString Duration = QStringLiteral("duration");
const QString Program = QStringLiteral("program");
const QString System = QStringLiteral("system");
const QString Rating = QStringLiteral("rating");
const QString Flags = QStringLiteral("flags");
const QString Cgms = QStringLiteral("cgms");
const QString Aps = QStringLiteral("aps");
const QString Asb = QStringLiteral("asb");
const QString Encoders = QStringLiteral("encoders");

constexpr qint64 MaxDurationSeconds = 7 * 24 * 3600;

struct Problem
{
    QString column; // "" for the line as a whole
    QString text;
};

// A text of the file as the messages show it: quoted, control characters escaped.
QString plain(const QString &text)
{
    QString shown;
    for (const QChar c : text)
        shown += c.unicode() < 0x20 || c.unicode() == 0x7F
                     ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                     : QString(c);
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

// "a, b or c"
QString choices(const QStringList &names)
{
    return names.size() < 2 ? names.join(QString())
                            : names.mid(0, names.size() - 1).join(QStringLiteral(", ")) +
                                  QStringLiteral(" or ") + names.last();
}

int indexIn(const QStringList &names, const QString &value)
{
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(value, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// Splits one line into its fields; the problem, or "".
QString splitFields(const QString &line, QStringList *fields)
{
    fields->clear();
    const int n = int(line.size());
    int i = 0;
    const auto skipBlanks = [&] {
        while (i < n && (line[i] == QLatin1Char(' ') || line[i] == QLatin1Char('\t')))
            ++i;
    };
    for (;;) {
        QString field;
        skipBlanks();
        if (i < n && line[i] == QLatin1Char('"')) {
            bool closed = false;
            for (++i; i < n; ++i) {
                if (line[i] != QLatin1Char('"')) {
                    field += line[i];
                } else if (i + 1 < n && line[i + 1] == QLatin1Char('"')) {
                    field += line[i++];
                } else {
                    closed = true;
                    ++i;
                    break;
                }
            }
            if (!closed)
                return QStringLiteral("a quoted field is not closed");
            skipBlanks();
            if (i < n && line[i] != QLatin1Char(','))
                return QStringLiteral("text after a closing quote");
        } else {
            const int from = i;
            while (i < n && line[i] != QLatin1Char(','))
                ++i;
            field = line.mid(from, i - from).trimmed();
        }
        *fields << field;
        if (i >= n)
            return QString();
        ++i; // the comma
    }
}

bool readTime(const QString &text, QTime *time)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return false;
    *time = QTime(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    return time->isValid();
}

// "Mon-Fri", "Sat,Sun", "daily": a set of weekdays, bit 0 for Monday; 0 when not a day list.
int readDays(const QString &text)
{
    static const QStringList names = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
    if (text.compare(QLatin1String("daily"), Qt::CaseInsensitive) == 0)
        return 0x7F;
    int days = 0;
    for (const QString &part : text.split(QLatin1Char(','))) {
        const QStringList ends = part.trimmed().split(QLatin1Char('-'));
        const int first = indexIn(names, ends.first().trimmed());
        const int last = indexIn(names, ends.last().trimmed());
        if (ends.size() > 2 || first < 0 || last < 0)
            return 0;
        // A range may run over the week's end: Fri-Mon.
        for (int day = first;; day = (day + 1) % 7) {
            days |= 1 << day;
            if (day == last)
                break;
        }
    }
    return days;
}

QString readStart(const QString &value, ScheduleEvent *event)
{
    const QString text = value.simplified();
    if (text.compare(QLatin1String("default"), Qt::CaseInsensitive) == 0) {
        event->kind = ScheduleEvent::Kind::Default;
        return QString();
    }
    const int blank = int(text.lastIndexOf(QLatin1Char(' ')));
    const QString when = text.left(qMax(0, blank));
    const bool timeOk = blank > 0 && readTime(text.mid(blank + 1), &event->time);
    static const QRegularExpression datePattern(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (timeOk && datePattern.match(when).hasMatch()) {
        event->kind = ScheduleEvent::Kind::Dated;
        event->date = QDate::fromString(when, QStringLiteral("yyyy-MM-dd"));
        if (event->date.isValid())
            return QString();
        return QStringLiteral("%1 is no date of the calendar").arg(plain(when));
    }
    event->kind = ScheduleEvent::Kind::Weekly;
    event->weekdays = timeOk ? readDays(when) : 0;
    if (event->weekdays)
        return QString();
    return QStringLiteral("%1 is not a start: give YYYY-MM-DD HH:MM[:SS], days and a time "
                          "(Mon-Fri 06:00, Sat,Sun 18:30, daily 05:00) or default")
        .arg(plain(value));
}

QString readDuration(const QString &value, ScheduleEvent *event)
{
    event->durationMsecs = -1;
    if (value.isEmpty())
        return QString();
    static const QRegularExpression pattern(
        QStringLiteral("^(?:(\\d{1,4})h)?(?:(\\d{1,6})m)?(?:(\\d{1,8})s)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = pattern.match(value);
    const qint64 seconds = m.captured(1).toLongLong() * 3600 + m.captured(2).toLongLong() * 60 +
                           m.captured(3).toLongLong();
    if (!m.hasMatch() || seconds <= 0)
        return QStringLiteral("%1 is not a duration such as 30m, 1h30m or 45s").arg(plain(value));
    if (seconds > MaxDurationSeconds)
        return QStringLiteral("%1 is longer than 7 days").arg(plain(value));
    event->durationMsecs = seconds * 1000;
    return QString();
}

QString readProgram(const QString &value, ScheduleEvent *event)
{
    event->program = value;
    if (value.trimmed().size() < 2 || value.size() > 32)
        return QStringLiteral("%1 must be 2 to 32 characters").arg(plain(value));
    for (const QChar c : value) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0) || c.unicode() > 0xFF)
            return QStringLiteral("%1 holds a character that cannot be sent").arg(plain(value));
    }
    return QString();
}

Problem readRating(const QHash<QString, QString> &fields, ScheduleEvent *event)
{
    const QStringList &systems = ConfigLists::ratingSystems();
    event->system = indexIn(systems, fields.value(System));
    if (event->system < 0)
        return {System, QStringLiteral("%1 is not a rating system: %2")
                            .arg(plain(fields.value(System)), choices(systems))};
    const QString systemName = systems[event->system];
    const QStringList &ratings = ConfigLists::ratingLists(event->system);
    event->rating = indexIn(ratings, fields.value(Rating));
    if (event->rating < 0)
        return {Rating, QStringLiteral("%1 is not a rating of %2: %3")
                            .arg(plain(fields.value(Rating)), systemName, choices(ratings))};

    const QStringList &flagNames = ConfigLists::ratingFlagNames();
    const QVector<int> admitted = ConfigLists::admittedRatingFlags(event->system, event->rating);
    event->flags = QVector<int>(5, 0);
    for (const QString &name : fields.value(Flags).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const int flag = indexIn(flagNames, name);
        if (flag < 0)
            return {Flags, QStringLiteral("%1 is not a content flag: %2")
                               .arg(plain(name), choices(flagNames))};
        if (!admitted.contains(flag)) {
            QStringList allowed;
            for (int a : admitted)
                allowed << flagNames[a];
            return {Flags,
                    QStringLiteral("%1 %2 admits %3")
                        .arg(systemName, ratings[event->rating],
                             allowed.isEmpty() ? QStringLiteral("no content flags")
                                               : QStringLiteral("only ") + choices(allowed))};
        }
        event->flags[flag] = 1;
    }
    return {};
}

Problem readCopyManagement(const QHash<QString, QString> &fields, ScheduleEvent *event)
{
    static const QStringList cgmsNames = {"copy-free", "copy-once", "copy-never"};
    static const QStringList apsNames = {"none", "psp", "psp-2line", "psp-4line"};
    static const QStringList asbNames = {"off", "on"};
    const QString cgms = fields.value(Cgms);
    const QString aps = fields.value(Aps);
    const QString asb = fields.value(Asb);
    event->cgms = cgms.isEmpty() ? -1 : indexIn(cgmsNames, cgms);
    if (!cgms.isEmpty() && event->cgms < 0)
        return {Cgms, QStringLiteral("%1 is not a copy-management choice: %2")
                          .arg(plain(cgms), choices(cgmsNames))};
    event->aps = aps.isEmpty() ? 0 : indexIn(apsNames, aps);
    if (event->aps < 0)
        return {Aps, QStringLiteral("%1 is not an analog protection choice: %2")
                         .arg(plain(aps), choices(apsNames))};
    if (event->aps > 0 && event->cgms != ConfigLists::NoCopyingIsPermitted)
        return {Aps, QStringLiteral("%1 needs cgms copy-never").arg(plain(aps))};
    event->asb = asb.isEmpty() ? 0 : indexIn(asbNames, asb);
    if (event->asb < 0)
        return {Asb, QStringLiteral("%1 is not on or off").arg(plain(asb))};
    if (event->cgms < 0 && (!aps.isEmpty() || !asb.isEmpty()))
        return {aps.isEmpty() ? Asb : Aps, QStringLiteral("needs a cgms choice")};
    return {};
}

Problem readFields(const QHash<QString, QString> &fields, const QStringList &encoders,
                   bool withStart, ScheduleEvent *event)
{
    *event = ScheduleEvent();
    QString problem;
    if (withStart && !(problem = readStart(fields.value(Start), event)).isEmpty())
        return {Start, problem};
    if (!withStart)
        event->kind = ScheduleEvent::Kind::Override;
    if (!(problem = readDuration(fields.value(Duration), event)).isEmpty())
        return {Duration, problem};
    if (event->kind == ScheduleEvent::Kind::Default && event->durationMsecs >= 0)
        return {Duration, QStringLiteral("the default has no duration")};
    if (!(problem = readProgram(fields.value(Program), event)).isEmpty())
        return {Program, problem};
    if (const Problem p = readRating(fields, event); !p.column.isEmpty())
        return p;
    if (const Problem p = readCopyManagement(fields, event); !p.column.isEmpty())
        return p;
    for (const QString &name : fields.value(Encoders).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!encoders.contains(name))
            return {Encoders, QStringLiteral("%1 is not an encoder of the list: %2")
                                  .arg(plain(name), choices(encoders))};
        if (!event->encoders.contains(name))
            event->encoders << name;
    }
    return {};
}

// Whether two events may go on air at the same moment on the same encoder.
bool sameStart(const ScheduleEvent &a, const ScheduleEvent &b)
{
    using Kind = ScheduleEvent::Kind;
    if (a.kind == Kind::Default || b.kind == Kind::Default)
        return a.kind == b.kind;
    if (a.time != b.time)
        return false;
    if (a.kind == Kind::Weekly && b.kind == Kind::Weekly)
        return a.weekdays & b.weekdays;
    return a.kind == Kind::Dated ? b.occursOn(a.date) : a.occursOn(b.date);
}

// The first encoder both events go to, or "" when none.
QString sharedEncoder(const ScheduleEvent &a, const ScheduleEvent &b, const QStringList &all)
{
    for (const QString &name : a.encoders.isEmpty() ? all : a.encoders) {
        if (b.appliesTo(name))
            return name;
    }
    return QString();
}

} // namespace

qint64 durationMsecs(const QString &text)
{
    ScheduleEvent event;
    return !text.isEmpty() && readDuration(text, &event).isEmpty() ? event.durationMsecs : -1;
}

const QStringList &columns()
{
    static const QStringList names = {Start, Duration, Program, System, Rating,
                                      Flags, Cgms,     Aps,     Asb,    Encoders};
    return names;
}

QString readEvent(const QHash<QString, QString> &fields, const QStringList &encoders,
                  ScheduleEvent *event)
{
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        if (it.key() == Start || !columns().contains(it.key()))
            return QStringLiteral("%1: not a column of an event").arg(plain(it.key()));
    }
    const Problem p = readFields(fields, encoders, false, event);
    return p.column.isEmpty() ? QString() : p.column + QStringLiteral(": ") + p.text;
}

Result read(const QString &path, const QStringList &encoders)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{},
                path +
                    QStringLiteral(": the schedule cannot be read (%1)").arg(file.errorString())};
    return parse(file.readAll(), path, encoders);
}

Result parse(const QByteArray &bytes, const QString &fileName, const QStringList &encoders)
{
    Result result;
    int lineNumber = 0;
    QStringList header;
    const auto refuse = [&](const QString &problem, int column = -1) {
        result.events.clear();
        result.problem = QStringLiteral("%1:%2: ").arg(fileName).arg(lineNumber);
        if (column >= 0)
            result.problem +=
                QStringLiteral("column %1 (%2): ").arg(column + 1).arg(header.value(column));
        result.problem += problem;
        return result;
    };
    for (QString line : QString::fromUtf8(bytes).split(QLatin1Char('\n'))) {
        ++lineNumber;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(QLatin1Char('#')))
            continue;
        QStringList fields;
        if (const QString problem = splitFields(line, &fields); !problem.isEmpty())
            return refuse(problem);
        if (header.isEmpty()) {
            for (int i = 0; i < fields.size(); ++i) {
                header << fields[i].toLower();
                if (!columns().contains(header[i]))
                    return refuse(QStringLiteral("unknown column %1; the columns are %2")
                                      .arg(plain(fields[i]), choices(columns())));
                if (header.indexOf(header[i]) < i)
                    return refuse(QStringLiteral("column %1 given twice").arg(header[i]));
            }
            for (const QString &required : {Start, Program, System, Rating}) {
                if (!header.contains(required))
                    return refuse(QStringLiteral("no column %1").arg(required));
            }
            continue;
        }
        if (fields.size() != header.size())
            return refuse(QStringLiteral("%1 fields where the header has %2")
                              .arg(fields.size())
                              .arg(header.size()));
        QHash<QString, QString> values;
        for (int i = 0; i < fields.size(); ++i)
            values.insert(header[i], fields[i]);
        ScheduleEvent event;
        if (const Problem p = readFields(values, encoders, true, &event); !p.column.isEmpty())
            return refuse(p.text, int(header.indexOf(p.column)));
        event.line = lineNumber;
        for (const ScheduleEvent &earlier : std::as_const(result.events)) {
            const QString encoder = sharedEncoder(earlier, event, encoders);
            if (!encoder.isEmpty() && sameStart(earlier, event))
                return refuse(event.kind == ScheduleEvent::Kind::Default
                                  ? QStringLiteral("a second default for encoder %1 (the "
                                                   "first is on line %2)")
                                        .arg(plain(encoder))
                                        .arg(earlier.line)
                                  : QStringLiteral("starts with line %1 on encoder %2")
                                        .arg(earlier.line)
                                        .arg(plain(encoder)),
                              int(header.indexOf(Start)));
        }
        result.events << event;
    }
    if (header.isEmpty() || result.events.isEmpty()) {
        lineNumber = 1;
        return refuse(header.isEmpty()
                          ? QStringLiteral("no header line: the first line names the columns")
                          : QStringLiteral("no events"));
    }
    return result;
}

} // namespace ScheduleFile
