#pragma once

#include <QObject>

class QMainWindow;
class Sequencer;
class TrafficLog;
class TrafficLogWindow;

// The main window's View > Traffic Log (Ctrl+L): records the sequencer's traffic from the
// window's start, whether or not the log window is open, so that the log can be opened after
// something went wrong; the menu entry shows the log window and brings it to the front.
class TrafficLogMenu : public QObject
{
    Q_OBJECT
public:
    TrafficLogMenu(const Sequencer *sequencer, QMainWindow *window);

    TrafficLog *log() const { return m_log; }
    TrafficLogWindow *logWindow() const { return m_window; } // nullptr until first shown

public slots:
    void showTrafficLog();

private:
    QMainWindow *m_mainWindow;
    TrafficLog *m_log;
    TrafficLogWindow *m_window = nullptr;
};
