// The caption loop file reader and parser on any bytes: the file loads, its settings stay in
// range, and it gives at least one caption and at most one a line, none longer than 32
// characters.

#include "GoldenFiles.h"
#include "core/common/ReadTextFile.h"
#include "core/looping/CaptionLoopFile.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
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
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!writeFile(path, bytes))
        std::abort();
    CaptionLoopFile file;
    const bool loaded = file.load(readTextFile(path), [](const QString &) {});
    const CaptionLoopFile::Settings s = file.settings();
    const QStringList captions = file.lines();
    const qsizetype lineEnds = bytes.count('\n') + bytes.count('\r');
    if (!loaded || s.lineDelay < 1 || s.lineDelay > 60 || s.loopDelay < 1 || s.loopDelay > 60 ||
        s.channel < 1 || s.channel > 4 || captions.isEmpty() ||
        captions.size() > qMax<qsizetype>(1, lineEnds + 1) ||
        std::any_of(captions.begin(), captions.end(),
                    [](const QString &caption) { return caption.size() > 32; })) {
        std::fprintf(stderr, "property failed: settings in range, 1 to a line's captions of at "
                             "most 32 characters\n");
        std::abort();
    }
    return 0;
}
