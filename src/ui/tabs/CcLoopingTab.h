#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// The "CC Looping" page: the caption loop file with its settings, the looping time and the
// Start / Stop buttons. The loop itself drives these controls from elsewhere.
class CcLoopingTab : public QWidget
{
    Q_OBJECT
public:
    explicit CcLoopingTab(QWidget *parent = nullptr);

    QCheckBox *infiniteTime() const { return m_infinite; }
    QList<QComboBox *> loopingTime() const { return m_time; }
    QPushButton *startButton() const { return m_start; }
    QPushButton *stopButton() const { return m_stop; }

    // "Continuous Loop" holds only when checked, never when greyed.
    bool isContinuous() const;
    // The time lists are open exactly while "Continuous Loop" does not hold.
    void applyContinuousLoopRule();
    // The file, its settings and the loop buttons as after a reset; a running loop is stopped.
    void resetLoopState();

private:
    QCheckBox *m_infinite;
    QList<QComboBox *> m_time; // hours, minutes, seconds
    QPushButton *m_start;
    QPushButton *m_stop;
    QList<QLabel *> m_fileLabels; // path, name
    QList<QLabel *> m_settings;   // line delay, loop delay, channel
    QLabel *m_timeLeft;
};
