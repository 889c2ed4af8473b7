#pragma once

#include <QObject>
#include <QString>

class PlantRun;
class QTimer;

// What quillcast-send prints of a run. With a single encoder: its device and line, each text
// sent (>) and received (<) with a time stamp, and its outcome (a failure on standard error).
// With several: one line per encoder as it finishes, the names padded to the longest so that the
// outcomes line up, each failure told there once; then a summary that groups the failures by
// reason. On a terminal a progress line at the foot of standard error tells how far the run is.
class PlantOutput : public QObject
{
    Q_OBJECT
public:
    PlantOutput(PlantRun &run, bool single, bool progress, QObject *parent = nullptr);

    // "47 of 50 encoders programmed", then one line per reason: "  did not answer in time
    // (2): studio-a, studio-b".
    void printSummary();

private:
    void printStarted(int index);
    void printFinished(int index);
    void showProgress();

    PlantRun &m_run;
    bool m_single;
    int m_nameWidth = 0;
    int m_failed = 0;
    QTimer *m_progress = nullptr;
};
