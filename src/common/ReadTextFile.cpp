#include "common/ReadTextFile.h"

#include "common/DialogService.h"
#include "common/GlobalFunctions.h"

#include <QFile>

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

QStringList ReadTextFile(const QString &path, QWidget *dialogParent, QString *chosenPath)
{
    QString filePath = path;
    if (filePath.isEmpty()) {
        // No starting folder of its own: the dialog opens where the system last left it.
        filePath = DialogService::instance().openFileName(
            dialogParent, QStringLiteral("Open File"), QString(),
            QStringLiteral("Text Files (.txt)|*.txt"));
        if (chosenPath)
            *chosenPath = filePath;
    }
    if (filePath.isEmpty())
        return Unreadable;

    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return Unreadable;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Unreadable;
    return QStringList{filePath} + splitLines(GlobalFunctions::FromSingleByte(bytes));
}
