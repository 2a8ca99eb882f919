// The main window's layout pinned object by object, as the live window shows it, and the order in
// which the keyboard visits it: at opening, by Tab, and folded to the top strip.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/framework/controls.h"
#include "engine/framework/window.h"
#include "engine/threadresize.h"
#include "mainwindow/main.h"
#include "platform/testing/testing.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

struct Laid {
    const char* name;
    std::int64_t index;  // -1: not an array member
    const char* className;
    const char* container;  // "" for the window
    int left, top, width, height;
    std::int64_t tabIndex;
    bool enabled;
    // A caption, a text field's text, or a pop-up's rows joined by "|".
    const char* caption;
};

// The window's 35 controls as laid out, in creation order, with their captions in English; the
// worker object (between PB and STStatus) is checked apart.
const std::vector<Laid> layout = {
    {"GroupBox1", -1, "GroupBox", "", 368, 4, 365, 311, 0, true, "Resizing settings"},
    {"StaticText1", -1, "Label", "GroupBox1", 410, 70, 89, 16, 0, true, "Size wanted:"},
    {"EFPSize", -1, "TextField", "GroupBox1", 512, 67, 44, 22, 1, true, ""},
    {"StaticText3", -1, "Label", "GroupBox1", 410, 242, 92, 16, 2, true, "Width:"},
    {"PMPType", -1, "PopupMenu", "GroupBox1", 569, 67, 146, 21, 3, true,
     "Biggest (pixel)|Smallest (pixel)|Width (pixel)|Height (pixel)|Percent"},
    {"EFIWidth", -1, "TextField", "GroupBox1", 511, 239, 45, 22, 4, false, ""},
    {"PMIWidth", -1, "PopupMenu", "GroupBox1", 568, 238, 146, 21, 5, false, "Pixels|Percent"},
    {"StaticText4", -1, "Label", "GroupBox1", 410, 273, 92, 16, 6, true, "Height:"},
    {"EFIHeight", -1, "TextField", "GroupBox1", 511, 270, 45, 22, 7, false, ""},
    {"PMIHeight", -1, "PopupMenu", "GroupBox1", 568, 271, 146, 18, 8, false, "Pixels|Percent"},
    {"StaticText6", -1, "Label", "GroupBox1", 411, 141, 198, 16, 9, true, "Maximum width:"},
    {"EFBWidth", -1, "TextField", "GroupBox1", 634, 140, 80, 22, 10, false, ""},
    {"StaticText7", -1, "Label", "GroupBox1", 411, 172, 198, 16, 11, true, "Maximum height:"},
    {"EFBHeight", -1, "TextField", "GroupBox1", 634, 171, 80, 22, 12, false, ""},
    {"RBType", 0, "Main.RBType", "GroupBox1", 382, 38, 280, 20, 13, true, "Proportional resizing"},
    {"RBType", 1, "Main.RBType", "GroupBox1", 382, 207, 292, 19, 14, true, "Independant resizing"},
    {"RBType", 2, "Main.RBType", "GroupBox1", 381, 109, 281, 19, 15, true, "Box resizing"},
    {"GroupBox2", -1, "GroupBox", "", 13, 117, 343, 198, 1, true, "Exportation settings"},
    {"CBIncrease", -1, "CheckBox", "GroupBox2", 25, 228, 316, 20, 0, true,
     "Increase picture size if needed"},
    {"STJPEGQuality", -1, "Label", "GroupBox2", 25, 170, 162, 20, 1, true, "JPEG Quality:"},
    {"PMQuality", -1, "PopupMenu", "GroupBox2", 194, 172, 147, 20, 2, true,
     "Excellent (90)|Good (80)|Decent (60)|Low (40)|Custom"},
    {"SLQuality", -1, "Slider", "GroupBox2", 24, 203, 289, 15, 3, true, ""},
    {"STQuality", -1, "Label", "GroupBox2", 306, 198, 35, 20, 4, true, "80"},
    {"CBName", -1, "CheckBox", "GroupBox2", 24, 260, 316, 20, 5, true, "Make names web-ready"},
    {"CBDos", -1, "CheckBox", "GroupBox2", 52, 284, 288, 20, 6, false,
     "DOS format (8 characters + extension)"},
    {"StaticText51", -1, "Label", "GroupBox2", 24, 141, 162, 20, 7, true, "Export as:"},
    {"PMExportFormat", -1, "PopupMenu", "GroupBox2", 194, 141, 146, 20, 8, true, "JPEG|PNG"},
    {"StaticText2", -1, "Label", "", 13, 16, 60, 16, 2, true, "Folder:"},
    {"STFolder", -1, "Label", "", 85, 16, 175, 16, 3, true, "No folder selected"},
    {"PBSelect", -1, "PushButton", "", 272, 14, 84, 20, 4, true, "Select"},
    {"PBGo", -1, "PushButton", "", 272, 51, 84, 20, 5, false, "Go"},
    {"PB", -1, "ProgressBar", "", 13, 56, 247, 12, 6, true, ""},
    {"STStatus", -1, "Label", "", 13, 77, 343, 20, 8, true, ""},
    {"DTSettings", -1, "DisclosureTriangle", "", 16, 103, 12, 12, 9, false, ""},
    {"Separator1", -1, "Separator", "", 34, 105, 322, 4, 10, true, ""},
};

std::string captionOf(fw::Control& c) {
    if (auto* box = dynamic_cast<fw::GroupBox*>(&c))
        return box->Caption();
    if (auto* label = dynamic_cast<fw::Label*>(&c))
        return label->Caption();
    if (auto* field = dynamic_cast<fw::TextField*>(&c))
        return field->Text();
    if (auto* radio = dynamic_cast<fw::RadioButton*>(&c))
        return radio->Caption();
    if (auto* check = dynamic_cast<fw::CheckBox*>(&c))
        return check->Caption();
    if (auto* button = dynamic_cast<fw::PushButton*>(&c))
        return button->Caption();
    if (auto* popup = dynamic_cast<fw::PopupMenu*>(&c)) {
        std::string rows;
        for (std::int64_t row = 0; row < popup->RowCount(); ++row)
            rows += (row > 0 ? "|" : "") + popup->List(row);
        return rows;
    }
    return "";
}

// A control named as in the table: its name, and its index for array members.
std::string nameOf(const fw::Control* c) {
    if (c == nullptr)
        return "(none)";
    return c->Index() == fw::Control::NoIndex ? c->Name()
                                              : c->Name() + "(" + std::to_string(c->Index()) + ")";
}

class LayoutTest : public windowsandbox::MainWindowFixture {
protected:
    [[nodiscard]] fw::Control& control(const Laid& row) const {
        fw::Object* found = row.index < 0 ? window->ControlByName(row.name)
                                          : window->ControlByNameIndex(row.name, row.index);
        auto* typed = dynamic_cast<fw::Control*>(found);
        if (typed == nullptr)
            throw std::runtime_error(std::string("no control ") + row.name);
        return *typed;
    }

    [[nodiscard]] std::string focused() const {
        return nameOf(fw::testing::focusedControl(*window));
    }

    // The controls that Tab visits from the focus, until it comes back to where it started.
    [[nodiscard]] std::vector<std::string> tabCycle() const {
        std::vector<std::string> visited{focused()};
        for (int step = 0; step < 40; ++step) {
            fw::testing::pressKeys(*window, "Tab");
            const std::string now = focused();
            if (now == visited.front())
                return visited;
            visited.push_back(now);
        }
        return visited;
    }

    // Closes the window as the user does, which saves its settings, and opens it again.
    void reopen() {
        fw::testing::closeFromTitleBar(*window);
        fw::testing::processEvents();
        window = the::Main();
        fw::testing::processEvents();
    }
};

TEST_F(LayoutTest, EveryObjectStandsWhereItIsLaidOut) {
    ASSERT_EQ(window->Width(), 746);
    ASSERT_EQ(window->Height(), 322);
    std::vector<std::string> order;
    for (fw::Object* object : window->controls()) {
        if (auto* c = dynamic_cast<fw::Control*>(object))
            order.push_back(nameOf(c));
        else
            order.push_back(dynamic_cast<threadResize*>(object) != nullptr ? "internalthread"
                                                                           : "?");
    }
    std::vector<std::string> expected;
    for (const Laid& row : layout) {
        SCOPED_TRACE(std::string(row.name) + " " + std::to_string(row.index));
        fw::Control& c = control(row);
        expected.push_back(nameOf(&c));
        if (expected.back() == "PB")
            expected.push_back("internalthread");
        EXPECT_EQ(c.ClassName(), row.className);
        EXPECT_EQ(c.InitialParent(), row.container);
        EXPECT_EQ(fw::testing::placementOf(c),
                  (fw::testing::Placement{row.left, row.top, row.width, row.height, true}));
        EXPECT_EQ(c.Left(), row.left);
        EXPECT_EQ(c.Top(), row.top);
        EXPECT_EQ(c.Width(), row.width);
        EXPECT_EQ(c.Height(), row.height);
        EXPECT_EQ(c.TabIndex(), row.tabIndex);
        EXPECT_TRUE(c.Visible());
        EXPECT_EQ(c.Enabled(), row.enabled);
        EXPECT_EQ(captionOf(c), row.caption);
    }
    // Creation order, the worker among them.
    EXPECT_EQ(order, expected);
}

// Tab follows the tab indices, each group box's controls after the box, and passes over what is
// disabled or takes no keyboard focus (labels, the progress bar, the triangle). Member 1 of the
// radio buttons carries the name it was added under, "RBtype".
TEST_F(LayoutTest, FocusStartsWhereTheTabOrderStartsAndTabFollowsIt) {
    EXPECT_EQ(focused(), "EFPSize");
    EXPECT_EQ(tabCycle(),
              (std::vector<std::string>{"EFPSize", "PMPType", "RBType(0)", "RBtype(1)", "RBType(2)",
                                        "CBIncrease", "PMQuality", "SLQuality", "CBName",
                                        "PMExportFormat", "PBSelect"}));

    // With the box rule restored, the first enabled control of the order is the box width.
    fw::testing::click(*window->RBType(2));
    reopen();
    EXPECT_EQ(focused(), "EFBWidth");
}

// Folded, the group boxes are out of sight, and so out of reach of the keyboard; unfolded, the
// whole order is back. Nothing moves.
TEST_F(LayoutTest, FoldedTheKeyboardStaysInTheTopStrip) {
    std::vector<fw::testing::Placement> unfolded;
    for (const Laid& row : layout)
        unfolded.push_back(fw::testing::placementOf(control(row)));

    fw::testing::typeInto(*window->EFPSize(), "800");
    fw::testing::click(*window->DTSettings());
    reopen();
    ASSERT_EQ(window->Width(), 366);
    ASSERT_EQ(window->Height(), 117);
    EXPECT_EQ(focused(), "PBSelect");
    window->f = fw::FolderItem::fromNativePath(windowsandbox::folder("pictures").string());
    window->enablego();
    EXPECT_EQ(tabCycle(), (std::vector<std::string>{"PBSelect", "PBGo"}));
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const fw::testing::Placement now = fw::testing::placementOf(control(layout[i]));
        const bool inStrip = std::string(layout[i].container).empty() &&
                             std::string(layout[i].name) != "GroupBox1" &&
                             std::string(layout[i].name) != "GroupBox2";
        EXPECT_EQ(now.shown, inStrip) << layout[i].name;
        EXPECT_EQ(now.left, unfolded[i].left) << layout[i].name;
        EXPECT_EQ(now.top, unfolded[i].top) << layout[i].name;
        EXPECT_EQ(now.width, unfolded[i].width) << layout[i].name;
        EXPECT_EQ(now.height, unfolded[i].height) << layout[i].name;
    }

    fw::testing::click(*window->DTSettings());
    ASSERT_EQ(window->Width(), 746);
    EXPECT_EQ(focused(), "PBSelect");
    EXPECT_EQ(tabCycle(),
              (std::vector<std::string>{"PBSelect", "PBGo", "EFPSize", "PMPType", "RBType(0)",
                                        "RBtype(1)", "RBType(2)", "CBIncrease", "PMQuality",
                                        "SLQuality", "CBName", "PMExportFormat"}));
    for (std::size_t i = 0; i < layout.size(); ++i)
        EXPECT_EQ(fw::testing::placementOf(control(layout[i])), unfolded[i]) << layout[i].name;
}

}  // namespace
