#include "core/looping/CaptionLoopFile.h"

#include "core/common/GlobalFunctions.h"
#include "core/common/ReadTextFile.h"

#include <limits>

const QString CaptionLoopFile::LineDelayMessage = QStringLiteral(
    "The minimum and maximum delay after each line for CC Looping is 1 and 60 seconds.");
const QString CaptionLoopFile::LoopDelayMessage = QStringLiteral(
    "The minimum and maximum delay after each loop for CC Looping is 1 and 60 seconds.");
const QString CaptionLoopFile::ChannelMessage =
    QStringLiteral("The Closed Caption Channel must be a number from 1 to 4.");
const QString CaptionLoopFile::LineDelayNote = QStringLiteral(
    "Note: The value for the Line Delay is not set within the file. Defaulting to 1.");
const QString CaptionLoopFile::LoopDelayNote = QStringLiteral(
    "Note: The value for the Loop Delay is not set within the file. Defaulting to 1.");
const QString CaptionLoopFile::ChannelNote =
    QStringLiteral("Note: The value for the Closed Caption Channel is not set within the  file. "
                   "Defaulting to 1.");
const QString CaptionLoopFile::TooLargeMessage =
    QStringLiteral("The caption file is too large.  A caption loop file may hold at most ") +
    QLatin1String(MaxTextFileSizeText) + QStringLiteral(".");

namespace {

const QString kLineDelay = QStringLiteral("//LINEDELAY=");
const QString kLoopDelay = QStringLiteral("//LOOPDELAY=");
const QString kChannel = QStringLiteral("//CCCHANNEL=");

} // namespace

bool CaptionLoopFile::clampToRange(int min, int max, int &value)
{
    if (value >= min && value <= max)
        return true;
    value = value < min ? min : max;
    return false;
}

int CaptionLoopFile::directiveValue(const QString &line)
{
    // Values are held as 16-bit numbers; one beyond that range is out of range like any other,
    // so it stands for a value below or above every allowed one.
    qint16 value = 0;
    if (GlobalFunctions::leadingInt16(line.mid(kLineDelay.size()), &value))
        return value;
    return GlobalFunctions::leadingNumber(line.mid(kLineDelay.size())) < 0
               ? std::numeric_limits<int>::min()
               : std::numeric_limits<int>::max();
}

bool CaptionLoopFile::load(const QStringList &textFile, const Tell &tell)
{
    if (textFile.isEmpty() || textFile.first().isEmpty())
        return false;
    const auto say = [&tell](const QString &message) {
        if (tell)
            tell(message);
    };
    const auto delay = [&](const QString &line, int &setting, const QString &message) {
        int value = directiveValue(line);
        if (!clampToRange(1, 60, value))
            say(message);
        setting = value;
    };

    QStringList lines;
    for (int i = 1; i < textFile.size(); ++i) {
        const QString &line = textFile.at(i);
        if (line.startsWith(QLatin1String("//"))) {
            // The keyword must start in the first column; its letter case does not matter.
            if (line.startsWith(kLineDelay, Qt::CaseInsensitive)) {
                delay(line, m_settings.lineDelay, LineDelayMessage);
            } else if (line.startsWith(kLoopDelay, Qt::CaseInsensitive)) {
                delay(line, m_settings.loopDelay, LoopDelayMessage);
            } else if (line.startsWith(kChannel, Qt::CaseInsensitive)) {
                int channel = directiveValue(line);
                if (channel < 1 || channel > 4) {
                    say(ChannelMessage);
                    channel = 1; // the first channel, not the nearer bound
                }
                m_settings.channel = channel;
            }
            continue; // a comment
        }
        const QString caption = line.startsWith(QLatin1String("\\//")) ? line.mid(1) : line;
        lines << caption.left(MaxCaptionLength);
    }
    m_lines = lines.isEmpty() ? QStringList{QString()} : lines;

    const auto defaultTo1 = [&](int &setting, const QString &note) {
        if (setting == 0) {
            say(note);
            setting = 1;
        }
    };
    defaultTo1(m_settings.lineDelay, LineDelayNote);
    defaultTo1(m_settings.loopDelay, LoopDelayNote);
    defaultTo1(m_settings.channel, ChannelNote);
    return true;
}
