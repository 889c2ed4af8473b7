#pragma once

#include <QObject>
#include <functional>

class QTimer;
class QWidget;

// Runs a piece of work once, as soon as a widget has been painted for the first time: the work
// waits until the window is on the screen, yet is done before the operator can act on it. It
// runs at once when input comes to the program before that paint (a key or a click is handled
// only after it), and after a second at the latest, should the widget never be painted.
class AfterFirstPaint : public QObject
{
    Q_OBJECT
public:
    AfterFirstPaint(QWidget *painted, std::function<void()> work, QObject *parent = nullptr);
    ~AfterFirstPaint() override;

    bool isDone() const { return !m_work; }
    // Runs the work now if it has not run yet.
    void runNow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_work;
    QWidget *m_painted;
    QTimer *m_latest;
};
