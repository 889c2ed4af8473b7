#include "core/looping/CaptionLoopScheduler.h"

#include "core/common/GlobalFunctions.h"
#include "core/looping/CaptionLoopLink.h"
#include "core/looping/LoopTimer.h"

#include <algorithm>

CaptionLoopScheduler::CaptionLoopScheduler(LoopTimer *timer, const LoopClock *clock,
                                           CaptionLoopLink *link, QObject *parent)
    : QObject(parent), m_timer(timer), m_clock(clock), m_link(link)
{
    m_timer->timeout = [this] { tick(); };
}

CaptionLoopScheduler::~CaptionLoopScheduler()
{
    m_timer->stop();
    m_timer->timeout = nullptr;
}

CtrlACommand CaptionLoopScheduler::lineCommand(const QString &line, int channel)
{
    return CtrlACommand(QStringLiteral("2"), QStringLiteral("C") + QString::number(channel), line,
                        true, true);
}

void CaptionLoopScheduler::start(const QStringList &lines,
                                 const CaptionLoopFile::Settings &settings, int secondsLeft)
{
    m_lines = lines.isEmpty() ? QStringList{QString()} : lines;
    // Never a delay of 0 or a channel outside 1..4, whatever the caller passes.
    m_settings = settings;
    CaptionLoopFile::clampToRange(1, 60, m_settings.lineDelay);
    CaptionLoopFile::clampToRange(1, 60, m_settings.loopDelay);
    if (m_settings.channel < 1 || m_settings.channel > 4)
        m_settings.channel = 1;
    m_secondsLeft = secondsLeft;
    m_lineIndex = 0;
    m_interval = 1;
    m_due = m_clock->msecs() + m_interval;
    m_timer->start(m_interval);
}

void CaptionLoopScheduler::stop()
{
    m_timer->stop();
}

bool CaptionLoopScheduler::isRunning() const
{
    return m_timer->isActive();
}

void CaptionLoopScheduler::tick()
{
    if (!m_link->portIsOpen()) {
        m_timer->stop();
        emit connectionLost();
        return;
    }
    const QString line = m_lines.value(m_lineIndex);
    m_link->addCommand(lineCommand(line, m_settings.channel));
    emit lineQueued(line);

    ++m_lineIndex;
    int interval = m_settings.lineDelay * 1000;
    if (m_lineIndex >= m_lines.size()) {
        interval = m_settings.loopDelay * 1000; // the loop delay alone ends a pass
        m_lineIndex = 0;
    }
    // A transaction starts only when no reply is awaited: a queue of one command is not proof
    // of an idle link, since a long reply (the article list) may be on its way with the queue
    // empty, and a new transaction would put its long time-out back to the short one. A line
    // that waits behind a reply goes out with the sequencer's next step.
    const bool idle = m_link->queueCount() == 1;
    const bool inFlight = m_link->transactionInFlight();
    if (!inFlight)
        m_link->startTransaction();
    if ((inFlight || !idle) && interval < BusyIntervalMs)
        interval = BusyIntervalMs; // the encoder is behind: let the queue drain
    m_interval = interval;
    scheduleNext(interval);
}

void CaptionLoopScheduler::scheduleNext(int interval)
{
    // The next tick is due one interval after this one was due. After a stall longer than
    // that (a modal box, a busy machine) the schedule starts afresh from now instead of
    // sending the missed lines in a burst.
    const qint64 now = m_clock->msecs();
    m_due += interval;
    if (m_due <= now)
        m_due = now + interval;
    m_timer->start(static_cast<int>(m_due - now));
}

void CaptionLoopScheduler::secondTick()
{
    if (!isRunning() || m_secondsLeft == Continuous)
        return;
    --m_secondsLeft;
    emit timeLeftChanged(GlobalFunctions::secondsToClockText(m_secondsLeft));
    if (m_secondsLeft <= 0) {
        m_timer->stop();
        emit completed();
    }
}
