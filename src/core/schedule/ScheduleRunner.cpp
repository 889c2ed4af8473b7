#include "core/schedule/ScheduleRunner.h"

#include "core/common/Clock.h"
#include "core/common/WholeFile.h"
#include "core/looping/LoopTimer.h"
#include "core/schedule/ScheduleLink.h"
#include "core/session/LogFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

namespace {
// A jump between the wall clock and the monotonic one larger than this is a stepped clock.
constexpr qint64 StepMsecs = 500;
constexpr qint64 WakeMsecs = 1000;
} // namespace

struct ScheduleRunner::Station
{
    Encoder encoder;
    Planned wanted;  // what the schedule puts on air now
    Planned sending; // what the send in flight sends
    Planned onAir;   // what the encoder last took
    ScheduleLink *link = nullptr;
    qint64 sentAt = 0;   // when the last send started
    qint64 onAirAt = 0;  // when what is on air was sent
    QString result;      // of the last send
    qint64 retryAt = -1; // monotonic; -1: no retry due
    bool toldExpired = false;
};

ScheduleRunner::ScheduleRunner(const QList<Encoder> &encoders, const QTimeZone &zone,
                               QObject *parent)
    : QObject(parent), m_calendar(std::make_unique<ScheduleCalendar>(QList<ScheduleEvent>(), zone)),
      m_zone(zone)
{
    for (const Encoder &encoder : encoders) {
        m_stations.push_back(std::make_unique<Station>());
        m_stations.back()->encoder = encoder;
        m_stations.back()->link = new ScheduleLink(encoder.device, encoder.line, this);
        Station *s = m_stations.back().get();
        connect(s->link, &ScheduleLink::sent, this, [this, s] { linkSent(*s); });
        connect(s->link, &ScheduleLink::failed, this,
                [this, s](bool sending) { linkFailed(*s, sending); });
    }
    m_ownSteady = std::make_unique<SteadyLoopClock>();
    auto timer = std::make_unique<QtLoopTimer>(this, QStringLiteral("scheduleTimer"));
    m_ownTimer = std::move(timer);
    setClocks(nullptr, m_ownSteady.get(), m_ownTimer.get());
}

ScheduleRunner::~ScheduleRunner() = default; // the links are children

void ScheduleRunner::setClocks(const Clock *wall, const LoopClock *steady, LoopTimer *timer)
{
    if (m_timer)
        m_timer->timeout = nullptr;
    m_wall = wall;
    m_steady = steady;
    m_timer = timer;
    m_timer->timeout = [this] { wake(); };
}

void ScheduleRunner::setTrafficLog(LogFile *log)
{
    m_log = log;
    for (const auto &station : m_stations)
        station->link->setTrafficLog(log, station->encoder.name + QStringLiteral(": "));
}

void ScheduleRunner::setStatusFile(const QString &path)
{
    m_statusPath = path;
}

qint64 ScheduleRunner::wallNow() const
{
    return (m_wall ? m_wall : &Clock::instance())->now().toMSecsSinceEpoch();
}

QString ScheduleRunner::timeText(qint64 moment) const
{
    return QDateTime::fromMSecsSinceEpoch(moment, m_zone)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

void ScheduleRunner::report(const QString &encoder, const QString &text, qint64 at)
{
    emit reported(timeText(at < 0 ? wallNow() : at) + QLatin1Char(' ') + encoder +
                  QLatin1Char(' ') + text);
}

QStringList ScheduleRunner::encoderNames() const
{
    QStringList names;
    for (const auto &station : m_stations)
        names << station->encoder.name;
    return names;
}

void ScheduleRunner::setSchedule(const QList<ScheduleEvent> &events)
{
    auto calendar = std::make_unique<ScheduleCalendar>(events, m_zone);
    for (const auto &[from, by] : std::as_const(m_shifts))
        calendar->addShift(from, by);
    m_calendar = std::move(calendar);
    if (m_running)
        wake();
}

void ScheduleRunner::start()
{
    m_running = true;
    m_clockOffset = wallNow() - m_steady->msecs();
    m_tickedAt = m_steady->msecs();
    wake();
    for (const auto &station : m_stations) {
        if (!station->wanted.none)
            continue;
        report(station->encoder.name, QStringLiteral("nothing on air: no event has started "
                                                     "and the schedule has no default"));
        station->link->open(); // ready for the first change
    }
}

void ScheduleRunner::stop()
{
    m_stopping = true;
    m_timer->stop();
    for (const auto &station : m_stations) {
        if (station->link->isSending())
            return; // finished() when the last one ends
    }
    for (const auto &station : m_stations)
        station->link->close();
    QTimer::singleShot(0, this, &ScheduleRunner::finished);
}

ScheduleRunner::Planned ScheduleRunner::planned(const Station &station, qint64 now) const
{
    const QString &name = station.encoder.name;
    Planned plan;
    qint64 start = 0;
    if (m_override && m_override->appliesTo(name)) {
        plan.event = *m_override;
        start = m_overrideSince;
    } else if (m_heldSince) {
        return station.wanted;
    } else {
        const ScheduleCalendar::OnAir onAir = m_calendar->onAir(name, now);
        if (onAir.event < 0)
            return plan;
        plan.event = m_calendar->events().at(onAir.event);
        plan.expired = onAir.expired;
        start = onAir.start;
    }
    plan.none = false;
    for (const CtrlACommand &command : plan.event.commands())
        plan.key += command.wireBytes();
    plan.key += ' ' + QByteArray::number(start);
    if (plan.event.kind == ScheduleEvent::Kind::Override)
        plan.key += " override";
    return plan;
}

void ScheduleRunner::wake()
{
    if (!m_running || m_stopping)
        return;
    const qint64 now = wallNow();
    const qint64 steady = m_steady->msecs();
    const qint64 step = now - steady - m_clockOffset;
    m_clockOffset = now - steady;
    if (qAbs(step) > StepMsecs)
        report(QStringLiteral("all encoders"),
               QStringLiteral("the system clock moved %1 by %2 s: what is on air is worked out "
                              "again")
                   .arg(step > 0 ? QStringLiteral("forward") : QStringLiteral("back"))
                   .arg(qAbs(step) / 1000.0, 0, 'f', 1),
               now);
    for (const auto &station : m_stations) {
        Station &s = *station;
        const Planned want = planned(s, now);
        if (want.key != s.wanted.key) {
            s.wanted = want;
            s.toldExpired = false;
            if (!s.link->isSending() && !want.none)
                send(s);
        } else if (want.expired && !s.toldExpired && !s.wanted.none) {
            s.toldExpired = true;
            report(s.encoder.name,
                   s.wanted.event.title() + QStringLiteral(": ended; the schedule has no default, "
                                                           "so it stays on air"));
        }
        if (!s.link->isSending() && s.retryAt >= 0 && steady >= s.retryAt)
            send(s);
    }
    // The links' keep-alive counts seconds, one step per second passed however the wake-ups
    // fall (at most ten made up after a suspended system); after the sends, which it must not
    // delay.
    if (steady - m_tickedAt > 10 * WakeMsecs)
        m_tickedAt = steady - WakeMsecs;
    for (; steady - m_tickedAt >= WakeMsecs; m_tickedAt += WakeMsecs) {
        for (const auto &station : m_stations)
            station->link->secondTick();
    }
    armTimer();
}

void ScheduleRunner::armTimer()
{
    if (!m_running || m_stopping)
        return;
    const qint64 now = wallNow();
    const qint64 steady = m_steady->msecs();
    qint64 delay = WakeMsecs;
    for (const auto &station : m_stations) {
        delay = qMin(delay, m_calendar->nextChange(station->encoder.name, now) - now);
        if (!station->link->isSending() && station->retryAt >= 0)
            delay = qMin(delay, station->retryAt - steady);
    }
    m_timer->start(int(qMax<qint64>(0, delay)));
}

void ScheduleRunner::send(Station &station)
{
    if (m_stopping)
        return;
    station.retryAt = -1;
    if (station.wanted.none) {
        station.link->open();
        return;
    }
    station.sending = station.wanted;
    station.sentAt = wallNow();
    station.result = QStringLiteral("sending");
    // Last: a port refused at once ends the send before this returns.
    station.link->send(station.wanted.event.commands());
}

void ScheduleRunner::linkSent(Station &station)
{
    station.onAir = station.sending;
    station.onAirAt = station.sentAt;
    station.result = QStringLiteral("ok");
    report(station.encoder.name, station.sending.event.title() + QStringLiteral(": ok"),
           station.sentAt);
    sendEnded();
    // A change that came while the send was in flight goes out now.
    if (!m_stopping && station.wanted.key != station.sending.key)
        send(station);
    armTimer();
}

// The link is closed: with a send in flight that send failed; else the open, the keep-alive or
// the line failed between changes. Either way what is on air goes out once the link opens again.
void ScheduleRunner::linkFailed(Station &station, bool sending)
{
    ScheduleLink *link = station.link;
    station.result = QStringLiteral("failed (%1)").arg(link->reason());
    const QString failed =
        QStringLiteral(": failed (%1); trying again in 30 s").arg(link->message());
    station.retryAt = m_steady->msecs() + RetryMsecs;
    if (sending) {
        report(station.encoder.name, station.sending.event.title() + failed, station.sentAt);
        // A change that came while the send was in flight goes out from the event loop: this
        // may run inside a signal of the closed port.
        if (station.wanted.key != station.sending.key)
            station.retryAt = m_steady->msecs();
    } else {
        report(station.encoder.name, QStringLiteral("link") + failed);
    }
    sendEnded();
    armTimer();
}

void ScheduleRunner::sendEnded()
{
    if (m_log)
        m_log->flush();
    writeStatus();
    if (m_stopping)
        stop();
}

void ScheduleRunner::hold()
{
    if (!m_heldSince)
        m_heldSince = wallNow();
    report(QStringLiteral("all encoders"),
           QStringLiteral("held: what is on air stays until resume"));
    writeStatus();
}

void ScheduleRunner::resume(bool shift)
{
    const qint64 now = wallNow();
    if (shift && m_heldSince) {
        // The first change the hold kept back; the day's starts from it on move by the time
        // the hold lasted past it.
        qint64 first = ScheduleCalendar::Never;
        for (const auto &station : m_stations)
            first = qMin(first, m_calendar->nextChange(station->encoder.name, *m_heldSince));
        if (first < now) {
            m_shifts.append({first, now - first});
            m_calendar->addShift(first, now - first);
            report(QStringLiteral("all encoders"),
                   QStringLiteral("the day's starts from %1 on move by %2 s")
                       .arg(timeText(first).left(19))
                       .arg((now - first) / 1000.0, 0, 'f', 1));
        }
    }
    m_heldSince.reset();
    m_override.reset();
    report(QStringLiteral("all encoders"), QStringLiteral("resumed: back to the schedule"));
    wake();
    writeStatus();
}

void ScheduleRunner::override(const ScheduleEvent &event)
{
    m_override = event;
    m_override->kind = ScheduleEvent::Kind::Override;
    m_overrideSince = wallNow();
    report(event.encoders.isEmpty() ? QStringLiteral("all encoders")
                                    : event.encoders.join(QLatin1Char(' ')),
           m_override->title() + QStringLiteral(": on air until resume"));
    wake();
    writeStatus();
}

QStringList ScheduleRunner::statusLines() const
{
    QStringList lines;
    if (m_heldSince)
        lines << QStringLiteral("held since %1").arg(timeText(*m_heldSince).left(19));
    if (m_override)
        lines << QStringLiteral("%1 since %2")
                     .arg(m_override->title(), timeText(m_overrideSince).left(19));
    const QJsonArray encoders = status().value(QStringLiteral("encoders")).toArray();
    for (const QJsonValue &value : encoders) {
        const QJsonObject e = value.toObject();
        QString line = e.value(QStringLiteral("name")).toString() + QStringLiteral(": ");
        line +=
            e.contains(QStringLiteral("event"))
                ? QStringLiteral("%1 since %2 (%3)")
                      .arg(e.value(QStringLiteral("event")).toString(),
                           e.value(QStringLiteral("sent")).toString().left(19).replace('T', ' '),
                           e.value(QStringLiteral("result")).toString())
                : QStringLiteral("nothing on air");
        if (e.contains(QStringLiteral("next_event")))
            line +=
                QStringLiteral("; next %1 at %2")
                    .arg(e.value(QStringLiteral("next_event")).toString(),
                         e.value(QStringLiteral("next_at")).toString().left(19).replace('T', ' '));
        lines << line;
    }
    return lines;
}

QJsonObject ScheduleRunner::status() const
{
    const qint64 now = wallNow();
    const auto iso = [this](qint64 moment) {
        return QDateTime::fromMSecsSinceEpoch(moment, m_zone).toString(Qt::ISODateWithMs);
    };
    QJsonArray encoders;
    for (const auto &station : m_stations) {
        const Station &s = *station;
        QJsonObject e{{QStringLiteral("name"), s.encoder.name},
                      {QStringLiteral("device"), s.encoder.device}};
        // What the encoder took last; while nothing was taken yet, what is being sent.
        const bool taken = !s.onAir.none;
        const Planned &shown = taken ? s.onAir : s.sending;
        if (!shown.none) {
            e.insert(QStringLiteral("event"), shown.event.title());
            e.insert(QStringLiteral("program"), shown.event.program);
            e.insert(QStringLiteral("line"), shown.event.line);
            e.insert(QStringLiteral("sent"), iso(taken ? s.onAirAt : s.sentAt));
        }
        if (!s.result.isEmpty())
            e.insert(QStringLiteral("result"), s.result);
        const ScheduleCalendar::Change next = m_calendar->nextAfter(s.encoder.name, now);
        if (next.at != ScheduleCalendar::Never && next.onAir.event >= 0) {
            e.insert(QStringLiteral("next_at"), iso(next.at));
            e.insert(QStringLiteral("next_event"),
                     m_calendar->events().at(next.onAir.event).title());
        }
        encoders.append(e);
    }
    QJsonObject status{{QStringLiteral("encoders"), encoders}};
    status.insert(QStringLiteral("held_since"),
                  m_heldSince ? QJsonValue(iso(*m_heldSince)) : QJsonValue());
    status.insert(QStringLiteral("override"),
                  m_override ? QJsonValue(m_override->title()) : QJsonValue());
    return status;
}

void ScheduleRunner::writeStatus()
{
    if (m_statusPath.isEmpty())
        return;
    QString error;
    if (!WholeFile::write(m_statusPath, QJsonDocument(status()).toJson(), &error))
        report(
            QStringLiteral("all encoders"),
            QStringLiteral("the status file %1 could not be written: %2").arg(m_statusPath, error));
}
