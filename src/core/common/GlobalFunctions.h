#pragma once

#include <QByteArray>
#include <QString>

// Small helpers shared by the link, the command builders, the configuration and the window.
namespace GlobalFunctions {

// s seconds as hh:mm:ss, each part at least two digits (3725 -> "01:02:05").
QString secondsToClockText(qint64 seconds);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
qint64 roundHalfEven(double value);

// Reads the number a text begins with, the way operators' hand-typed values are read:
// blanks, tabs and line feeds anywhere are ignored, an optional sign, digits, decimal point
// and exponent are taken, "&H" / "&O" introduce hexadecimal / octal, reading stops at the
// first character that cannot continue the number; a text without a number gives 0, a number
// beyond the range of a double an infinity of its sign.
double leadingNumber(const QString &text);
// The same number rounded to a whole number (halves to even) as a 16-bit signed value; false,
// with value untouched, when it lies outside -32768..32767.
bool leadingInt16(const QString &text, qint16 *value);

// Text <-> the single-byte code page used on the wire and in files (Latin-1). Characters
// outside it become "?".
QByteArray toSingleByte(const QString &text);
QString fromSingleByte(const QByteArray &bytes);

// The body of the shared error report: source + " (" + number + ") " + description,
// preceded by heading + CR LF CR LF when the heading is not blank.
QString errorReportText(const QString &heading, const QString &source, int number,
                        const QString &description);
// The report's title: "Error" when the given title is blank.
QString errorReportTitle(const QString &title);

} // namespace GlobalFunctions
