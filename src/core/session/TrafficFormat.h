#pragma once

#include <QString>

// One event of the conversation with the encoder, as the traffic log keeps it.
struct TrafficEntry
{
    enum class Direction
    {
        Sent,     // text handed to the port
        Received, // a complete reply, as the channel assembled it
        Event     // connect, disconnect, a lost line, a time-out
    };

    qint64 msecsSinceEpoch = 0;
    Direction direction = Direction::Event;
    QString mode; // the command's mode ("?" for the readiness query); a reply carries the mode
                  // of the command it answers
    QString text; // wire text (one character per byte), or the event's description
};

// The one text form of traffic lines, shared by the Traffic Log window and quillcast-send --log:
//   HH:mm:ss.zzz  >  9   <SOH>9<CR>
// time stamp (local time, milliseconds), direction (">" sent, "<" received, "-" event), the
// mode in a column of four, then the text. Wire text is made readable: SOH, ETX, CR and LF as
// <SOH>, <ETX>, <CR>, <LF>; every other byte below 0x20 or above 0x7E as two hex digits in
// angle brackets, e.g. <1B>.
// Text longer than MaximumTextLength characters shows its first MaximumTextLength characters,
// then " ... " and its full length in bytes, e.g. " ... 1048576 bytes".
namespace TrafficFormat {

constexpr int MaximumTextLength = 4096;

QString readable(const QString &wireText);
QString line(const TrafficEntry &entry);

} // namespace TrafficFormat
