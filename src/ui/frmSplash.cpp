#include "ui/frmSplash.h"

#include "common/GlobalVars.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QTimer>

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(GlobalVars::ApplicationTitle);
    setAttribute(Qt::WA_QuitOnClose, false);

    QScreen *screen = QGuiApplication::primaryScreen();
    const QPixmap picture = SplashPicture(screen ? screen->devicePixelRatio() : 1.0);
    imgSplashImage = new QLabel(this);
    imgSplashImage->setObjectName(QStringLiteral("imgSplashImage"));
    imgSplashImage->setAccessibleName(GlobalVars::ApplicationTitle);
    imgSplashImage->setPixmap(picture);
    imgSplashImage->move(0, 0);
    const QSize size = picture.deviceIndependentSize().toSize();
    imgSplashImage->resize(size);
    setFixedSize(size);
    if (screen)
        move(screen->availableGeometry().center() - rect().center());

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("timerSplash"));
    m_timer->setInterval(3000);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &frmSplash::timerSplash_Timer);
    m_timer->start();
}

QPixmap frmSplash::SplashPicture(qreal devicePixelRatio)
{
    // Drawn at the screen's own scale, so it is sharp on high-density screens too.
    QSvgRenderer renderer(QStringLiteral(":/quillcast/splash.svg"));
    const QSize size = renderer.defaultSize();
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), size));
    QFont font = painter.font();
    font.setPixelSize(13);
    painter.setFont(font);
    painter.setPen(QColor(0xcf, 0xe3, 0xf7));
    painter.drawText(QRectF(200, 200, 252, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Version ") + GlobalVars::VersionText());
    painter.end();
    return pixmap;
}

void frmSplash::timerSplash_Timer()
{
    m_timer->stop();
    hide();
    emit finished();
}
