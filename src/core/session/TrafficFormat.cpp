#include "core/session/TrafficFormat.h"

#include <QDateTime>

namespace TrafficFormat {

QString readable(const QString &wireText)
{
    QString text;
    text.reserve(wireText.size() + 16);
    for (const QChar c : wireText) {
        const char16_t code = c.unicode();
        switch (code) {
        case 0x01:
            text += QLatin1String("<SOH>");
            break;
        case 0x03:
            text += QLatin1String("<ETX>");
            break;
        case 0x0D:
            text += QLatin1String("<CR>");
            break;
        case 0x0A:
            text += QLatin1String("<LF>");
            break;
        default:
            if (code < 0x20 || code > 0x7E)
                text += QLatin1Char('<') +
                        QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0')) +
                        QLatin1Char('>');
            else
                text += c;
        }
    }
    return text;
}

QString line(const TrafficEntry &entry)
{
    static const QString stampFormat = QStringLiteral("HH:mm:ss.zzz");
    QString direction;
    switch (entry.direction) {
    case TrafficEntry::Direction::Sent:
        direction = QStringLiteral(">");
        break;
    case TrafficEntry::Direction::Received:
        direction = QStringLiteral("<");
        break;
    case TrafficEntry::Direction::Event:
        direction = QStringLiteral("-");
        break;
    }
    QString text;
    if (entry.direction == TrafficEntry::Direction::Event) {
        text = entry.text;
    } else if (entry.text.size() > MaximumTextLength) {
        // A line shows the start of a long reply and its full length: each line then costs the
        // same to make and to show, whatever the reply's size.
        text = readable(entry.text.left(MaximumTextLength)) +
               QStringLiteral(" ... %1 bytes").arg(entry.text.size());
    } else {
        text = readable(entry.text);
    }
    return QDateTime::fromMSecsSinceEpoch(entry.msecsSinceEpoch).toString(stampFormat) +
           QLatin1String("  ") + direction + QLatin1String("  ") +
           entry.mode.leftJustified(4, QLatin1Char(' ')) + text;
}

} // namespace TrafficFormat
