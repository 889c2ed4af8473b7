#pragma once

#include "core/schedule/ScheduleEvent.h"

#include <QObject>
#include <QStringList>

class QFileSystemWatcher;
class QTimer;

// The schedule file of a running schedule: read and checked on reload(), and again whenever the
// file changes or another file takes its name (editors save that way), so that its folder is
// watched too. A schedule that is refused leaves the one in force as it is.
class ScheduleSource : public QObject
{
    Q_OBJECT
public:
    ScheduleSource(const QString &path, const QStringList &encoders, QObject *parent = nullptr);

    // Reads the file now; loaded() or refused() tells the outcome.
    void reload();
    QString path() const { return m_path; }

signals:
    void loaded(const QList<ScheduleEvent> &events);
    void refused(const QString &problem);

private:
    void fileTouched();

    QString m_path;
    QStringList m_encoders;
    QByteArray m_bytes; // of the schedule in force
    QFileSystemWatcher *m_watcher;
    QTimer *m_settle;
};
