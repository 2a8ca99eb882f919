#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "engine/framework/text.h"

namespace {

// U+00E9 (2 bytes), U+20AC (3 bytes), U+1F600 (4 bytes).
const std::string e_acute = "\xC3\xA9";
const std::string euro = "\xE2\x82\xAC";
const std::string grin = "\xF0\x9F\x98\x80";
const std::string replacement = "\xEF\xBF\xBD";

TEST(Text, ValReadsTheLeadingNumberWhateverFollows) {
    struct Case {
        std::string text;
        double expected;
    };
    const Case cases[] = {
        {"", 0},          {"abc", 0},     {"12.7", 12.7},   {"-5", -5},  {"0.5", 0.5},
        {"12abc", 12},    {"  \t42", 42}, {"+3", 3},        {".5", 0.5}, {"-.25", -0.25},
        {"7.", 7},        {"1e3", 1000},  {"2.5E-1", 0.25}, {"3e", 3},   {"3e+", 3},
        {"4ex", 4},       {"1,5", 1},     {"- 5", 0},       {".", 0},    {"-", 0},
        {"40000", 40000}, {"00012", 12},  {"1.2.3", 1.2},   {"5 6", 5},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(fw::Val(c.text), c.expected) << '"' << c.text << '"';

    // Beyond double's range: infinite or zero with the sign, never a garbage value.
    EXPECT_EQ(fw::Val("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(fw::Val("-1e400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(fw::Val("1e-400"), 0.0);
    EXPECT_EQ(fw::Val("0.000001e-400"), 0.0);
    EXPECT_EQ(fw::Val("123456789e-400"), 0.0);
}

TEST(Text, ValIgnoresTheLocaleDecimalPoint) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    // A comma locale, when one is installed, must not change the reading.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr)
        GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_DOUBLE_EQ(fw::Val("12.7"), 12.7);
    EXPECT_DOUBLE_EQ(fw::Val("12,7"), 12);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(Text, TruncationTowardZeroWithTheLowestValueOutOfRange) {
    constexpr auto min64 = std::numeric_limits<std::int64_t>::min();
    constexpr auto min32 = std::numeric_limits<std::int32_t>::min();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double value;
        std::int64_t as64;
        std::int32_t as32;
    };
    const Case cases[] = {
        {12.7, 12, 12},
        {-12.7, -12, -12},
        {-0.9, 0, 0},
        {2147483647.9, 2147483647, 2147483647},
        {2147483648.0, 2147483648, min32},
        {-2147483648.9, -2147483648, -2147483648},
        {-2147483649.0, -2147483649, min32},
        {9223372036854775807.0, min64, min32},  // rounds to 2^63, one past the maximum
        {9223372036854774784.0, 9223372036854774784, min32},
        {-9223372036854775808.0, min64, min32},
        {1e300, min64, min32},
        {-1e300, min64, min32},
        {nan, min64, min32},
        {inf, min64, min32},
        {-inf, min64, min32},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fw::truncToInt64(c.value), c.as64) << c.value;
        EXPECT_EQ(fw::truncToInt32(c.value), c.as32) << c.value;
    }
}

TEST(Text, StrIsPlainDecimal) {
    EXPECT_EQ(fw::Str(0), "0");
    EXPECT_EQ(fw::Str(-5), "-5");
    EXPECT_EQ(fw::Str(1234567), "1234567");
    EXPECT_EQ(fw::Str(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(Text, SanitizedUtf8ReplacesEachMaximalInvalidSequence) {
    struct Case {
        std::string bytes;
        std::string expected;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {e_acute + euro + grin, e_acute + euro + grin},
        {"caf\xE9", "caf" + replacement},                           // Latin-1 byte
        {"\x80", replacement},                                      // lone continuation
        {"\xC0\xAF", replacement + replacement},                    // overlong "/"
        {"\xE0\x80\xAF", replacement + replacement + replacement},  // overlong, 3 bytes
        {"\xED\xA0\x80", replacement + replacement + replacement},  // surrogate
        {"\xF4\x90\x80\x80", replacement + replacement + replacement + replacement},  // > U+10FFFF
        {"\xE2\x82", replacement},         // truncated at the end
        {"\xE2\x82x", replacement + "x"},  // truncated before ASCII
        {"\xF0\x9F\x98", replacement},
        {"\xFF\xFE", replacement + replacement},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fw::sanitizedUtf8(c.bytes), c.expected) << c.bytes;
}

TEST(Text, LengthsAndPositionsCountCharacters) {
    const std::string text = "a" + e_acute + euro + grin + "z";  // 5 characters, 11 bytes
    EXPECT_EQ(fw::Len(text), 5);
    EXPECT_EQ(fw::Len(""), 0);
    EXPECT_EQ(fw::Len("caf\xE9"), 4);

    struct LeftCase {
        std::int64_t count;
        std::string expected;
    };
    for (const auto& c : {LeftCase{-3, ""}, LeftCase{0, ""}, LeftCase{1, "a"},
                          LeftCase{3, "a" + e_acute + euro}, LeftCase{5, text}, LeftCase{99, text}})
        EXPECT_EQ(fw::Left(text, c.count), c.expected) << c.count;

    struct MidCase {
        std::int64_t start, length;
        std::string expected;
    };
    for (const auto& c : {MidCase{1, -1, text}, MidCase{2, 1, e_acute}, MidCase{3, 2, euro + grin},
                          MidCase{4, -1, grin + "z"}, MidCase{5, 9, "z"}, MidCase{6, 1, ""},
                          MidCase{2, 0, ""}, MidCase{0, 2, "a" + e_acute}, MidCase{-4, -1, text}})
        EXPECT_EQ(fw::Mid(text, c.start, c.length), c.expected) << c.start << "," << c.length;
    EXPECT_EQ(fw::Mid(text, 2), e_acute + euro + grin + "z");

    // Cutting a text with a broken character still yields valid UTF-8.
    EXPECT_EQ(fw::Left("ab\xE2\x82", 3), "ab" + replacement);
    EXPECT_EQ(fw::Mid("\xFF"
                      "x",
                      1, 1),
              replacement);
}

TEST(Text, AscGivesTheFirstCodePoint) {
    EXPECT_EQ(fw::Asc(""), 0);
    EXPECT_EQ(fw::Asc("a"), 97);
    EXPECT_EQ(fw::Asc(e_acute + "x"), 0xE9);
    EXPECT_EQ(fw::Asc(grin), 0x1F600);
    EXPECT_EQ(fw::Asc("\xE9t\xE9"), 0xFFFD);
}

TEST(Text, LowercaseCoversNonAsciiLetters) {
    EXPECT_EQ(fw::Lowercase("My Photo 1.JPG"), "my photo 1.jpg");
    EXPECT_EQ(fw::Lowercase("\xC3\x89t\xC3\xA9 \xC3\x80 PARIS"),
              "\xC3\xA9t\xC3\xA9 \xC3\xA0 paris");
    EXPECT_EQ(fw::Lowercase("\xCE\x9A\xCE\x91"), "\xCE\xBA\xCE\xB1");  // Greek KA
    EXPECT_EQ(fw::Lowercase("A\xFF"), "a" + replacement);
}

TEST(Text, ReplaceAllReplacesEveryOccurrenceExactly) {
    struct Case {
        std::string text, find, replacement, expected;
    };
    const Case cases[] = {
        {"Processing picture <0> of <1>", "<0>", "3", "Processing picture 3 of <1>"},
        {"a b  c", " ", "_", "a_b__c"},
        {"aaa", "aa", "b", "ba"},  // left to right, without overlap
        {"abc", "", "x", "abc"},
        {"", "a", "x", ""},
        {"Abc abc", "abc", "x", "Abc x"},  // letter case matters
        {"x<0>y<0>", "<0>", "", "xy"},
        {"<0>", "<0>", "caf\xE9", "caf" + replacement},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fw::ReplaceAll(c.text, c.find, c.replacement), c.expected) << c.text;
}

TEST(Text, FieldsBySeparator) {
    struct Case {
        std::string text, separator;
        std::int64_t count;
        std::vector<std::string> fields;  // fields 1..count
    };
    const Case cases[] = {
        {"archive.tar.gz", ".", 3, {"archive", "tar", "gz"}},
        {"noext", ".", 1, {"noext"}},
        {".hidden", ".", 2, {"", "hidden"}},
        {"trailing.", ".", 2, {"trailing", ""}},
        {"", ".", 1, {""}},
        {"a::b::c", "::", 3, {"a", "b", "c"}},
        {"a\rb", "\r", 2, {"a", "b"}},
        {"abc", "", 1, {"abc"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fw::CountFields(c.text, c.separator), c.count) << c.text;
        for (std::size_t i = 0; i < c.fields.size(); ++i)
            EXPECT_EQ(fw::NthField(c.text, c.separator, static_cast<std::int64_t>(i + 1)),
                      c.fields[i])
                << c.text << " field " << i + 1;
        EXPECT_EQ(fw::NthField(c.text, c.separator, c.count + 1), "") << c.text;
        EXPECT_EQ(fw::NthField(c.text, c.separator, 0), "") << c.text;
        EXPECT_EQ(fw::NthField(c.text, c.separator, -1), "") << c.text;
    }
}

}  // namespace
