#include "PlantOutput.h"

#include "Output.h"
#include "core/common/GlobalFunctions.h"
#include "core/session/LogFile.h"
#include "core/session/PlantRun.h"
#include "core/session/SendSession.h"

#include <QMap>
#include <QTimer>

PlantOutput::PlantOutput(PlantRun &run, bool single, bool progress, QObject *parent)
    : QObject(parent), m_run(run), m_single(single)
{
    for (int i = 0; i < run.encoderCount(); ++i)
        m_nameWidth = qMax(m_nameWidth, int(LogFile::plainText(run.encoder(i).name).size()));
    connect(&run, &PlantRun::encoderStarted, this, &PlantOutput::printStarted);
    connect(&run, &PlantRun::encoderFinished, this, &PlantOutput::printFinished);
    // A few redraws a second are enough to see the run move, and cost the terminal little.
    if (progress && !single) {
        m_progress = new QTimer(this);
        m_progress->setInterval(250);
        connect(m_progress, &QTimer::timeout, this, &PlantOutput::showProgress);
        m_progress->start();
        connect(&run, &PlantRun::finished, this, [this] {
            m_progress->stop();
            Output::setStatus(QString());
        });
    }
}

void PlantOutput::printStarted(int index)
{
    if (!m_single)
        return;
    const SendSession *session = m_run.session(index);
    const auto transcript = [](const QString &direction, const QString &text) {
        Output::line(Output::timeStamp() + direction +
                     Output::escaped(GlobalFunctions::toSingleByte(text)));
    };
    connect(session, &SendSession::commandSent, this,
            [=](const QString &text) { transcript(QStringLiteral(" > "), text); });
    connect(session, &SendSession::replyReceived, this,
            [=](const QString &text) { transcript(QStringLiteral(" < "), text); });
    Output::line(
        QStringLiteral("device %1 at %2").arg(session->device(), session->line().settingsText()));
}

void PlantOutput::printFinished(int index)
{
    const SendSession *session = m_run.session(index);
    if (!session->succeeded())
        ++m_failed;
    if (m_single) {
        if (session->failure())
            Output::error(session->name() + QStringLiteral(": ") + session->message());
        else
            Output::line(session->name() + QStringLiteral(": ") + session->message());
        return;
    }
    // "studio-a:  ok, 1.4 s, 11 of 11 commands answered", the outcome under those of the others.
    const QString name = LogFile::plainText(session->name()) + QLatin1Char(':');
    QString outcome;
    if (session->isCheck() || session->interrupted())
        outcome = session->message();
    else if (session->failure())
        outcome = QStringLiteral("failed (%1)")
                      .arg(session->detail().isEmpty()
                               ? session->reason()
                               : session->reason() + QStringLiteral(": ") + session->detail());
    else
        outcome = QStringLiteral("ok");
    QString line = name.leftJustified(m_nameWidth + 1) + QLatin1Char(' ') + outcome +
                   QStringLiteral(", %1 s").arg(session->seconds(), 0, 'f', 1);
    if (!session->isCheck() && !session->interrupted())
        line += QStringLiteral(", %1 of %2 commands answered")
                    .arg(session->answered())
                    .arg(session->commandCount());
    Output::line(line);
}

void PlantOutput::showProgress()
{
    Output::setStatus(
        QStringLiteral("%1 of %2 encoders done, %3 failed, %4 commands answered, %5 s")
            .arg(m_run.finishedCount())
            .arg(m_run.encoderCount())
            .arg(m_failed)
            .arg(m_run.commandsAnswered())
            .arg(m_run.seconds(), 0, 'f', 1));
}

void PlantOutput::printSummary()
{
    const QList<int> failed = m_run.failedEncoders();
    const bool check = m_run.encoderCount() > 0 && m_run.encoder(0).commands.isEmpty();
    Output::line(QStringLiteral("%1 of %2 encoders %3")
                     .arg(m_run.encoderCount() - failed.size())
                     .arg(m_run.encoderCount())
                     .arg(check ? QStringLiteral("answer") : QStringLiteral("programmed")));
    // Reasons in the order of their first encoder in the list.
    QStringList reasons;
    QMap<QString, QStringList> names;
    for (int index : failed) {
        const SendSession *session = m_run.session(index);
        const QString reason = session ? session->reason() : QStringLiteral("not started");
        if (!names.contains(reason))
            reasons << reason;
        names[reason] << m_run.encoder(index).name;
    }
    // A long group is folded at about a hundred columns, its names under one another.
    for (const QString &reason : std::as_const(reasons)) {
        const QStringList &group = names.value(reason);
        QString line = QStringLiteral("  %1 (%2):").arg(reason).arg(group.size());
        bool lineHasName = false;
        for (int i = 0; i < group.size(); ++i) {
            const QString name = LogFile::plainText(group[i]) +
                                 (i + 1 < group.size() ? QStringLiteral(",") : QString());
            if (lineHasName && line.size() + 1 + name.size() > 100) {
                Output::line(line);
                line = QStringLiteral("   ");
            }
            line += QLatin1Char(' ') + name;
            lineHasName = true;
        }
        Output::line(line);
    }
}
