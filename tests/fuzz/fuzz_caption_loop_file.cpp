// The caption loop file reader and parser on any bytes: the settings stay in range, and the
// captions are the lines that do not begin with "//" (a "\//" line without its backslash), each
// cut to 32 characters, one empty caption when there is none.

#include "common/ReadTextFile.h"
#include "looping/CaptionLoopFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_caption_loop_file";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("loop.txt"));
    if (qint64(size) > MaxTextFileSize)
        return 0;
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
        std::abort();
    out.close();
    CaptionLoopFile file;
    const bool loaded = file.load(ReadTextFile(path), [](const QString &) {});
    const CaptionLoopFile::Settings s = file.settings();
    bytes.replace("\r\n", "\n").replace('\r', '\n');
    QList<QByteArray> lines = bytes.split('\n');
    if (bytes.isEmpty() || bytes.endsWith('\n'))
        lines.removeLast(); // a last line end adds no empty line, nor does an empty file
    QStringList captions;
    for (const QByteArray &line : std::as_const(lines)) {
        const QString text = QString::fromLatin1(line);
        if (!text.startsWith(QLatin1String("//")))
            captions << (text.startsWith(QLatin1String("\\//")) ? text.mid(1) : text).left(32);
    }
    if (captions.isEmpty())
        captions << QString();
    if (!loaded || s.lineDelay < 1 || s.lineDelay > 60 || s.loopDelay < 1 || s.loopDelay > 60 ||
        s.channel < 1 || s.channel > 4 || file.lines() != captions) {
        std::fprintf(stderr, "property failed: settings in range, captions the lines without //\n");
        std::abort();
    }
    return 0;
}
