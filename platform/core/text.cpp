#include "engine/framework/text.h"

#include <QString>

#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>

#include "platform/core/utf8.h"

namespace fw {

namespace utf8 {

std::u32string decode(std::string_view bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        // Length and the allowed range of the second byte, which rules out overlong forms,
        // surrogates and values above U+10FFFF.
        std::size_t length = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        char32_t cp = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            cp = b & 0x0F;
            if (b == 0xE0)
                lo = 0xA0;
            if (b == 0xED)
                hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            cp = b & 0x07;
            if (b == 0xF0)
                lo = 0x90;
            if (b == 0xF4)
                hi = 0x8F;
        } else {
            out.push_back(replacementCharacter);
            ++i;
            continue;
        }
        std::size_t k = 1;
        for (; k < length && i + k < n; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            const unsigned char low = k == 1 ? lo : 0x80;
            const unsigned char high = k == 1 ? hi : 0xBF;
            if (c < low || c > high)
                break;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (k == length) {
            out.push_back(cp);
        } else {
            // The maximal valid prefix is consumed as one replacement.
            out.push_back(replacementCharacter);
        }
        i += k;
    }
    return out;
}

void appendEncoded(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string encode(std::u32string_view codePoints) {
    std::string out;
    out.reserve(codePoints.size());
    for (char32_t cp : codePoints)
        appendEncoded(out, cp);
    return out;
}

}  // namespace utf8

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The slice of codePoints [start, start + count) clamped to the text, re-encoded.
std::string slice(const std::u32string& codePoints, std::int64_t start, std::int64_t count) {
    const auto size = static_cast<std::int64_t>(codePoints.size());
    if (start >= size || count <= 0)
        return {};
    if (count > size - start)
        count = size - start;
    return utf8::encode(
        std::u32string_view(codePoints)
            .substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count)));
}

}  // namespace

std::string sanitizedUtf8(const std::string& bytes) {
    return utf8::encode(utf8::decode(bytes));
}

double Val(const std::string& text) {
    // Scanned by hand so that neither the locale's decimal point nor a trailing word matters.
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t numberStart = i;
    std::size_t intDigits = 0, significantIntDigits = 0, fracDigits = 0, leadingFracZeros = 0;
    bool seenNonZero = false;
    while (i < n && isDigit(text[i])) {
        if (text[i] != '0')
            seenNonZero = true;
        if (seenNonZero)
            ++significantIntDigits;
        ++intDigits;
        ++i;
    }
    if (i < n && text[i] == '.') {
        std::size_t j = i + 1;
        while (j < n && isDigit(text[j])) {
            if (!seenNonZero && text[j] == '0')
                ++leadingFracZeros;
            if (text[j] != '0')
                seenNonZero = true;
            ++fracDigits;
            ++j;
        }
        if (intDigits + fracDigits > 0)
            i = j;
    }
    if (intDigits + fracDigits == 0)
        return 0.0;
    long long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < n && (text[j] == '+' || text[j] == '-')) {
            expNegative = text[j] == '-';
            ++j;
        }
        if (j < n && isDigit(text[j])) {
            while (j < n && isDigit(text[j])) {
                if (exponent < 100000)
                    exponent = exponent * 10 + (text[j] - '0');
                ++j;
            }
            if (expNegative)
                exponent = -exponent;
            i = j;
        }
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data() + numberStart, text.data() + i, value,
                                           std::chars_format::general);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Decide between overflow and underflow from the decimal magnitude.
        const long long magnitude = significantIntDigits > 0
                                        ? static_cast<long long>(significantIntDigits) + exponent
                                        : exponent - static_cast<long long>(leadingFracZeros);
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

std::string Str(std::int64_t value) {
    return std::to_string(value);
}

std::int64_t Len(const std::string& text) {
    return static_cast<std::int64_t>(utf8::decode(text).size());
}

std::string Left(const std::string& text, std::int64_t count) {
    return slice(utf8::decode(text), 0, count);
}

std::string Mid(const std::string& text, std::int64_t start, std::int64_t length) {
    const std::u32string cps = utf8::decode(text);
    if (start < 1)
        start = 1;
    if (length < 0)
        length = std::numeric_limits<std::int64_t>::max();
    return slice(cps, start - 1, length);
}

std::int64_t Asc(const std::string& text) {
    if (text.empty())
        return 0;
    // Only the first character is needed; four bytes always hold it.
    const std::u32string cps = utf8::decode(std::string_view(text).substr(0, 4));
    return static_cast<std::int64_t>(cps.front());
}

std::string Lowercase(const std::string& text) {
    return QString::fromUtf8(sanitizedUtf8(text)).toLower().toStdString();
}

std::string ReplaceAll(const std::string& text, const std::string& find,
                       const std::string& replacement) {
    const std::string source = sanitizedUtf8(text);
    const std::string needle = sanitizedUtf8(find);
    if (needle.empty())
        return source;
    const std::string with = sanitizedUtf8(replacement);
    // Byte search is safe: a valid UTF-8 needle only matches on character boundaries.
    std::string out;
    std::size_t from = 0;
    for (std::size_t at = source.find(needle); at != std::string::npos;
         at = source.find(needle, from)) {
        out.append(source, from, at - from);
        out += with;
        from = at + needle.size();
    }
    out.append(source, from, std::string::npos);
    return out;
}

std::int64_t CountFields(const std::string& text, const std::string& separator) {
    const std::string source = sanitizedUtf8(text);
    const std::string sep = sanitizedUtf8(separator);
    if (sep.empty())
        return 1;
    std::int64_t count = 1;
    for (std::size_t at = source.find(sep); at != std::string::npos;
         at = source.find(sep, at + sep.size()))
        ++count;
    return count;
}

std::string NthField(const std::string& text, const std::string& separator, std::int64_t n) {
    const std::string source = sanitizedUtf8(text);
    const std::string sep = sanitizedUtf8(separator);
    if (n < 1)
        return {};
    if (sep.empty())
        return n == 1 ? source : std::string();
    std::size_t fieldStart = 0;
    for (std::int64_t field = 1;; ++field) {
        const std::size_t at = source.find(sep, fieldStart);
        if (field == n)
            return source.substr(fieldStart,
                                 at == std::string::npos ? std::string::npos : at - fieldStart);
        if (at == std::string::npos)
            return {};
        fieldStart = at + sep.size();
    }
}

std::int64_t truncToInt64(double value) {
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    // 2^63 is exact as a double; every double below it and at or above -2^63 fits.
    if (std::isnan(value) || value >= 9223372036854775808.0 || value < -9223372036854775808.0)
        return lowest;
    return static_cast<std::int64_t>(value);
}

std::int32_t truncToInt32(double value) {
    constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    if (std::isnan(value) || value >= 2147483648.0 || value <= -2147483649.0)
        return lowest;
    return static_cast<std::int32_t>(value);
}

}  // namespace fw
