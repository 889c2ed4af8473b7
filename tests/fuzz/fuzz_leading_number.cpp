// The number reader behind the TSID box on any text an operator can type: the number is finite;
// blanks, tabs and line feeds change nothing; reading stops at a character that cannot continue a
// number; a minus sign before a digit negates it; and the TSID packet is "4" and one upper-case
// hexadecimal digit for each nibble of the low 16 bits.

#include "commands/ControlProcessing.h"
#include "common/GlobalFunctions.h"

#include <QString>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool condition, const char *what, const QString &text)
{
    if (!condition) {
        std::fprintf(stderr, "property failed: %s for \"%s\"\n", what, qPrintable(text));
        std::abort();
    }
}

bool same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The bytes are read as UTF-8, as pasted text would be.
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const double number = GlobalFunctions::LeadingNumber(text);
    require(std::isfinite(number), "the number is finite", text);
    QString stripped = text;
    stripped.remove(QLatin1Char(' ')).remove(QLatin1Char('\t')).remove(QLatin1Char('\n'));
    require(same(GlobalFunctions::LeadingNumber(stripped), number), "blanks are ignored", text);
    for (const QString &stop : {QStringLiteral("z"), QStringLiteral("\u0663"),
                                QStringLiteral("\uff11"), QStringLiteral("#")}) {
        require(same(GlobalFunctions::LeadingNumber(text + stop + text), number),
                "reading stops at a character that cannot continue a number", text);
    }
    if (!stripped.isEmpty() && stripped.at(0).unicode() >= '0' && stripped.at(0).unicode() <= '9')
        require(same(GlobalFunctions::LeadingNumber(QLatin1Char('-') + text), -number),
                "a minus sign negates the number", text);

    const QString tsid = ControlProcessing::TsidData(text);
    const qint64 whole = std::fabs(number) < 1e15 ? GlobalFunctions::RoundHalfEven(number) : 0;
    QString expected;
    for (int i = 0; i < 4; ++i)
        expected += QLatin1Char('4') + QString::number((whole >> (4 * i)) & 0xF, 16).toUpper();
    require(tsid.size() == 8, "the TSID packet is eight characters", text);
    require(std::fabs(number) >= 1e15 || tsid == expected, "the TSID carries the low 16 bits",
            text);
    return 0;
}
