#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// A caption loop file: the captions the loop sends and its three settings. The file is plain
// text; lines that begin with "//" are comments or the directives "//LINEDELAY=",
// "//LOOPDELAY=" and "//CCCHANNEL=" (keyword in any letter case), "\//" starts a caption that
// begins with "//", every other line is a caption cut to 32 characters.
class CaptionLoopFile
{
public:
    // The three settings; 0 means "not set" (no file has set it since the last reset).
    struct Settings
    {
        int lineDelay = 0; // seconds after each line, 1..60
        int loopDelay = 0; // seconds after the last line of a pass, 1..60
        int channel = 0;   // caption channel, 1..4
        bool operator==(const Settings &o) const
        {
            return lineDelay == o.lineDelay && loopDelay == o.loopDelay && channel == o.channel;
        }
    };
    using Tell = std::function<void(const QString &message)>;

    static constexpr int MaxCaptionLength = 32;

    // Reads what readTextFile returned (element 0 the path, then the lines). An empty element 0
    // (a file that could not be read) changes nothing and returns false. Otherwise the captions
    // are replaced whole and each directive sets its setting where it stands, so the last one
    // wins; a setting that no directive names keeps its value, and one still not set becomes 1
    // with a note. Every message (out-of-range values, notes) goes to tell in file order.
    bool load(const QStringList &textFile, const Tell &tell = {});

    // The captions, never empty once loaded: a file without captions gives one empty caption.
    QStringList lines() const { return m_lines; }
    Settings settings() const { return m_settings; }
    void setSettings(const Settings &settings) { m_settings = settings; }

    // true when min <= value <= max; otherwise value becomes the nearer bound and false.
    static bool clampToRange(int min, int max, int &value);
    // The value of a directive line, read from after its 12-character keyword.
    static int directiveValue(const QString &line);

    static const QString LineDelayMessage;
    static const QString LoopDelayMessage;
    static const QString ChannelMessage;
    static const QString LineDelayNote;
    static const QString LoopDelayNote;
    static const QString ChannelNote;
    // A file beyond the reader's size limit is refused with this message, naming the limit.
    static const QString TooLargeMessage;

private:
    QStringList m_lines;
    Settings m_settings;
};
