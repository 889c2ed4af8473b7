#pragma once

#include "core/looping/CaptionLoopFile.h"
#include "core/looping/LoopTimer.h"
#include "core/session/SequencerLoopLink.h"
#include "ui/DialogService.h"

#include <QObject>
#include <QString>
#include <QStringList>

class CaptionLoopScheduler;
class MainWindowParts;
class QLabel;
class QWidget;

// The CC Looping tab's behaviour: choosing, viewing and reloading the caption loop file, and
// Start / Stop of the loop with its countdown. The file is read by CaptionLoopFile and sent by
// CaptionLoopScheduler; this class moves their results into the tab's labels and buttons and
// shows their messages.
class CcLoopingController : public QObject
{
    Q_OBJECT
public:
    explicit CcLoopingController(MainWindowParts *window);
    ~CcLoopingController() override;

    // Shows the file's folder and name and reads it; an empty path does nothing.
    void selectCCLoopingFile(const QString &path);
    // Takes what readTextFile returned; an unreadable file (empty element 0) changes nothing.
    void loadCCLoopingFile(const QStringList &textFile);
    static bool clampToRange(int min, int max, int &value);

    // The captions of the last file read; empty before any file was read.
    QStringList ccLoopLines() const { return m_file.lines(); }
    CaptionLoopScheduler *scheduler() const { return m_scheduler; }

public slots:
    void browseLoopFile();
    void viewLoopFile();
    void reloadLoopFile();
    // 0 Start, 1 Stop.
    void controlLoop(int index);
    // The countdown, on the window's one-second tick.
    void secondTick();

private:
    void start();
    void runLoop(int seconds);
    void stop();
    void pressStop();
    QStringList readFile(const QString &path);
    void tell(const QString &text, DialogService::Icon icon);
    QString selectedPath() const;
    QLabel *label(const char *name) const;
    template <typename T = QWidget> T *control(const char *name) const;

    MainWindowParts *m_window;
    QtLoopTimer m_timer;
    SteadyLoopClock m_clock;
    SequencerLoopLink m_link;
    CaptionLoopFile m_file;
    QString m_loadedPath; // the file m_file was last read from
    // Started while the port opens: the loop's seconds (or Continuous), 0 when not waiting.
    int m_secondsAfterOpen = 0;
    CaptionLoopScheduler *m_scheduler;
};
