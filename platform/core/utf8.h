#pragma once

#include <string>
#include <string_view>
#include <vector>

// UTF-8 decoding shared by the text functions and the file layer's names.
namespace fw::utf8 {

inline constexpr char32_t replacementCharacter = 0xFFFD;

// The code points of the bytes; each maximal invalid subsequence becomes one U+FFFD.
[[nodiscard]] std::u32string decode(std::string_view bytes);
void appendEncoded(std::string& out, char32_t codePoint);
[[nodiscard]] std::string encode(std::u32string_view codePoints);

}  // namespace fw::utf8
