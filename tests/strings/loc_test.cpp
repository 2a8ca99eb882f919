#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "strings/loc.h"

namespace {

struct Entry {
    const char* key;
    std::function<std::string(const std::string&)> fn;
    std::string english;
};

const std::vector<Entry>& table() {
    static const std::vector<Entry> t = {
        {"sizewantedmenu", loc::sizewantedmenu,
         "Biggest (pixel)\rSmallest (pixel)\rWidth (pixel)\rHeight (pixel)\rPercent"},
        {"menuindependant", loc::menuindependant, "Pixels\rPercent"},
        {"jpegqualitymenu", loc::jpegqualitymenu,
         "Excellent (90)\rGood (80)\rDecent (60)\rLow (40)\rCustom"},
        {"theadprocessing", loc::theadprocessing, "Processing picture <0> of <1>"},
        {"theadprocessed", loc::theadprocessed, "Folder '<0>' processed"},
        {"lang", loc::lang, "en"},
        {"independant", loc::independant, "Independant resizing"},
        {"exportsettings", loc::exportsettings, "Exportation settings"},
        {"menuvimbelhelp", loc::menuvimbelhelp, "Vimbel! Help"},
        {"helptitle", loc::helptitle, "Vimbel! Help"},
        {"dosformat", loc::dosformat, "DOS format (8 characters + extension)"},
        {"initialbiggest", loc::initialbiggest, "B"},
        {"creditspanish", loc::creditspanish, "Castilian: Brelvan"},
    };
    return t;
}

TEST(StringTable, EnglishTextsByteForByte) {
    for (const auto& e : table())
        EXPECT_EQ(e.fn(""), e.english) << e.key;
}

TEST(StringTable, ItemListsAreCrJoinedWithoutOuterSeparators) {
    struct List {
        std::string text;
        std::size_t bytes;
        long crs;
    };
    for (const List& l :
         {List{loc::sizewantedmenu(""), 69, 4}, List{loc::menuindependant(""), 14, 1},
          List{loc::jpegqualitymenu(""), 52, 4}}) {
        EXPECT_EQ(l.text.size(), l.bytes);
        EXPECT_EQ(std::count(l.text.begin(), l.text.end(), '\r'), l.crs);
        EXPECT_NE(l.text.front(), '\r');
        EXPECT_NE(l.text.back(), '\r');
        EXPECT_EQ(l.text.find('\n'), std::string::npos);
    }
}

}  // namespace
