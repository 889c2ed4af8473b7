// The number reader behind the TSID box on any text an operator can type: the number is a number
// (too large a one reads as infinite, never as NaN), and the TSID packet is four pairs of "4" and
// an upper-case hexadecimal digit.

#include "core/commands/ControlProcessing.h"
#include "core/common/GlobalFunctions.h"

#include <QRegularExpression>
#include <cmath>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The bytes are read as UTF-8, as pasted text would be.
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    static const QRegularExpression packet(QStringLiteral("^(4[0-9A-F]){4}$"));
    if (std::isnan(GlobalFunctions::leadingNumber(text)) ||
        !packet.match(ControlProcessing::tsidData(text)).hasMatch()) {
        std::fprintf(stderr, "property failed: a number and a TSID packet for \"%s\"\n",
                     qPrintable(text));
        std::abort();
    }
    return 0;
}
