#pragma once

#include <QWidget>

class QListView;
class TrafficLog;

// View > Traffic Log: a window of its own, not modal, that shows the traffic log as it grows.
// It follows the newest line while the list is scrolled to the end. Clear empties the log,
// Copy puts the selected lines (all lines when none is selected) on the clipboard and Save
// As writes every line to a text file.
class TrafficLogWindow : public QWidget
{
    Q_OBJECT
public:
    explicit TrafficLogWindow(TrafficLog *log, QWidget *parent = nullptr);

    QListView *lstTraffic() const;

public slots:
    void clearLog();
    void copyLog();
    void saveLogAs();

private:
    TrafficLog *m_log;
    QListView *m_list;
    bool m_following = true; // the list was scrolled to its end before the last new line
};
