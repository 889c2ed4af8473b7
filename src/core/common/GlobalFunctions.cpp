#include "core/common/GlobalFunctions.h"

#include <cmath>

namespace GlobalFunctions {

QString secondsToClockText(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    const qint64 h = seconds / 3600;
    const qint64 m = (seconds % 3600) / 60;
    const qint64 s = seconds % 60;
    return QStringLiteral("%1:%2:%3")
        .arg(h, 2, 10, QLatin1Char('0'))
        .arg(m, 2, 10, QLatin1Char('0'))
        .arg(s, 2, 10, QLatin1Char('0'));
}

qint64 roundHalfEven(double value)
{
    return static_cast<qint64>(std::nearbyint(value)); // default FE_TONEAREST: ties to even
}

double leadingNumber(const QString &text)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n'))
            s.append(c);
    }
    if (s.startsWith(QLatin1String("&H"), Qt::CaseInsensitive) ||
        s.startsWith(QLatin1String("&O"), Qt::CaseInsensitive)) {
        const bool hex = s.at(1).toUpper() == QLatin1Char('H');
        const int base = hex ? 16 : 8;
        qint64 value = 0;
        for (int i = 2; i < s.size(); ++i) {
            // Only the ASCII digits and letters count: a digit of another script ends the
            // number here just as it does in a decimal number.
            const char16_t c = s.at(i).unicode();
            int digit = base;
            if (c >= u'0' && c <= u'9')
                digit = c - u'0';
            else if (hex && c >= u'a' && c <= u'f')
                digit = c - u'a' + 10;
            else if (hex && c >= u'A' && c <= u'F')
                digit = c - u'A' + 10;
            if (digit >= base)
                break;
            value = value * base + digit;
            if (value > 0xFFFFFFFFLL)
                break;
        }
        return static_cast<double>(value);
    }
    int i = 0;
    QString number;
    if (i < s.size() && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
        number.append(s.at(i++));
    bool digits = false;
    while (i < s.size() && s.at(i).isDigit() && s.at(i).unicode() < 128) {
        number.append(s.at(i++));
        digits = true;
    }
    if (i < s.size() && s.at(i) == QLatin1Char('.')) {
        number.append(s.at(i++));
        while (i < s.size() && s.at(i).isDigit() && s.at(i).unicode() < 128) {
            number.append(s.at(i++));
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    if (i < s.size() && (s.at(i) == QLatin1Char('e') || s.at(i) == QLatin1Char('E'))) {
        QString exponent(QLatin1Char('e'));
        int j = i + 1;
        if (j < s.size() && (s.at(j) == QLatin1Char('+') || s.at(j) == QLatin1Char('-')))
            exponent.append(s.at(j++));
        bool expDigits = false;
        while (j < s.size() && s.at(j).isDigit() && s.at(j).unicode() < 128) {
            exponent.append(s.at(j++));
            expDigits = true;
        }
        if (expDigits)
            number.append(exponent);
    }
    // A number too large for a double reads as an infinity of its sign, so that it is out of
    // every range rather than 0; one too small to tell from 0 reads as 0.
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok || std::isinf(value) ? value : 0.0;
}

bool leadingInt16(const QString &text, qint16 *value)
{
    const double number = leadingNumber(text);
    if (!(number >= -32768.5 && number <= 32767.5))
        return false;
    const qint64 whole = roundHalfEven(number);
    if (whole < -32768 || whole > 32767)
        return false;
    *value = static_cast<qint16>(whole);
    return true;
}

QByteArray toSingleByte(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text)
        bytes.append(c.unicode() <= 0xFF ? static_cast<char>(c.unicode()) : '?');
    return bytes;
}

QString fromSingleByte(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

QString errorReportText(const QString &heading, const QString &source, int number,
                        const QString &description)
{
    const QString message = source + QStringLiteral(" (") + QString::number(number) +
                            QStringLiteral(") ") + description;
    if (heading.trimmed().isEmpty())
        return message;
    return heading + QStringLiteral("\r\n\r\n") + message;
}

QString errorReportTitle(const QString &title)
{
    return title.trimmed().isEmpty() ? QStringLiteral("Error") : title;
}

} // namespace GlobalFunctions
