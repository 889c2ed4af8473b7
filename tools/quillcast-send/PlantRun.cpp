#include "PlantRun.h"

#include "LogFile.h"
#include "Output.h"
#include "SendSession.h"

#include <QJsonObject>

PlantRun::PlantRun(const QList<Encoder> &encoders, int jobs, bool single, LogFile *log,
                   QObject *parent)
    : QObject(parent), m_encoders(encoders), m_sessions(size_t(encoders.size()), nullptr),
      m_jobs(qMax(1, jobs)), m_single(single), m_log(log)
{
}

PlantRun::~PlantRun() = default; // the sessions are children

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
    session->setTranscript(m_single);
    if (m_log)
        session->setTrafficLog(m_log, m_single ? QString() : encoder.name + QStringLiteral(": "));
    connect(session, &SendSession::finished, this, [this, index] { sessionFinished(index); });
    ++m_running;
    session->start();
}

void PlantRun::sessionFinished(int index)
{
    SendSession *session = m_sessions[size_t(index)];
    --m_running;
    ++m_done;
    const bool ok = session->outcome() == SendSession::Outcome::Answered;
    if (m_single) {
        if (ok)
            Output::line(session->name() + QStringLiteral(": ") + session->message());
    } else {
        Output::line(
            QStringLiteral("%1: %2, %3 s, %4 of %5 commands answered")
                .arg(
                    session->name(),
                    ok ? QStringLiteral("ok")
                       : QStringLiteral("failed (%1)").arg(SendSession::reason(session->outcome())))
                .arg(session->seconds(), 0, 'f', 1)
                .arg(session->answered())
                .arg(session->commandCount()));
    }
    if (!ok)
        Output::error(session->name() + QStringLiteral(": ") + session->message());
    if (m_log && !m_single)
        m_log->flush(); // once per encoder, not once per line

    if (m_next < m_encoders.size()) {
        startNext();
        return;
    }
    if (m_done < m_encoders.size())
        return;
    if (!m_single) {
        QStringList failed;
        for (const SendSession *s : m_sessions) {
            if (s->outcome() != SendSession::Outcome::Answered)
                failed << QStringLiteral("%1 (%2)").arg(s->name(),
                                                        SendSession::reason(s->outcome()));
        }
        QString summary = QStringLiteral("%1 of %2 encoders programmed")
                              .arg(m_encoders.size() - failed.size())
                              .arg(m_encoders.size());
        if (!failed.isEmpty())
            summary += QStringLiteral("; failed: ") + failed.join(QStringLiteral(", "));
        Output::line(summary);
    }
    emit finished();
}

int PlantRun::exitStatus() const
{
    for (const SendSession *s : m_sessions) {
        if (!s)
            return 4; // never started: cannot happen once finished() was sent
        if (s->outcome() != SendSession::Outcome::Answered)
            return SendSession::exitStatus(s->outcome());
    }
    return 0;
}

QJsonArray PlantRun::report() const
{
    QJsonArray records;
    for (size_t i = 0; i < m_sessions.size(); ++i) {
        const SendSession *s = m_sessions[i];
        if (!s)
            continue;
        const bool ok = s->outcome() == SendSession::Outcome::Answered;
        records.append(QJsonObject{
            {QStringLiteral("name"), s->name()},
            {QStringLiteral("device"), s->device()},
            {QStringLiteral("configuration"), m_encoders.at(int(i)).configuration},
            {QStringLiteral("result"), ok ? QStringLiteral("ok") : QStringLiteral("failed")},
            {QStringLiteral("exit_status"), SendSession::exitStatus(s->outcome())},
            {QStringLiteral("seconds"), qRound(s->seconds() * 1000) / 1000.0},
            {QStringLiteral("commands_answered"), s->answered()},
            {QStringLiteral("message"), s->message()}});
    }
    return records;
}
