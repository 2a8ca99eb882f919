#pragma once

#include <cstdint>
#include <string>

// Text operations. Texts are UTF-8; lengths and positions count Unicode code points, positions and
// field numbers start at 1. No operation cuts inside a character or returns invalid UTF-8: invalid
// input bytes are read as U+FFFD.
namespace fw {

// The number at the start of the text (after leading blanks), 0 for empty or non-numeric text.
[[nodiscard]] double Val(const std::string& text);
// Plain decimal digits, "-" before a negative value.
[[nodiscard]] std::string Str(std::int64_t value);
[[nodiscard]] std::int64_t Len(const std::string& text);
// The first count characters; empty for a count below 1.
[[nodiscard]] std::string Left(const std::string& text, std::int64_t count);
// length characters from start (1-based); a negative length means "to the end".
[[nodiscard]] std::string Mid(const std::string& text, std::int64_t start,
                              std::int64_t length = -1);
// Code point of the first character, 0 for the empty text.
[[nodiscard]] std::int64_t Asc(const std::string& text);
[[nodiscard]] std::string Lowercase(const std::string& text);
[[nodiscard]] std::string ReplaceAll(const std::string& text, const std::string& find,
                                     const std::string& replacement);
// 1 when the separator is absent (also for the empty text).
[[nodiscard]] std::int64_t CountFields(const std::string& text, const std::string& separator);
// Empty when n is out of range.
[[nodiscard]] std::string NthField(const std::string& text, const std::string& separator,
                                   std::int64_t n);
// Truncation toward zero; NaN and values outside the target's range give its most negative value.
[[nodiscard]] std::int64_t truncToInt64(double value);
[[nodiscard]] std::int32_t truncToInt32(double value);
// Valid UTF-8 from arbitrary bytes (invalid sequences become U+FFFD).
[[nodiscard]] std::string sanitizedUtf8(const std::string& bytes);

}  // namespace fw
