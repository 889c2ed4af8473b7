#include "ui/DeferredIconEngine.h"

DeferredIconEngine::DeferredIconEngine(std::function<QIcon()> make) : m_make(std::move(make)) {}

void DeferredIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode,
                               QIcon::State state)
{
    icon().paint(painter, rect, Qt::AlignCenter, mode, state);
}

QSize DeferredIconEngine::actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return icon().actualSize(size, mode, state);
}

QPixmap DeferredIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return icon().pixmap(size, 1.0, mode, state);
}

QPixmap DeferredIconEngine::scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state,
                                         qreal scale)
{
    // Asked for in device pixels; the icon takes the size in logical ones.
    return icon().pixmap(size / scale, scale, mode, state);
}

QList<QSize> DeferredIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state)
{
    return icon().availableSizes(mode, state);
}

bool DeferredIconEngine::isNull()
{
    // A button asks this when it is built; the answer must not make the icon.
    return m_made && m_icon.isNull();
}

QString DeferredIconEngine::key() const
{
    return QStringLiteral("DeferredIconEngine");
}

QIconEngine *DeferredIconEngine::clone() const
{
    return new DeferredIconEngine(*this);
}

const QIcon &DeferredIconEngine::icon()
{
    if (!m_made) {
        m_icon = m_make();
        m_made = true;
    }
    return m_icon;
}
