#include "core/commands/ControlProcessing.h"

#include "core/commands/WebTVTrigger.h"
#include "core/common/Clock.h"
#include "core/common/GlobalFunctions.h"

#include <algorithm>
#include <cmath>

namespace {

enum PacketAction
{
    Insert = 0,
    BlockUpstream = 1,
    PassUpstream = 2
};

// The Enable Control and daylight-saving boxes count when not 0 (a greyed "2" included);
// every other box only when exactly checked.
bool isSet(int checkValue)
{
    return checkValue != 0;
}
bool isChecked(int checkValue)
{
    return checkValue == 1;
}

QString hexByte(int value)
{
    return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

QString onOff(bool on)
{
    return on ? QStringLiteral("ON") : QStringLiteral("OFF");
}

} // namespace

QDateTime ControlProcessing::Context::now() const
{
    return clock ? clock->now() : Clock::instance().now();
}

ControlProcessing::ControlProcessing(const Configuration &configuration, const Context &context,
                                     Sink sink)
    : m_config(configuration), m_context(context), m_sink(std::move(sink))
{
}

void ControlProcessing::buildConfiguration() const
{
    buildNetworkNamePacket();
    buildCallLettersPacket();
    buildTsidPacket();
    buildTimeOfDayPacket();
    buildTimeZonePacket();
    buildClockSetCommands();
    buildProgramNamePacket();
    buildRatingPacket();
    if (isChecked(m_config.chDecoderSend))
        buildDecoderCommand();
    if (isChecked(m_config.chBlockingSend))
        buildBlockingCommands();
    buildWebTvCommand();
    buildCgmsPacket();
    buildArticleListRequest();
}

void ControlProcessing::buildNetworkNamePacket() const
{
    QString name = m_config.txtNetworkName;
    // Short names are padded with at most two blanks, up to four characters.
    if (name.size() < 4)
        name = (name + QStringLiteral("  ")).left(4);
    addPacket(QStringLiteral("0501"), m_config.chCtrlNetworkName, m_config.oNetworkName,
              textToHex(name));
}

void ControlProcessing::buildCallLettersPacket() const
{
    addPacket(QStringLiteral("0502"), m_config.chCtrlCallLetters, m_config.oCallLetters,
              textToHex(m_config.txtCallLetters));
}

void ControlProcessing::buildTsidPacket() const
{
    addPacket(QStringLiteral("0504"), m_config.chCtrlTSID, m_config.oTSID,
              tsidData(m_config.txtTSID));
}

void ControlProcessing::buildTimeOfDayPacket() const
{
    // Six placeholder characters: the encoder's own clock fills in the time of day.
    addPacket(QStringLiteral("0701"), m_config.chCtrlTimeOfDay, m_config.oTimeOfDay,
              QStringLiteral("414141414141"));
}

void ControlProcessing::buildTimeZonePacket() const
{
    // East and west are not told apart: the packet carries the absolute hours only.
    const int hours = m_context.zone.UnsignedOffsetText.left(2).toInt();
    int zone = 0x40 + hours;
    if (isSet(m_config.chDSObserved))
        zone += 0x20;
    addPacket(QStringLiteral("0704"), m_config.chCtrlTimeZone, m_config.oTimezone,
              hexByte(zone) + QStringLiteral("00"));
}

void ControlProcessing::buildClockSetCommands() const
{
    if (!isChecked(m_config.chSyncClock))
        return;
    // The clock is read once for the time and again for the date, so that a day change
    // between the two commands gives the encoder the new date.
    const QTime time = m_context.now().time();
    add(QStringLiteral("c"),
        clockTimeText(time, m_context.zone.UnsignedOffsetText, isSet(m_config.chDSInEffect),
                      isSet(m_config.chDSObserved)));
    const QDate date = m_context.now().date();
    add(QStringLiteral("d"), clockDateText(date));
}

void ControlProcessing::buildProgramNamePacket() const
{
    addPacket(QStringLiteral("0103"), m_config.chCtrlProgramName, m_config.oProgramName,
              textToHex(m_config.txtProgramName));
}

void ControlProcessing::buildRatingPacket() const
{
    addPacket(QStringLiteral("0105"), m_config.chCtrlProgramRating, m_config.oProgramRating,
              ratingData(m_config.cmbProgRatingSys, m_config.cmbProgramRating,
                         m_config.chProgramRatingFlags));
}

void ControlProcessing::buildCgmsPacket() const
{
    const QString data = cgmsData(m_config.cmbCGMS, m_config.cmbCGMSOptions, m_config.oCGMSASB);
    int action = m_config.oCGMS;
    // Insert without a copy-management choice sends an empty field, as with no option.
    if (action == Insert && data.isEmpty())
        action = -1;
    addPacket(QStringLiteral("0108"), m_config.chCtrlCGMS, action, data);
}

void ControlProcessing::buildWebTvCommand() const
{
    if (!isSet(m_config.chCtrlWebTV))
        return;
    if (m_config.oWebTV == 0) {
        add(QStringLiteral("0"),
            QStringLiteral("URL T2 ") + m_config.txtWebRepeat + QStringLiteral(" D O L"),
            WebTVTrigger::triggerText(m_config), true, false);
    } else if (m_config.oWebTV == 1) {
        add(QStringLiteral("4"), QStringLiteral("URL D"));
    }
}

void ControlProcessing::buildTestCaptionCommand() const
{
    add(QStringLiteral("2"), captionChannelCode(m_config.oSendCaptions), m_config.txtSendCaptions,
        true, false);
}

void ControlProcessing::buildDecoderCommand() const
{
    add(QStringLiteral("M"), decoderCode(m_config.oDecoderSettings));
}

void ControlProcessing::buildBlockingCommands() const
{
    for (int i = 0; i < 9; ++i) {
        const bool block =
            i < m_config.chBlockingSettings.size() && isChecked(m_config.chBlockingSettings.at(i));
        add(block ? QStringLiteral("6") : QStringLiteral("7"), blockingCode(i));
    }
}

void ControlProcessing::buildArticleListRequest() const
{
    add(QStringLiteral("9"));
}

void ControlProcessing::buildInsertArticleCommand(const QStringList &lines) const
{
    if (lines.isEmpty() || lines.first().isEmpty())
        return;
    const int channel = m_config.oInsertArticles;
    const QString channelCode =
        channel >= 0 && channel < 4 ? QStringLiteral("T%1").arg(channel + 1) : QString();
    const QString args = articleNameFromPath(lines.first()) + QLatin1Char(' ') + channelCode +
                         QLatin1Char(' ') + m_config.txtInsArticleRepeat;
    // The lines go whole, one CR between them; the framing adds the last CR.
    const QString content = lines.mid(1).join(QLatin1Char(CtrlACommand::CR));
    add(QStringLiteral("0"), args, content, true, true);
}

void ControlProcessing::buildRemoveArticleCommand(const QString &name) const
{
    if (name.isEmpty())
        return;
    add(QStringLiteral("4"), name + QStringLiteral(" D"));
}

QString ControlProcessing::textToHex(const QString &text)
{
    // The single-byte code page is Latin-1: it holds every character the field rules let the
    // operator type; anything beyond it goes as "?" (3F) rather than being dropped.
    QString hex;
    const QByteArray bytes = GlobalFunctions::toSingleByte(text);
    for (char byte : bytes)
        hex += QString::number(static_cast<unsigned char>(byte), 16).toUpper();
    return hex;
}

QString ControlProcessing::PacketField(int packetAction, const QString &insertData)
{
    switch (packetAction) {
    case Insert:
        return QStringLiteral("9999 ") + insertData;
    case BlockUpstream:
        return QStringLiteral("9999 R");
    default: // Pass Upstream, or no option selected
        return QString();
    }
}

QString ControlProcessing::tsidData(const QString &tsidText)
{
    const double number = GlobalFunctions::leadingNumber(tsidText);
    // Only the low 16 bits are sent; beyond 2^53 a double is already whole, and the integer
    // conversion would overflow, so the remainder is taken on the double itself.
    double low = 0;
    if (std::fabs(number) < 9007199254740992.0)
        low = static_cast<double>(GlobalFunctions::roundHalfEven(number) & 0xFFFF);
    else if (std::isfinite(number))
        low = std::fmod(std::fmod(number, 65536.0) + 65536.0, 65536.0);
    const int value = static_cast<int>(low);
    QString data;
    for (int shift = 0; shift < 16; shift += 4)
        data += QLatin1Char('4') + QString::number((value >> shift) & 0xF, 16).toUpper();
    return data;
}

QString ControlProcessing::ratingData(int system, int rating, const QVector<int> &flags)
{
    const auto flag = [&flags](int i) { return i < flags.size() && isChecked(flags.at(i)); };
    const bool validRating = rating >= 1 && rating <= 7;
    int first = 0x40;
    int second = 0x40;
    switch (system) {
    case 0: // MPA
        if (validRating)
            first += rating;
        break;
    case 1: // US-TV
        first += 0x08;
        if (flag(0) || flag(1))
            second += 0x20;
        if (flag(2))
            second += 0x10;
        if (flag(3))
            second += 0x08;
        if (flag(4))
            first += 0x20;
        break;
    case 2: // CDN-E
        first += 0x18;
        break;
    case 3: // CDN-Fr
        first += 0x38;
        break;
    default:
        break;
    }
    if (system != 0 && validRating)
        second += rating;
    return hexByte(first) + hexByte(second);
}

QString ControlProcessing::cgmsData(int cgms, int apsOption, int asb)
{
    if (cgms < 0)
        return QString();
    int first = 0x40;
    if (cgms == 1) {
        first += 0x10;
    } else if (cgms == 2) {
        first += 0x18;
        if (apsOption >= 1 && apsOption <= 3)
            first += apsOption * 2;
    }
    if (asb == 1)
        first += 0x01;
    return hexByte(first) + QStringLiteral("40");
}

QString ControlProcessing::captionChannelCode(int index)
{
    if (index >= 0 && index < 4)
        return QStringLiteral("C%1").arg(index + 1);
    if (index >= 4 && index < 8)
        return QStringLiteral("T%1").arg(index - 3);
    return QString();
}

QString ControlProcessing::decoderCode(int index)
{
    switch (index) {
    case 8:
        return QStringLiteral("XDS");
    case 9:
        return QStringLiteral("VCHIP");
    case 10:
        return QStringLiteral("OFF");
    default:
        return captionChannelCode(index);
    }
}

QString ControlProcessing::blockingCode(int index)
{
    if (index >= 0 && index < 4)
        return QStringLiteral("C%1").arg(index + 1);
    if (index == 4)
        return QStringLiteral("TX");
    if (index >= 5 && index < 9)
        return QStringLiteral("T%1").arg(index - 4);
    return QString();
}

QString ControlProcessing::articleNameFromPath(const QString &path)
{
    // Either separator ends the folder part, so paths written on any system give the same
    // name.
    const int separator =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    QString name = path.mid(separator + 1);
    // A file without an extension keeps its whole name.
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    const int blank = name.indexOf(QLatin1Char(' '));
    if (blank >= 0)
        name.truncate(blank);
    return name;
}

QString ControlProcessing::clockTimeText(const QTime &time, const QString &unsignedOffset,
                                         bool dsInEffect, bool dsObserved)
{
    return time.toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(' ') + unsignedOffset +
           QLatin1Char(' ') + onOff(dsInEffect) + QStringLiteral(" DSO=") + onOff(dsObserved);
}

QString ControlProcessing::clockDateText(const QDate &date)
{
    // Qt counts Monday as 1 and Sunday as 7; the encoder wants Sunday 1 .. Saturday 7.
    const int weekday = date.dayOfWeek() % 7 + 1;
    return date.toString(QStringLiteral("MM/dd/yyyy")) + QLatin1Char(' ') +
           QString::number(weekday);
}

void ControlProcessing::addPacket(const QString &code, int enableControl, int packetAction,
                                  const QString &insertData) const
{
    if (!isSet(enableControl))
        return;
    add(QStringLiteral("P"), code + QLatin1Char(' ') + PacketField(packetAction, insertData));
}

void ControlProcessing::add(const QString &mode, const QString &args, const QString &content,
                            bool ctrlC, bool sendBlankContents) const
{
    if (m_sink)
        m_sink(CtrlACommand(mode, args, content, ctrlC, sendBlankContents));
}
