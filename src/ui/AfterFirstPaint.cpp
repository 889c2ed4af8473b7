#include "ui/AfterFirstPaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int LatestMs = 1000;

bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

} // namespace

AfterFirstPaint::AfterFirstPaint(QWidget *painted, std::function<void()> work, QObject *parent)
    : QObject(parent), m_work(std::move(work)), m_painted(painted), m_latest(new QTimer(this))
{
    m_latest->setSingleShot(true);
    connect(m_latest, &QTimer::timeout, this, &AfterFirstPaint::runNow);
    m_latest->start(LatestMs);
    // One filter on the application sees both the widget's paint and every input.
    QCoreApplication::instance()->installEventFilter(this);
}

AfterFirstPaint::~AfterFirstPaint()
{
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void AfterFirstPaint::runNow()
{
    if (!m_work)
        return;
    // Taken first: the work may process events, and must not start again from them.
    const std::function<void()> work = std::move(m_work);
    m_work = nullptr;
    m_latest->stop();
    QCoreApplication::instance()->removeEventFilter(this);
    work();
}

bool AfterFirstPaint::eventFilter(QObject *watched, QEvent *event)
{
    if (m_work) {
        if (watched == m_painted && event->type() == QEvent::Paint) {
            // The paint is under way: the window reaches the screen once the event loop is back
            // from it.
            QTimer::singleShot(0, this, &AfterFirstPaint::runNow);
        } else if (isInput(event->type())) {
            runNow();
        }
    }
    return false;
}
