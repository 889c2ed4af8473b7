#pragma once

#include "core/common/LocalTimeZoneSnapshot.h"
#include "core/config/Configuration.h"
#include "core/protocol/CtrlACommand.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

class Clock;

// Turns one configuration into encoder commands. Each builder reads the values it needs and
// hands zero or more commands to the sink in the order in which they must reach the encoder;
// the sink is the window's command queue, a test's list or quillcast-send's queue alike. The
// builders never talk to a port and keep no state between calls.
class ControlProcessing
{
public:
    using Sink = std::function<void(const CtrlACommand &command)>;

    // What the builders need besides the configuration: the time-zone snapshot taken at
    // start-up and the clock the encoder's clock is set from.
    struct Context
    {
        LocalTimeZoneSnapshot zone;
        const Clock *clock = nullptr; // nullptr: Clock::instance() at the moment of reading
        QDateTime now() const;
    };

    ControlProcessing(const Configuration &configuration, const Context &context, Sink sink);

    // The whole configuration, in the encoder's order; always ends with the article list
    // request.
    void buildConfiguration() const;

    // Plant Options
    void buildNetworkNamePacket() const;
    void buildCallLettersPacket() const;
    void buildTsidPacket() const;
    void buildTimeOfDayPacket() const;
    void buildTimeZonePacket() const;
    void buildClockSetCommands() const;
    // V-Chip and CGMS Insertion
    void buildProgramNamePacket() const;
    void buildRatingPacket() const;
    void buildCgmsPacket() const;
    // Web TV
    void buildWebTvCommand() const;
    // Caption Channels
    void buildTestCaptionCommand() const;
    void buildDecoderCommand() const;
    void buildBlockingCommands() const;
    // Articles. lines is what readTextFile returns: the path, then the file's lines; name is
    // the entry selected in the removal list (nothing is queued for an empty one).
    void buildArticleListRequest() const;
    void buildInsertArticleCommand(const QStringList &lines) const;
    void buildRemoveArticleCommand(const QString &name) const;

    // Each character's single-byte code in uppercase hexadecimal, without leading zeros (a tab
    // gives "9").
    static QString textToHex(const QString &text);
    // The packet field of an option group: Insert -> "9999 " + insertData, Block Upstream ->
    // "9999 R", Pass Upstream or no selection -> "".
    static QString PacketField(int packetAction, const QString &insertData);
    // The four-hex-digit transmission signal identifier packet data (least significant group
    // first, each group as 0x40 + group).
    static QString tsidData(const QString &tsidText);
    // The two content advisory characters as hexadecimal.
    static QString ratingData(int system, int rating, const QVector<int> &flags);
    // The CGMS-A characters as hexadecimal, or "" when no copy-management choice is made.
    static QString cgmsData(int cgms, int apsOption, int asb);
    // Channel codes by option index: C1..C4, T1..T4, then "XDS", "VCHIP", "OFF" for the
    // decoder; "" for an index with no code.
    static QString captionChannelCode(int index);
    static QString decoderCode(int index);
    static QString blockingCode(int index);
    // The article name of a file: its base name, cut before the first blank.
    static QString articleNameFromPath(const QString &path);
    // The clock command texts for one moment.
    static QString clockTimeText(const QTime &time, const QString &unsignedOffset, bool dsInEffect,
                                 bool dsObserved);
    static QString clockDateText(const QDate &date);

private:
    void addPacket(const QString &code, int enableControl, int packetAction,
                   const QString &insertData) const;
    void add(const QString &mode, const QString &args = QString(),
             const QString &content = QString(), bool ctrlC = false,
             bool sendBlankContents = false) const;

    const Configuration &m_config;
    Context m_context;
    Sink m_sink;
};
