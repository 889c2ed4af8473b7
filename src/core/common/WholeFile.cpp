#include "core/common/WholeFile.h"

#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// The new file's data, then its name: the name lives in the folder, so the folder is flushed
// as well, or a power cut right after the write could bring back the old file, or none. A
// folder that cannot be flushed leaves the written file in place, so it does not fail the write.
// This is done on POSIX systems only: Windows cannot open a folder for flushing, and there the
// rename is left to the file system's journal.
void flushFolderOf(const QString &path)
{
#ifdef Q_OS_UNIX
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
#else
    Q_UNUSED(path);
#endif
}

bool synced(QSaveFile &file)
{
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    Q_UNUSED(file);
    return true;
#endif
}

} // namespace

namespace WholeFile {

bool write(const QString &path, const QByteArray &bytes, QString *errorString)
{
    QSaveFile file(path);
    // Every step is checked on its own: the explicit flush reports the disk that filled up
    // under the last buffer, which commit() would pass over.
    const bool written = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() &&
                         file.flush() && synced(file) && file.commit();
    if (!written) {
        if (errorString) {
            *errorString = file.errorString();
            if (errorString->isEmpty() || file.error() == QFileDevice::NoError)
                *errorString = QStringLiteral("the file could not be written in full");
        }
        file.cancelWriting();
        return false;
    }
    flushFolderOf(path);
    return true;
}

} // namespace WholeFile
