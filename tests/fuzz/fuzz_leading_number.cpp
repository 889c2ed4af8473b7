// The number reader behind the TSID box: any text an operator can type gives a number, and the
// TSID packet made from it is always eight characters, "4" and one hexadecimal digit per nibble
// of the low 16 bits. Checked for every input:
// - blanks, tabs and line feeds anywhere change nothing;
// - reading stops at the first character that cannot continue a number, so whatever follows a
//   letter that no number contains ("z", or a digit of another script) changes nothing;
// - a minus sign before a number that starts with a digit negates it;
// - the result is a finite number, and a whole number after "&H" or "&O".

#include "commands/ControlProcessing.h"
#include "common/GlobalFunctions.h"

#include <QString>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool condition, const char *what, const QString &text)
{
    if (condition)
        return;
    std::fprintf(stderr, "property failed: %s for \"%s\"\n", what, qPrintable(text));
    std::abort();
}

bool same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

QString withoutSpacing(const QString &text)
{
    QString stripped = text;
    stripped.remove(QLatin1Char(' ')).remove(QLatin1Char('\t')).remove(QLatin1Char('\n'));
    return stripped;
}

void checkTsid(const QString &text, double number)
{
    const QString data = ControlProcessing::TsidData(text);
    require(data.size() == 8, "TSID data is eight characters", text);
    int value = 0;
    for (int i = 0; i < 4; ++i) {
        require(data.at(2 * i) == QLatin1Char('4'), "TSID nibbles follow a 4", text);
        bool ok = false;
        const int nibble = QString(data.at(2 * i + 1)).toInt(&ok, 16);
        require(ok && data.at(2 * i + 1) == data.at(2 * i + 1).toUpper(),
                "TSID nibbles are upper-case hexadecimal digits", text);
        value |= nibble << (4 * i);
    }
    if (std::fabs(number) < 1e15) {
        const qint64 whole = GlobalFunctions::RoundHalfEven(number);
        require(value == int(whole & 0xFFFF), "TSID carries the low 16 bits", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Operators type any character; the bytes are read as UTF-8, as pasted text would be.
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const double number = GlobalFunctions::LeadingNumber(text);

    require(std::isfinite(number), "the number is finite", text);
    require(same(GlobalFunctions::LeadingNumber(withoutSpacing(text)), number),
            "blanks, tabs and line feeds are ignored", text);
    require(
        same(GlobalFunctions::LeadingNumber(QStringLiteral(" \t") + text + QStringLiteral("\n ")),
             number),
        "spacing around the text is ignored", text);
    for (const QString &stop : {QStringLiteral("z"), QStringLiteral("\u0663"),
                                QStringLiteral("\uff11"), QStringLiteral("#")}) {
        require(same(GlobalFunctions::LeadingNumber(text + stop + text), number),
                "reading stops at a character that cannot continue a number", text);
    }
    const QString stripped = withoutSpacing(text);
    if (!stripped.isEmpty() && stripped.at(0).unicode() >= '0' && stripped.at(0).unicode() <= '9')
        require(same(GlobalFunctions::LeadingNumber(QLatin1Char('-') + text), -number),
                "a minus sign negates the number", text);
    if (stripped.startsWith(QLatin1String("&H"), Qt::CaseInsensitive) ||
        stripped.startsWith(QLatin1String("&O"), Qt::CaseInsensitive))
        require(number >= 0 && number == std::floor(number),
                "a hexadecimal or octal number is whole and not negative", text);

    checkTsid(text, number);
    return 0;
}
