#include "ui/SplashScreen.h"

#include "core/common/AppInfo.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QTimer>

SplashScreen::SplashScreen(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(AppInfo::ApplicationTitle);
    setAttribute(Qt::WA_QuitOnClose, false);

    QScreen *screen = QGuiApplication::primaryScreen();
    const QPixmap picture = splashPicture(screen ? screen->devicePixelRatio() : 1.0);
    imgSplashImage = new QLabel(this);
    imgSplashImage->setObjectName(QStringLiteral("imgSplashImage"));
    imgSplashImage->setAccessibleName(AppInfo::ApplicationTitle);
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
    connect(m_timer, &QTimer::timeout, this, &SplashScreen::finishSplash);
    m_timer->start();
}

QPixmap SplashScreen::splashPicture(qreal devicePixelRatio)
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
                     QStringLiteral("Version ") + AppInfo::versionText());
    painter.end();
    return pixmap;
}

void SplashScreen::finishSplash()
{
    m_timer->stop();
    hide();
    emit finished();
}
