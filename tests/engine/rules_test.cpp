#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "engine/batchsettings.h"
#include "engine/fitname.h"
#include "engine/foldersuffix.h"
#include "engine/outputfoldername.h"
#include "engine/targetsize.h"
#include "engine/threadresize.h"
#include "engine/uniquename.h"
#include "tests/engine/testfolder.h"

namespace {

// setname is a worker operation; this one only exposes it.
class Settings : public threadResize {};

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

TEST(FolderSuffix, RecordsTheRuleAndItsSizes) {
    struct Row {
        BatchSettings rule;
        std::string suffix;
    };
    const Row rows[] = {
        {{.proportionalMode = 0, .resizeType = 0, .proportionalSize = 800}, " (B800)"},
        {{.proportionalMode = 1, .resizeType = 0, .proportionalSize = 800}, " (S800)"},
        {{.proportionalMode = 2, .resizeType = 0, .proportionalSize = 800}, " (W800)"},
        {{.proportionalMode = 3, .resizeType = 0, .proportionalSize = 800}, " (H800)"},
        {{.proportionalMode = 4, .resizeType = 0, .proportionalSize = 50}, " (50%)"},
        {{.proportionalMode = 5, .resizeType = 0, .proportionalSize = 800}, ""},
        {{.proportionalMode = -1, .resizeType = 0, .proportionalSize = 800}, ""},
        {{.proportionalMode = 0, .resizeType = 0, .proportionalSize = -12}, " (B-12)"},
        {{.resizeType = 1, .independentHeight = 600, .independentWidth = 800}, " (W800, H600)"},
        {{.resizeType = 1,
          .independentHeight = 600,
          .independentWidth = 50,
          .independentWidthMode = 1},
         " (W50%, H600)"},
        {{.resizeType = 1,
          .independentHeight = 50,
          .independentWidth = 800,
          .independentHeightMode = 1},
         " (W800, H50%)"},
        // Any mode other than 0 is percent.
        {{.resizeType = 1,
          .independentHeight = 50,
          .independentWidth = 50,
          .independentWidthMode = 2,
          .independentHeightMode = -1},
         " (W50%, H50%)"},
        {{.resizeType = 2, .boxWidth = 1024, .boxHeight = 768}, " (1024x768)"},
        {{.resizeType = 3, .boxWidth = 1024, .boxHeight = 768}, " (1024x768)"},
        {{.resizeType = -1, .proportionalSize = 800, .boxWidth = 1024, .boxHeight = 768},
         " (1024x768)"},
        {{.resizeType = 2, .boxWidth = kMax, .boxHeight = -1}, " (9223372036854775807x-1)"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(foldersuffix(row.rule), row.suffix) << "expected '" << row.suffix << "'";
    }
}

TEST(OutputFolderName, CutsTheSourceNameToFit31Characters) {
    const std::string n24(24, 'n');
    const std::string e30 = [] {
        std::string s;
        for (int i = 0; i < 30; ++i)
            s += "\xC3\xA9";  // é
        return s;
    }();
    struct Row {
        std::string source, suffix, expected;
    };
    const Row rows[] = {
        {"Holidays", " (B800)", "Holidays (B800)"},
        {n24, " (B800)", n24 + " (B800)"},
        {std::string(40, 'x'), " (B800)", std::string(24, 'x') + " (B800)"},
        {std::string(31, 'y'), "", std::string(31, 'y')},
        {std::string(35, 'y'), "", std::string(31, 'y')},
        {"Holidays", "", "Holidays"},
        // Characters, not bytes: 24 two-byte letters stay whole.
        {e30, " (B800)", e30.substr(0, 48) + " (B800)"},
        // A suffix longer than 31 characters leaves nothing of the source name.
        {"Holidays", " (W9223372036854775807, H9223372036854775807)",
         " (W9223372036854775807, H9223372036854775807)"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(outputfoldername(row.source, row.suffix), row.expected) << row.source;
}

TEST(TargetSize, FollowsTheRulesWithTruncation) {
    struct Row {
        const char* what;
        BatchSettings rule;
        std::int64_t W, H;
        PixelSize previous;
        PixelSize expected;
    };
    const BatchSettings biggest800{.proportionalMode = 0, .proportionalSize = 800};
    const BatchSettings smallest800{.proportionalMode = 1, .proportionalSize = 800};
    const BatchSettings box1024{.resizeType = 2, .boxWidth = 1024, .boxHeight = 768};
    const Row rows[] = {
        {"biggest, landscape", biggest800, 4000, 3000, {}, {800, 600}},
        {"biggest, portrait", biggest800, 3000, 4000, {}, {600, 800}},
        {"biggest, square goes by height", biggest800, 3000, 3000, {}, {800, 800}},
        {"smallest, landscape", smallest800, 4000, 3000, {}, {1066, 800}},
        {"smallest, portrait", smallest800, 3000, 4000, {}, {800, 1066}},
        {"width", {.proportionalMode = 2, .proportionalSize = 500}, 1000, 333, {}, {500, 166}},
        {"height", {.proportionalMode = 3, .proportionalSize = 400}, 1000, 333, {}, {1201, 400}},
        {"percent", {.proportionalMode = 4, .proportionalSize = 33}, 1001, 333, {}, {330, 109}},
        {"percent of a thin picture",
         {.proportionalMode = 4, .proportionalSize = 50},
         199,
         1,
         {},
         {99, 0}},
        {"unknown mode keeps the previous size",
         {.proportionalMode = 5, .proportionalSize = 800},
         4000,
         3000,
         {12, 34},
         {12, 34}},
        {"unknown mode on the first picture", {.proportionalMode = 9}, 4000, 3000, {}, {0, 0}},
        {"independent pixels and percent",
         {.resizeType = 1,
          .independentHeight = 50,
          .independentWidth = 300,
          .independentHeightMode = 1},
         801,
         601,
         {},
         {300, 300}},
        {"independent percent of width",
         {.resizeType = 1,
          .independentHeight = 100,
          .independentWidth = 50,
          .independentWidthMode = 7},
         801,
         601,
         {},
         {400, 100}},
        {"clamp per axis",
         {.bigger = true, .resizeType = 1, .independentHeight = 100, .independentWidth = 1000},
         800,
         600,
         {},
         {800, 100}},
        {"box, width branch",
         {.resizeType = 2, .boxWidth = 800, .boxHeight = 800},
         4000,
         3000,
         {},
         {800, 600}},
        {"box, height branch",
         {.resizeType = 2, .boxWidth = 600, .boxHeight = 600},
         1000,
         3000,
         {},
         {200, 600}},
        {"box, equal ratios go by height",
         {.resizeType = 2, .boxWidth = 1280, .boxHeight = 720},
         1920,
         1080,
         {},
         {1280, 720}},
        {"box, quotient first", box1024, 1250, 1250, {}, {767, 768}},
        {"box enlarges", box1024, 800, 600, {}, {1024, 768}},
        {"box clamped",
         {.bigger = true, .resizeType = 2, .boxWidth = 1024, .boxHeight = 768},
         800,
         600,
         {},
         {800, 600}},
        {"box for resizeType 3",
         {.resizeType = 3, .boxWidth = 800, .boxHeight = 800},
         4000,
         3000,
         {},
         {800, 600}},
        {"box for resizeType -1",
         {.resizeType = -1, .proportionalSize = 100, .boxWidth = 800, .boxHeight = 800},
         4000,
         3000,
         {},
         {800, 600}},
        {"box of zero width",
         {.resizeType = 2, .boxWidth = 0, .boxHeight = 768},
         800,
         600,
         {},
         {0, 0}},
        // The product wraps (2 x max is -2) instead of overflowing.
        {"huge size wraps", {.proportionalMode = 2, .proportionalSize = kMax}, 3, 2, {}, {kMax, 0}},
    };
    for (const Row& row : rows) {
        const PixelSize got = targetsize(row.rule, row.W, row.H, row.previous);
        EXPECT_EQ(got, row.expected) << row.what << ": got " << got.width << " x " << got.height;
    }
}

TEST(SetName, DerivesTheBaseName) {
    struct Row {
        std::string name;
        bool web, dos;
        std::string expected;
    };
    const Row rows[] = {
        {"My Photo 1.JPG", false, false, "My Photo 1"},
        {"My Photo 1.JPG", false, true, "My Photo 1"},  // DOS names need web-ready names
        {"archive.tar.gz", false, false, "archive.tar"},
        {"archive.tar.gz", true, true, "archive."},
        {"noext", false, false, "noext"},
        {"noext", true, false, "noext"},
        {".hidden", false, false, ""},
        {".hidden", true, true, ""},
        {"photo.", false, false, "photo"},
        {"\xC3\x9C"
         "ber Caf\xC3\xA9.png",
         false, false,
         "\xC3\x9C"
         "ber Caf\xC3\xA9"},
        {"My Photo 1.JPG", true, false, "my_photo_1"},
        {"My Photo 1.JPG", true, true, "my_photo"},
        {"100% sure.png", true, false, "100%_sure"},
        {"a-b c.jpg", true, false, "ab_c"},
        {"\xC3\x89t\xC3\xA9 \xC3\xA0 Paris.jpg", true, false, "t__paris"},  // Été à Paris
        {"UPPER.Case.PNG", true, false, "upper.case"},
        // The cut counts the kept characters, after the dropped ones are gone.
        {"\xC3\xA9"
         "abcdefghij.png",
         true, true, "abcdefgh"},
    };
    for (const Row& row : rows) {
        Settings settings;
        settings.nameWeb = row.web;
        settings.nameDOS = row.dos;
        EXPECT_EQ(settings.setname(nullptr, row.name), row.expected)
            << row.name << " web " << row.web << " dos " << row.dos;
    }
}

std::string times(int n, const std::string& piece) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += piece;
    return out;
}

// A base is cut so that it and what follows it in the saved name fit in 255 bytes, never inside a
// character.
TEST(FitName, CutsLongBaseNamesAtACharacterBoundary) {
    const std::string e = "\xC3\xA9";              // é, 2 bytes
    const std::string bad = "\xEF\xBF\xBD";        // U+FFFD, what a byte that is not UTF-8 shows
    const std::string smile = "\xF0\x9F\x98\x80";  // 4 bytes
    struct Row {
        const char* what;
        std::string base, tail, expected;
    };
    const Row rows[] = {
        {"short", "holiday", ".jpg", "holiday"},
        {"empty", "", ".jpg", ""},
        {"just fits", std::string(251, 'a'), ".jpg", std::string(251, 'a')},
        {"one byte over", std::string(252, 'a'), ".jpg", std::string(251, 'a')},
        {"fits with .jpg but not with -2", std::string(250, 'v'), "-2.jpg", std::string(249, 'v')},
        {"104 bytes of Latin-1 shown as 300", times(100, bad), ".jpg", times(83, bad)},
        {"two-byte characters that fit", times(125, e), ".jpg", times(125, e)},
        {"cut between two-byte characters", "a" + times(126, e), ".jpg", "a" + times(125, e)},
        {"cut inside a two-byte character", times(126, e), ".jpg", times(125, e)},
        {"cut inside a four-byte character", std::string(249, 'a') + smile, ".jpg",
         std::string(249, 'a')},
        {"a longer tail leaves less room", std::string(250, 'v'), "-10.jpeg",
         std::string(247, 'v')},
        {"a tail that leaves no room", "abc", std::string(260, 'x'), ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string got = fitname(row.base, row.tail);
        EXPECT_EQ(got, row.expected) << got.size() << " bytes";
        if (row.tail.size() < 255) {
            EXPECT_LE(got.size() + row.tail.size(), 255u);
        }
    }
}

TEST(UniqueName, NumbersCollisionsInTheFolder) {
    struct Row {
        std::vector<std::string> existing;
        std::string base, extension, expected;
    };
    const Row rows[] = {
        {{}, "a", "jpg", "a"},
        {{"a.jpg"}, "a", "jpg", "a-2"},
        {{"a.jpg", "a-2.jpg"}, "a", "jpg", "a-3"},
        {{"a.jpg", "a-3.jpg"}, "a", "jpg", "a-2"},
        {{"a.png"}, "a", "jpg", "a"},  // only the same extension collides
        {{}, "", "jpg", ""},
        {{".jpg"}, "", "jpg", "-2"},
        {{"my_photo.jpg"}, "my_photo", "jpg", "my_photo-2"},
        {{"x.png", "x-2.png"}, "x", "png", "x-3"},
        // Cut only when the name saved, with its number when it needs one, would not fit.
        {{}, std::string(251, 'a'), "jpg", std::string(251, 'a')},
        {{}, std::string(252, 'a'), "jpg", std::string(251, 'a')},
        {{std::string(251, 'a') + ".jpg"},
         std::string(251, 'a'),
         "jpg",
         std::string(249, 'a') + "-2"},
        {{std::string(251, 'a') + ".jpg"},
         std::string(300, 'a'),
         "jpg",
         std::string(249, 'a') + "-2"},
        {{std::string(251, 'a') + ".jpg", std::string(249, 'a') + "-2.jpg"},
         std::string(251, 'a'),
         "jpg",
         std::string(249, 'a') + "-3"},
    };
    for (const Row& row : rows) {
        TestFolder folder;
        for (const auto& name : row.existing)
            folder.writeFile(name, "taken");
        EXPECT_EQ(uniquename(folder.item(""), row.base, row.extension), row.expected)
            << "'" << row.base << "' (" << row.base.size() << " bytes) with " << row.existing.size()
            << " taken";
    }
}

}  // namespace
