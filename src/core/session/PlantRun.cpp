#include "core/session/PlantRun.h"

#include "core/session/LogFile.h"
#include "core/session/SendSession.h"

#include <QJsonObject>

PlantRun::PlantRun(const QList<Encoder> &encoders, int jobs, QObject *parent)
    : QObject(parent), m_encoders(encoders), m_sessions(size_t(encoders.size()), nullptr),
      m_jobs(qMax(1, jobs))
{
}

PlantRun::~PlantRun() = default; // the sessions are children

void PlantRun::setTrafficLog(LogFile *log, bool named)
{
    m_log = log;
    m_namedLog = named;
}

void PlantRun::start()
{
    if (m_encoders.isEmpty()) {
        emit finished();
        return;
    }
    while (m_running < m_jobs && m_next < m_encoders.size())
        startNext();
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
    if (m_log)
        m_log->flush(); // once per encoder: a log of many is not written line by line
    emit encoderFinished(index);
    if (m_next < m_encoders.size())
        startNext();
    else if (m_done == m_encoders.size())
        emit finished();
}

QList<int> PlantRun::failedEncoders() const
{
    QList<int> failed;
    for (size_t i = 0; i < m_sessions.size(); ++i) {
        if (!m_sessions[i] || m_sessions[i]->failure())
            failed << int(i);
    }
    return failed;
}

int PlantRun::exitStatus() const
{
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
        if (!s)
            continue;
        records.append(
            QJsonObject{{QStringLiteral("name"), s->name()},
                        {QStringLiteral("device"), s->device()},
                        {QStringLiteral("configuration"), m_encoders.at(int(i)).configuration},
                        {QStringLiteral("result"),
                         s->failure() ? QStringLiteral("failed") : QStringLiteral("ok")},
                        {QStringLiteral("exit_status"), s->exitStatus()},
                        {QStringLiteral("seconds"), qRound(s->seconds() * 1000) / 1000.0},
                        {QStringLiteral("commands_answered"), s->answered()},
                        {QStringLiteral("message"), s->message()}});
    }
    return records;
}
