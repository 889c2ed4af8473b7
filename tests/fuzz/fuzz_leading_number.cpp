// The number reader behind the TSID box on any text an operator can type: the number is finite,
// and the TSID packet is "4" and one upper-case hexadecimal digit for each nibble of the low 16
// bits of the number.

#include "commands/ControlProcessing.h"
#include "common/GlobalFunctions.h"

#include <QString>
#include <cmath>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The bytes are read as UTF-8, as pasted text would be.
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const double number = GlobalFunctions::LeadingNumber(text);
    const QString tsid = ControlProcessing::TsidData(text);
    QString expected;
    if (std::isfinite(number) && std::fabs(number) < 1e15) {
        const qint64 whole = GlobalFunctions::RoundHalfEven(number);
        for (int i = 0; i < 4; ++i)
            expected += QLatin1Char('4') + QString::number((whole >> (4 * i)) & 0xF, 16).toUpper();
    }
    if (!std::isfinite(number) || tsid.size() != 8 || (!expected.isEmpty() && tsid != expected)) {
        std::fprintf(stderr, "property failed: the TSID carries the low 16 bits of \"%s\"\n",
                     qPrintable(text));
        std::abort();
    }
    return 0;
}
