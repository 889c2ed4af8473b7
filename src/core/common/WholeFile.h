#pragma once

#include <QByteArray>
#include <QString>

// Writes a file whole or not at all: the bytes go to a new file beside it, which takes the old
// one's name only once every byte is known to be on the disk. On any error (a full disk, a
// folder that cannot be written, a path that is a folder) the old file stays as it was and
// errorString says why.
//
// QSaveFile alone is not enough: on a full disk its commit() can miss the failed flush of its
// last buffer and rename an empty file over the old one, reporting success.
namespace WholeFile {

bool write(const QString &path, const QByteArray &bytes, QString *errorString = nullptr);

} // namespace WholeFile
