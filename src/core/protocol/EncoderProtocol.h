#pragma once

#include <QLatin1String>

// The fixed texts of the encoder's terminal protocol, shared by the reply reader, the reply
// interpretation and the simulated encoder.
namespace EncoderProtocol {

// Every reply ends with it: CR, LF and a star.
inline constexpr QLatin1String Prompt("\r\n*");
// The identification names the maker; the answer to a readiness query counts only with it.
inline constexpr QLatin1String MakerName("Orvane");
// An article list's heading holds this word (in any case).
inline constexpr QLatin1String ArticleWord("Article");

} // namespace EncoderProtocol
