#include "core/schedule/ScheduleSource.h"

#include "core/schedule/ScheduleFile.h"

#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

ScheduleSource::ScheduleSource(const QString &path, const QStringList &encoders, QObject *parent)
    : QObject(parent), m_path(QFileInfo(path).absoluteFilePath()), m_encoders(encoders),
      m_watcher(new QFileSystemWatcher(this)), m_settle(new QTimer(this))
{
    // A save comes as several changes (truncate, write, rename): read once they have settled.
    m_settle->setSingleShot(true);
    m_settle->setInterval(200);
    connect(m_settle, &QTimer::timeout, this, &ScheduleSource::fileTouched);
    m_watcher->addPath(QFileInfo(m_path).absolutePath());
    m_watcher->addPath(m_path);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_settle, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_settle,
            qOverload<>(&QTimer::start));
}

void ScheduleSource::fileTouched()
{
    // A file put in its place is a new file to watch.
    if (!m_watcher->files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher->addPath(m_path);
    QFile file(m_path);
    if (file.open(QIODevice::ReadOnly) && file.readAll() == m_bytes)
        return; // another file of the folder changed, or the same text was saved again
    reload();
}

void ScheduleSource::reload()
{
    QFile file(m_path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const ScheduleFile::Result result =
        file.isOpen() ? ScheduleFile::parse(bytes, m_path, m_encoders)
                      : ScheduleFile::Result{{},
                                             m_path + QStringLiteral(": the schedule cannot be "
                                                                     "read (%1)")
                                                          .arg(file.errorString())};
    if (!result.problem.isEmpty()) {
        emit refused(result.problem);
        return;
    }
    m_bytes = bytes;
    emit loaded(result.events);
}
