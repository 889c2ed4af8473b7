#pragma once

#include <QWidget>

class QLabel;
class QTimer;

// The start-up window: the program's picture, borderless, for 3000 ms. Then it hides and
// says so with finished(); what comes next is the start-up's business.
class SplashScreen : public QWidget
{
    Q_OBJECT
public:
    explicit SplashScreen(QWidget *parent = nullptr);

    QTimer *timerSplash() const { return m_timer; }

    // The start-up picture at the given device pixel ratio, with the version painted in.
    static QPixmap splashPicture(qreal devicePixelRatio);

public slots:
    void finishSplash();

signals:
    void finished();

private:
    QLabel *imgSplashImage;
    QTimer *m_timer;
};
