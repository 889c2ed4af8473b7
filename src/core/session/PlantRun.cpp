#include "core/session/PlantRun.h"

#include "core/session/LogFile.h"
#include "core/session/SendSession.h"

#include <QJsonObject>
#include <QTimer>

#include <sys/resource.h>

PlantRun::PlantRun(const QList<Encoder> &encoders, int jobs, QObject *parent)
    : QObject(parent), m_encoders(encoders), m_sessions(size_t(encoders.size()), nullptr),
      m_finished(size_t(encoders.size()), false), m_jobs(qMax(1, jobs))
{
}

PlantRun::~PlantRun() = default; // the sessions are children

int PlantRun::defaultJobs()
{
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 64;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    // Half of what is left after the program's own, for the descriptors the serial and network
    // layers may open besides the device itself.
    const rlim_t usable = limit.rlim_cur > 64 ? (limit.rlim_cur - 64) / 2 : 1;
    return int(qBound<rlim_t>(1, usable, 100000));
}

void PlantRun::setTrafficLog(LogFile *log, bool named)
{
    m_log = log;
    m_namedLog = named;
    // A log of many is not written line by line, but no line waits longer than a second.
    if (!m_logFlush) {
        m_logFlush = new QTimer(this);
        m_logFlush->setInterval(1000);
        connect(m_logFlush, &QTimer::timeout, this, [this] { m_log->flush(); });
    }
}

void PlantRun::start()
{
    m_clock.start();
    if (m_logFlush)
        m_logFlush->start();
    if (m_encoders.isEmpty()) {
        m_over = true;
        emit finished();
        return;
    }
    startBatch();
}

void PlantRun::startBatch()
{
    // Opening a port costs about a third of a millisecond: a few dozen at a time, each batch in
    // an event-loop pass of its own, so that a plant of hundreds never holds up the loop's
    // other work (a window's clock, the replies of the encoders already open).
    constexpr int batch = 32;
    for (int started = 0;
         started < batch && !isInterrupted() && m_running < m_jobs && m_next < m_encoders.size();
         ++started)
        startNext();
    if (!isInterrupted() && m_running < m_jobs && m_next < m_encoders.size())
        QTimer::singleShot(0, this, &PlantRun::startBatch);
}

void PlantRun::interrupt(int exitStatus)
{
    if (m_over || isInterrupted())
        return;
    m_interruptStatus = exitStatus;
    if (m_running == 0) { // between two encoders: nothing to wait for
        m_over = true;
        QTimer::singleShot(0, this, &PlantRun::finished);
        return;
    }
    for (size_t i = 0; i < m_sessions.size(); ++i) {
        if (m_sessions[i] && !m_finished[i])
            m_sessions[i]->stop();
    }
}

void PlantRun::startNext()
{
    const int index = m_next++;
    const Encoder &encoder = m_encoders.at(index);
    auto *session =
        new SendSession(encoder.name, encoder.device, encoder.line, encoder.commands, this);
    m_sessions[size_t(index)] = session;
    if (m_log)
        session->setTrafficLog(m_log, m_namedLog ? encoder.name + QStringLiteral(": ") : QString());
    connect(session, &SendSession::finished, this, [this, index] { sessionFinished(index); });
    ++m_running;
    emit encoderStarted(index);
    session->start();
}

void PlantRun::sessionFinished(int index)
{
    --m_running;
    ++m_done;
    m_finished[size_t(index)] = true;
    emit encoderFinished(index);
    if (!isInterrupted() && m_next < m_encoders.size()) {
        startNext();
    } else if (m_running == 0) {
        m_over = true;
        if (m_logFlush)
            m_logFlush->stop();
        if (m_log)
            m_log->flush();
        emit finished();
    }
}

QList<int> PlantRun::failedEncoders() const
{
    QList<int> failed;
    for (size_t i = 0; i < m_sessions.size(); ++i) {
        if (!m_sessions[i] || !m_sessions[i]->succeeded())
            failed << int(i);
    }
    return failed;
}

int PlantRun::commandsAnswered() const
{
    int answered = 0;
    for (const SendSession *session : m_sessions)
        answered += session ? session->answered() : 0;
    return answered;
}

int PlantRun::exitStatus() const
{
    if (isInterrupted())
        return m_interruptStatus;
    const QList<int> failed = failedEncoders();
    if (failed.isEmpty())
        return 0;
    const SendSession *first = m_sessions[size_t(failed.first())];
    return first ? first->exitStatus() : 4; // never started: cannot happen once finished
}

QJsonArray PlantRun::report() const
{
    QJsonArray records;
    for (size_t i = 0; i < m_sessions.size(); ++i) {
        const SendSession *s = m_sessions[i];
        const Encoder &encoder = m_encoders.at(int(i));
        if (!s && m_over) {
            records.append(QJsonObject{{QStringLiteral("name"), encoder.name},
                                       {QStringLiteral("device"), encoder.device},
                                       {QStringLiteral("configuration"), encoder.configuration},
                                       {QStringLiteral("result"), QStringLiteral("not started")},
                                       {QStringLiteral("exit_status"), m_interruptStatus},
                                       {QStringLiteral("seconds"), 0},
                                       {QStringLiteral("commands_answered"), 0},
                                       {QStringLiteral("message"), QStringLiteral("not started")}});
        }
        if (!s || !m_finished[i])
            continue;
        const QString result = s->interrupted() ? QStringLiteral("interrupted")
                               : s->failure()   ? QStringLiteral("failed")
                                                : QStringLiteral("ok");
        records.append(QJsonObject{
            {QStringLiteral("name"), s->name()},
            {QStringLiteral("device"), s->device()},
            {QStringLiteral("configuration"), encoder.configuration},
            {QStringLiteral("result"), result},
            {QStringLiteral("exit_status"), s->interrupted() ? m_interruptStatus : s->exitStatus()},
            {QStringLiteral("seconds"), qRound(s->seconds() * 1000) / 1000.0},
            {QStringLiteral("commands_answered"), s->answered()},
            {QStringLiteral("message"), s->message()}});
    }
    return records;
}
