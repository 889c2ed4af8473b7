// The caption loop file reader and parser on any bytes: the captions are the lines that do not
// begin with "//" (a "\//" line without its backslash), each cut to 32 characters, one empty
// caption when there is none; the settings stay in range; and CR LF, LF and CR line ends read
// alike.

#include "common/ReadTextFile.h"
#include "looping/CaptionLoopFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "property failed: %s\n", what);
        std::abort();
    }
}

// The caption count, the captions, the settings and the messages of one read and load.
QStringList readAndLoad(const QString &path, const QByteArray &bytes)
{
    QFile out(path);
    require(out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                out.write(bytes) == bytes.size(),
            "the input is written");
    out.close();
    CaptionLoopFile file;
    QStringList messages;
    require(file.load(ReadTextFile(path), [&messages](const QString &m) { messages << m; }),
            "a regular file loads");
    const CaptionLoopFile::Settings s = file.settings();
    require(s.lineDelay >= 1 && s.lineDelay <= 60 && s.loopDelay >= 1 && s.loopDelay <= 60 &&
                s.channel >= 1 && s.channel <= 4,
            "delays 1..60, channel 1..4");
    return QStringList{QString::number(file.lines().size())} + file.lines() +
           QStringList{QString::number(s.lineDelay), QString::number(s.loopDelay),
                       QString::number(s.channel)} +
           messages;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_caption_loop_file";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("loop.txt"));
    if (qint64(size) > MaxTextFileSize / 2)
        return 0; // with CR LF ends the file may be twice the input, still within the limit

    QByteArray lf(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList asIs = readAndLoad(path, lf);
    lf.replace("\r\n", "\n").replace('\r', '\n');
    QList<QByteArray> lines = lf.split('\n');
    if (lf.isEmpty() || lf.endsWith('\n'))
        lines.removeLast(); // a last line end adds no empty line, nor does an empty file
    QStringList captions;
    for (const QByteArray &line : std::as_const(lines)) {
        const QString text = QString::fromLatin1(line);
        if (!text.startsWith(QLatin1String("//")))
            captions << (text.startsWith(QLatin1String("\\//")) ? text.mid(1) : text).left(32);
    }
    if (captions.isEmpty())
        captions << QString();
    require(asIs.mid(0, captions.size() + 1) ==
                QStringList{QString::number(captions.size())} + captions,
            "the captions are the lines without //");
    QByteArray crlf = lf, cr = lf;
    require(readAndLoad(path, lf) == asIs, "LF ends read as the input's");
    require(readAndLoad(path, crlf.replace("\n", "\r\n")) == asIs, "CR LF ends read alike");
    require(readAndLoad(path, cr.replace('\n', '\r')) == asIs, "CR ends read alike");
    return 0;
}
