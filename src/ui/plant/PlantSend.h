#pragma once

#include <QList>
#include <QObject>
#include <QString>

class PlantRun;
class PlantTableModel;
class QWidget;

// The sends and checks of the plant window: rows of the table handed to one plant run, their
// configurations read and built once each before anything is sent, as quillcast-send does; the
// table follows the run. The last run is kept for its report until the next one or until the
// rows change.
class PlantSend : public QObject
{
    Q_OBJECT
public:
    PlantSend(PlantTableModel *model, QWidget *window);

    // Sends to the rows (a check: asks them only to identify themselves). False when nothing
    // was started: a run under way, no rows, or an entry whose configuration does not read
    // (said in a message box, named as in the list at listPath).
    bool start(const QList<int> &rows, bool check, const QString &listPath);
    // Starts no further encoder; the commands in flight finish.
    void stop();
    bool isRunning() const { return m_underWay; }
    // The last run only asked its encoders to identify themselves.
    bool isCheck() const { return m_check; }
    bool isStopping() const;
    // The last run, null when none is kept.
    const PlantRun *run() const { return m_run; }
    // The rows have changed: the last run is no longer theirs.
    void forget();
    // Writes the last run's report as quillcast-send --report does; false when it could not
    // (said in a message box).
    bool saveReport(const QString &path);

signals:
    void started();
    void finished();

private:
    PlantTableModel *m_model;
    QWidget *m_window;
    PlantRun *m_run = nullptr;
    QList<int> m_rows; // the table rows of the run's encoders, in run order
    bool m_underWay = false;
    bool m_check = false;
};
