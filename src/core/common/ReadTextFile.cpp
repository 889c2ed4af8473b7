#include "core/common/ReadTextFile.h"

#include "core/common/GlobalFunctions.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QStringList Unreadable{QString()};

// CR LF, a lone LF and a lone CR each end a line, so that files written on any system read
// the same; a last line without a terminator is a line like any other, and a terminator at the
// very end does not add an empty line.
QStringList splitLines(const QString &text)
{
    QStringList lines;
    QString line;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines << line;
            line.clear();
            if (c == QLatin1Char('\r') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

} // namespace

QStringList readTextFile(const QString &path, TextFileError *error)
{
    const auto fail = [error](TextFileError why) {
        if (error)
            *error = why;
        return Unreadable;
    };
    if (error)
        *error = TextFileError::None;
    if (path.isEmpty())
        return Unreadable;

    // Only a regular file is opened: a pipe, a device such as /dev/zero or a folder that carries
    // a text file's name would keep the window (or quillcast-send) waiting for an end that never
    // comes. Such a name reads like a file that cannot be read: the caller keeps what it had, as
    // it does for a missing file.
    const QFileInfo info(path);
    if (!info.isFile())
        return fail(TextFileError::Unreadable);
    if (info.size() > MaxTextFileSize)
        return fail(TextFileError::TooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(TextFileError::Unreadable);
    // One byte more than the limit tells a file that grew after the check.
    const QByteArray bytes = file.read(MaxTextFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(TextFileError::Unreadable);
    if (bytes.size() > MaxTextFileSize)
        return fail(TextFileError::TooLarge);
    return QStringList{path} + splitLines(GlobalFunctions::fromSingleByte(bytes));
}
