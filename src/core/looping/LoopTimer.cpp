#include "core/looping/LoopTimer.h"

#include <QElapsedTimer>

QtLoopTimer::QtLoopTimer(QObject *parent, const QString &objectName) : m_timer(new QTimer(parent))
{
    m_timer->setObjectName(objectName);
    m_timer->setSingleShot(true);
    // A coarse timer may fire up to 5 % late; captions are paced to the millisecond.
    m_timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(m_timer, &QTimer::timeout, m_timer, [this] {
        if (timeout)
            timeout();
    });
}

QtLoopTimer::~QtLoopTimer()
{
    delete m_timer.data(); // unless its parent has already taken it along
}

void QtLoopTimer::start(int msec)
{
    m_timer->start(msec);
}

void QtLoopTimer::stop()
{
    m_timer->stop();
}

bool QtLoopTimer::isActive() const
{
    return m_timer->isActive();
}

qint64 SteadyLoopClock::msecs() const
{
    static QElapsedTimer since;
    if (!since.isValid())
        since.start();
    return since.elapsed();
}
