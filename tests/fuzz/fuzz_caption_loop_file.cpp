// The caption loop file reader and parser: any bytes under a caption file's name give captions and
// three settings the loop can use. Each input is read as it is and with every line end made CR
// LF, LF and CR, and loaded onto settings that no file has set yet. Checked for every input:
// - the file reads, one line per line end (a last line without one counts too);
// - the same captions, settings and messages whatever the line ends;
// - the captions are the lines that do not begin with "//", in file order, a "\//" line without
//   its backslash, each at most 32 characters; a file without them gives one empty caption, so a
//   directive or a comment never becomes a caption;
// - line and loop delay 1..60 and channel 1..4;
// - messages only the parser's own: a range message for a directive line of its kind, at most
//   one per such line, then the notes, in the order line delay, loop delay, channel, each exactly
//   when no directive set that setting;
// - loading the same file again keeps the captions and settings and says only the range
//   messages again, without a note.

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
    if (condition)
        return;
    std::fprintf(stderr, "property failed: %s\n", what);
    std::abort();
}

struct Load
{
    QStringList lines;
    CaptionLoopFile::Settings settings;
    QStringList messages;
    bool operator==(const Load &o) const
    {
        return lines == o.lines && settings == o.settings && messages == o.messages;
    }
};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QStringList loadMessages(CaptionLoopFile &file, const QStringList &text)
{
    QStringList messages;
    require(file.load(text, [&messages](const QString &m) { messages << m; }),
            "a file that reads loads");
    return messages;
}

// Reads and loads the bytes; the file's line count must be the expected one.
Load readAndLoad(const QString &path, const QByteArray &bytes, int lineCount)
{
    require(writeFile(path, bytes), "the input is written");
    const QStringList text = ReadTextFile(path);
    require(text.value(0) == path, "a regular file reads");
    require(text.size() == lineCount + 1, "one line per line end");
    CaptionLoopFile file;
    Load result;
    result.messages = loadMessages(file, text);
    result.lines = file.lines();
    result.settings = file.settings();
    // Again onto what the first load left.
    const QStringList again = loadMessages(file, text);
    require(file.lines() == result.lines && file.settings() == result.settings,
            "a second load keeps captions and settings");
    QStringList rangeMessages = result.messages;
    rangeMessages.removeAll(CaptionLoopFile::LineDelayNote);
    rangeMessages.removeAll(CaptionLoopFile::LoopDelayNote);
    rangeMessages.removeAll(CaptionLoopFile::ChannelNote);
    require(again == rangeMessages, "a second load says the range messages only");
    return result;
}

bool startsWithKeyword(const QString &line, const char *keyword)
{
    return line.startsWith(QLatin1String(keyword), Qt::CaseInsensitive);
}

void requireParsed(const Load &load, const QStringList &fileLines)
{
    QStringList captions;
    int lineDelays = 0, loopDelays = 0, channels = 0;
    for (const QString &line : fileLines) {
        lineDelays += startsWithKeyword(line, "//LINEDELAY=");
        loopDelays += startsWithKeyword(line, "//LOOPDELAY=");
        channels += startsWithKeyword(line, "//CCCHANNEL=");
        if (line.startsWith(QLatin1String("//")))
            continue;
        const QString caption = line.startsWith(QLatin1String("\\//")) ? line.mid(1) : line;
        captions << caption.left(32);
    }
    if (captions.isEmpty())
        captions << QString();
    require(load.lines == captions, "the captions are the lines not beginning with //");
    for (const QString &caption : load.lines)
        require(caption.size() <= CaptionLoopFile::MaxCaptionLength, "a caption fits 32");

    const CaptionLoopFile::Settings &s = load.settings;
    require(s.lineDelay >= 1 && s.lineDelay <= 60, "line delay 1..60");
    require(s.loopDelay >= 1 && s.loopDelay <= 60, "loop delay 1..60");
    require(s.channel >= 1 && s.channel <= 4, "channel 1..4");

    QStringList notes;
    if (lineDelays == 0)
        notes << CaptionLoopFile::LineDelayNote;
    if (loopDelays == 0)
        notes << CaptionLoopFile::LoopDelayNote;
    if (channels == 0)
        notes << CaptionLoopFile::ChannelNote;
    require(load.messages.size() >= notes.size() &&
                load.messages.mid(load.messages.size() - notes.size()) == notes,
            "the notes close the messages, for the settings no directive set");
    const QStringList ranges = load.messages.mid(0, load.messages.size() - notes.size());
    require(ranges.count(CaptionLoopFile::LineDelayMessage) <= lineDelays &&
                ranges.count(CaptionLoopFile::LoopDelayMessage) <= loopDelays &&
                ranges.count(CaptionLoopFile::ChannelMessage) <= channels,
            "at most one range message per directive of its kind");
    require(ranges.count(CaptionLoopFile::LineDelayMessage) +
                    ranges.count(CaptionLoopFile::LoopDelayMessage) +
                    ranges.count(CaptionLoopFile::ChannelMessage) ==
                ranges.size(),
            "no message but the parser's own");
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

    const QByteArray raw(reinterpret_cast<const char *>(data), qsizetype(size));
    // The same lines with LF ends: CR LF and a lone CR each end a line.
    QByteArray lf = raw;
    lf.replace("\r\n", "\n").replace('\r', '\n');
    QList<QByteArray> parts = lf.split('\n');
    if (lf.isEmpty() || lf.endsWith('\n'))
        parts.removeLast(); // a last line end adds no empty line, nor does an empty file
    QStringList fileLines;
    for (const QByteArray &part : std::as_const(parts))
        fileLines << QString::fromLatin1(part);
    const int count = int(fileLines.size());

    const Load asIs = readAndLoad(path, raw, count);
    requireParsed(asIs, fileLines);
    require(readAndLoad(path, lf, count) == asIs, "LF ends read as the input's");
    QByteArray crlf = lf;
    require(readAndLoad(path, crlf.replace("\n", "\r\n"), count) == asIs,
            "CR LF ends read as the input's");
    QByteArray cr = lf;
    require(readAndLoad(path, cr.replace('\n', '\r'), count) == asIs,
            "CR ends read as the input's");
    return 0;
}
