#pragma once

#include "core/config/Configuration.h"

#include <QString>

// The Web TV link as the encoder repeats it on text channel 2: an ATVEF transport B trigger
// (EIA-746A), "<url>" followed by its attributes and a closing checksum attribute.
namespace WebTVTrigger {

// The attributes of the Web TV tab, in order: "<url>[t:p]", "[n:...]" and "[s:...]" when
// filled, "[e:yyyymmdd]" when a whole expiry date is chosen, "[v:tv]", and "[XXXX]", the
// checksum of everything before it.
QString triggerText(const Configuration &configuration);

// The RFC 1071 Internet checksum of the text's single-byte codes, the first character of
// each pair as the high byte, as four uppercase hexadecimal digits ("abc" -> "3B9D",
// "" -> "FFFF").
QString checksum(const QString &text);

} // namespace WebTVTrigger
