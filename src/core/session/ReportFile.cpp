#include "core/session/ReportFile.h"

#include "core/common/WholeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace ReportFile {

QString placeProblem(const QString &path)
{
    if (path == QLatin1String("-"))
        return QString();
    struct stat s = {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &s) == 0) {
        // The report takes the file's name by a rename: a device, a FIFO or a folder would be
        // replaced by it, or the rename would fail only once the plant has been sent to.
        if (!S_ISREG(s.st_mode))
            return S_ISDIR(s.st_mode) ? QStringLiteral("is a folder")
                                      : QStringLiteral("is not a regular file");
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("the folder %1 does not exist").arg(folder);
    if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("the folder %1 cannot be written (%2)")
            .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
    return QString();
}

bool write(const QString &path, const QJsonArray &records, QString *errorString)
{
    const QByteArray bytes = QJsonDocument(records).toJson();
    if (path != QLatin1String("-"))
        return WholeFile::write(path, bytes, errorString);
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size()) &&
        std::fflush(stdout) == 0)
        return true;
    *errorString = QString::fromLocal8Bit(std::strerror(errno ? errno : EIO));
    return false;
}

} // namespace ReportFile
