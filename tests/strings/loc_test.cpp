#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/testing/systemhooks.h"
#include "strings/loc.h"

namespace {

struct Entry {
    const char* key;
    std::function<std::string(const std::string&)> fn;
    std::string english;
};

// Every key in the table's own order, with its English text.
const std::vector<Entry>& table() {
    static const std::vector<Entry> t = {
        {"sizewanted", loc::sizewanted, "Size wanted:"},
        {"dimheight", loc::dimheight, "Height:"},
        {"dimwidth", loc::dimwidth, "Width:"},
        {"folder", loc::folder, "Folder:"},
        {"nofolderselected", loc::nofolderselected, "No folder selected"},
        {"increase", loc::increase, "Increase picture size if needed"},
        {"exportsettings", loc::exportsettings, "Exportation settings"},
        {"exportformat", loc::exportformat, "Export as:"},
        {"makenameswebready", loc::makenameswebready, "Make names web-ready"},
        {"dosformat", loc::dosformat, "DOS format (8 characters + extension)"},
        {"resizesettings", loc::resizesettings, "Resizing settings"},
        {"proportional", loc::proportional, "Proportional resizing"},
        {"sizewantedmenu", loc::sizewantedmenu,
         "Biggest (pixel)\rSmallest (pixel)\rWidth (pixel)\rHeight (pixel)\rPercent"},
        {"boxresizing", loc::boxresizing, "Box resizing"},
        {"boxmaxwidth", loc::boxmaxwidth, "Maximum width:"},
        {"boxmaxheight", loc::boxmaxheight, "Maximum height:"},
        {"independant", loc::independant, "Independant resizing"},
        {"menuindependant", loc::menuindependant, "Pixels\rPercent"},
        {"jpegquality", loc::jpegquality, "JPEG Quality:"},
        {"buttonselect", loc::buttonselect, "Select"},
        {"jpegqualitymenu", loc::jpegqualitymenu,
         "Excellent (90)\rGood (80)\rDecent (60)\rLow (40)\rCustom"},
        {"buttongo", loc::buttongo, "Go"},
        {"aboutvimbel", loc::aboutvimbel, "About Vimbel"},
        {"menuhelp", loc::menuhelp, "Help"},
        {"menuvimbelhelp", loc::menuvimbelhelp, "Vimbel! Help"},
        {"menufile", loc::menufile, "File"},
        {"menuquit", loc::menuquit, "Quit"},
        {"menuundo", loc::menuundo, "Undo"},
        {"menucopy", loc::menucopy, "Copy"},
        {"menupaste", loc::menupaste, "Paste"},
        {"menucut", loc::menucut, "Cut"},
        {"menuedit", loc::menuedit, "Edit"},
        {"menuclear", loc::menuclear, "Clear"},
        {"initialbiggest", loc::initialbiggest, "B"},
        {"initialsmallest", loc::initialsmallest, "S"},
        {"initialwidth", loc::initialwidth, "W"},
        {"initialheight", loc::initialheight, "H"},
        {"theadprocessing", loc::theadprocessing, "Processing picture <0> of <1>"},
        {"theadprocessed", loc::theadprocessed, "Folder '<0>' processed"},
        {"lang", loc::lang, "en"},
        {"helptitle", loc::helptitle, "Vimbel! Help"},
        {"helpindex", loc::helpindex, "Index"},
        {"helphistoric", loc::helphistoric, "Release Notes"},
        {"helpresizesettings", loc::helpresizesettings, "Resize Settings"},
        {"helpexportsettings", loc::helpexportsettings, "Export Settings"},
        {"helpfaq", loc::helpfaq, "FAQ"},
        {"credittranslation", loc::credittranslation, "Translations:"},
        {"creditgerman", loc::creditgerman, "German: Tovrin"},
        {"creditspanish", loc::creditspanish, "Castilian: Brelvan"},
    };
    return t;
}

TEST(StringTable, EnglishTextsByteForByte) {
    for (const auto& e : table())
        EXPECT_EQ(e.fn(""), e.english) << e.key;
}

// Each accessor asks the framework's lookup once, with "loc." and its key, its English text and
// the language it was given, in that order, and returns the answer unchanged.
TEST(StringTable, AsksTheLookupWithKeyEnglishAndLanguage) {
    struct Call {
        std::string key, english, language;
    };
    std::vector<Call> calls;
    struct Restore {
        ~Restore() { fw::testing::setLocalizedStringHandler({}); }
    } restore;
    fw::testing::setLocalizedStringHandler(
        [&calls](const std::string& key, const std::string& english, const std::string& language) {
            calls.push_back({key, english, language});
            return "answer to " + key + " in " + language;
        });
    for (const auto& e : table()) {
        SCOPED_TRACE(e.key);
        calls.clear();
        const std::string key = std::string("loc.") + e.key;
        EXPECT_EQ(e.fn("de"), "answer to " + key + " in de");
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].key, key);
        EXPECT_EQ(calls[0].english, e.english);
        EXPECT_EQ(calls[0].language, "de");
    }
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
