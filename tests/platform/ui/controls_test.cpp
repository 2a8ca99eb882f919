#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "engine/framework/controls.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/menuitem.h"
#include "uitestwindow.h"

namespace {

// Each control's change event, fired by code changes and by user input, never by a value that
// the control already holds.
TEST(ChangeEvents, CodeChangesFireOnceAndEqualValuesNever) {
    OpenedWindow w([](TestWindow&) {});
    auto field = w->add<fw::TextField>("EFPSize", 10, 10, 80, 22);
    auto popup = w->add<fw::PopupMenu>("PMQuality", 10, 40, 150, 22);
    popup->setInitialValue("Excellent (90)\rGood (80)\rCustom");
    popup->setListIndex(1);
    auto check = w->add<fw::CheckBox>("CBName", 10, 70, 200, 20);
    auto slider = w->add<fw::Slider>("SLQuality", 10, 100, 200, 15);
    slider->setMinimumValue(1);
    slider->setMaximumValue(100);
    slider->setValue(80);

    int text = 0, change = 0, action = 0, moved = 0;
    field->TextChange.addHandler([&](fw::TextField&) { ++text; });
    popup->Change.addHandler([&](fw::PopupMenu&) { ++change; });
    check->Action.addHandler([&](fw::CheckBox&) { ++action; });
    slider->ValueChanged.addHandler([&](fw::Slider&) { ++moved; });

    struct Step {
        const char* what;
        std::function<void()> run;
        int* counter;
        int expected;
    };
    const std::vector<Step> steps = {
        {"text set", [&] { field->setText("12"); }, &text, 1},
        {"same text", [&] { field->setText("12"); }, &text, 1},
        {"text emptied", [&] { field->setText(""); }, &text, 2},
        {"row set", [&] { popup->setListIndex(0); }, &change, 1},
        {"same row", [&] { popup->setListIndex(0); }, &change, 1},
        {"no row", [&] { popup->setListIndex(-1); }, &change, 2},
        {"row out of range is no row again", [&] { popup->setListIndex(7); }, &change, 2},
        {"ticked", [&] { check->setValue(true); }, &action, 1},
        {"ticked again", [&] { check->setValue(true); }, &action, 1},
        {"slider moved", [&] { slider->setValue(75); }, &moved, 1},
        {"slider same", [&] { slider->setValue(75); }, &moved, 1},
        {"slider beyond its maximum settles at it", [&] { slider->setValue(500); }, &moved, 2},
        {"beyond again: still the maximum", [&] { slider->setValue(101); }, &moved, 2},
        {"user types", [&] { fw::testing::typeInto(*field, "800"); }, &text, 5},
        {"user chooses a row", [&] { fw::testing::chooseRow(*popup, 2); }, &change, 3},
        {"user chooses the same row", [&] { fw::testing::chooseRow(*popup, 2); }, &change, 3},
        {"user unticks", [&] { fw::testing::click(*check); }, &action, 2},
    };
    for (const auto& s : steps) {
        s.run();
        EXPECT_EQ(*s.counter, s.expected) << s.what;
    }
    EXPECT_EQ(field->Text(), "800");
    EXPECT_EQ(popup->ListIndex(), 2);
    EXPECT_EQ(popup->Text(), "Custom");
    EXPECT_FALSE(check->Value());
    EXPECT_EQ(slider->Value(), 100);
}

TEST(ChangeEvents, DisabledControlsStillTakeCodeChanges) {
    OpenedWindow w([](TestWindow&) {});
    auto field = w->add<fw::TextField>("EFIWidth", 10, 10, 80, 22);
    int text = 0;
    field->TextChange.addHandler([&](fw::TextField&) { ++text; });
    field->setEnabled(false);
    field->setText("45");
    EXPECT_EQ(field->Text(), "45");
    EXPECT_EQ(text, 1);
}

TEST(RadioButtons, SelectingClearsOnlyItsContainerAndActsOnBecomingSelected) {
    std::vector<std::string> actions;
    OpenedWindow w([&](TestWindow& win) {
        win.onCreate = [&](TestWindow& self) {
            self.add<fw::GroupBox>("GroupBox1", 0, 0, 300, 200);
            for (int i = 0; i < 3; ++i) {
                auto r = self.add<fw::RadioButton>(i == 1 ? "RBtype" : "RBType", 10, 20 + 30 * i,
                                                   200, 20, "GroupBox1");
                r->setIndex(i);
                r->setCaption("Rule " + std::to_string(i));
            }
            auto other = self.add<fw::RadioButton>("RBOther", 10, 220, 200, 20);
            other->setValue(true);
        };
    });
    auto member = [&](int i) {
        return dynamic_cast<fw::RadioButton*>(w->ControlByNameIndex("RBType", i));
    };
    ASSERT_NE(member(1), nullptr);  // added as "RBtype"
    auto* other = dynamic_cast<fw::RadioButton*>(w->ControlByName("rbother"));
    ASSERT_NE(other, nullptr);
    for (int i = 0; i < 3; ++i)
        member(i)->Action.addHandler(
            [&, i](fw::RadioButton&) { actions.push_back(std::to_string(i)); });

    member(0)->setValue(true);
    member(0)->setValue(true);
    member(2)->setValue(true);
    EXPECT_EQ(actions, (std::vector<std::string>{"0", "2"}));
    EXPECT_FALSE(member(0)->Value());
    EXPECT_TRUE(other->Value()) << "another container keeps its selection";

    fw::testing::click(*member(1));
    EXPECT_TRUE(member(1)->Value());
    EXPECT_FALSE(member(2)->Value());
    fw::testing::click(*member(1));  // a click on the selected button changes nothing
    EXPECT_TRUE(member(1)->Value());
    EXPECT_EQ(actions, (std::vector<std::string>{"0", "2", "1"}));
    EXPECT_EQ(w->ControlByNameIndex("RBType", 3), nullptr);
}

TEST(PopupMenu, ItemListsSplitAtCrOrCrLf) {
    struct Case {
        std::string items;
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {"JPEG\r\nPNG", {"JPEG", "PNG"}},
        {"Pixels\rPercent", {"Pixels", "Percent"}},
        {"A\rB\r\nC", {"A", "B", "C"}},
        {"One", {"One"}},
        {"", {}},
        {"A\r\rB", {"A", "", "B"}},
        {"Trailing\r", {"Trailing"}},
    };
    fw::PopupMenu popup;
    for (const auto& c : cases) {
        popup.setInitialValue(c.items);
        std::vector<std::string> rows;
        for (std::int64_t i = 0; i < popup.RowCount(); ++i)
            rows.push_back(popup.List(i));
        EXPECT_EQ(rows, c.rows) << c.items;
        EXPECT_EQ(popup.ListIndex(), -1);
        EXPECT_EQ(popup.InitialValue(), c.items);
    }
    popup.setInitialValue("JPEG\r\nPNG");
    popup.setListIndex(1);
    EXPECT_EQ(popup.Text(), "PNG");
    int change = 0;
    popup.Change.addHandler([&](fw::PopupMenu&) { ++change; });
    popup.DeleteAllRows();
    EXPECT_EQ(popup.ListIndex(), -1);
    EXPECT_EQ(change, 1);
    popup.setListIndex(0);  // requested while it has no rows: no row
    EXPECT_EQ(popup.ListIndex(), -1);
    EXPECT_EQ(change, 1);
    EXPECT_THROW((void)popup.List(0), fw::OutOfBoundsException);
}

TEST(PushButtons, ReturnPressesTheDefaultAndEscapeTheCancelButton) {
    std::vector<std::string> pressed;
    OpenedWindow w([&](TestWindow& win) {
        win.onCreate = [&](TestWindow& self) {
            self.add<fw::TextField>("EFPSize", 10, 10, 80, 22);
            auto select = self.add<fw::PushButton>("PBSelect", 100, 10, 84, 20);
            auto go = self.add<fw::PushButton>("PBGo", 100, 40, 84, 20);
            go->setDefault(true);
            select->Action.addHandler([&](fw::PushButton&) { pressed.push_back("Select"); });
            go->Action.addHandler([&](fw::PushButton&) { pressed.push_back("Go"); });
        };
    });
    auto* field = dynamic_cast<fw::TextField*>(w->ControlByName("EFPSize"));
    auto* go = dynamic_cast<fw::PushButton*>(w->ControlByName("PBGo"));
    auto* select = dynamic_cast<fw::PushButton*>(w->ControlByName("PBSelect"));
    fw::testing::typeInto(*field, "5");

    struct Step {
        std::function<void()> before;
        const char* keys;
        std::vector<std::string> expected;
    };
    const std::vector<Step> steps = {
        {[] {}, "Return", {"Go"}},
        {[] {}, "Enter", {"Go", "Go"}},
        {[] {}, "Escape", {"Go", "Go"}},  // no cancel button yet
        {[&] { go->setCancel(true); }, "Escape", {"Go", "Go", "Go"}},
        {[&] { go->setEnabled(false); }, "Return", {"Go", "Go", "Go"}},
        {[&] {
             go->setEnabled(true);
             go->setDefault(false);
             select->setDefault(true);
         },
         "Return",
         {"Go", "Go", "Go", "Select"}},
    };
    for (const auto& s : steps) {
        s.before();
        fw::testing::pressKeys(*w, s.keys);
        EXPECT_EQ(pressed, s.expected) << s.keys;
    }
    fw::testing::click(*go);
    EXPECT_EQ(pressed.back(), "Go");
}

TEST(ProgressBar, AcceptsAnyMaximumAndValue) {
    OpenedWindow w([](TestWindow&) {});
    auto bar = w->add<fw::ProgressBar>("PB", 10, 10, 200, 12);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::pair<std::int64_t, double>> cases = {
        {-1, 0}, {0, 0}, {0, 5}, {4, 9}, {100, -3}, {100, 1e300}, {3, nan}, {1, 1}};
    for (const auto& [maximum, value] : cases) {
        EXPECT_NO_THROW(bar->setMaximumValue(maximum));
        EXPECT_NO_THROW(bar->setValue(value));
        EXPECT_EQ(bar->MaximumValue(), maximum);
        if (!std::isnan(value)) {
            EXPECT_EQ(bar->Value(), value);
        }
    }
    bar->setIndeterminate(true);
    fw::testing::processEvents();
}

}  // namespace

namespace fw {
// Colours in failure messages as their components.
void PrintTo(const Color& c, std::ostream* out) {
    *out << "RGB(" << int{c.red} << ", " << int{c.green} << ", " << int{c.blue} << ")";
}
}  // namespace fw

namespace {

// A disabled label draws its text in the style's disabled colour; its own colour applies while it
// is enabled.
TEST(Label, DisabledTextLooksDisabledWhateverItsColour) {
    OpenedWindow w([](TestWindow&) {});
    auto plain = w->add<fw::Label>("STJPEGQuality", 10, 10, 200, 20);
    plain->setCaption("JPEG Quality:");
    auto red = w->add<fw::Label>("STStatus", 10, 40, 200, 20);
    red->setCaption("Folder 'Holidays' processed");
    red->setTextColor(fw::RGB(200, 0, 0));
    const auto grey = [](fw::Color c) { return (c.red + c.green + c.blue) / 3; };
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        plain->setEnabled(true);
        red->setEnabled(true);
        EXPECT_EQ(fw::testing::inkOf(*plain), fw::RGB(0, 0, 0));
        EXPECT_EQ(fw::testing::inkOf(*red), fw::RGB(200, 0, 0));

        plain->setEnabled(false);
        red->setEnabled(false);
        const fw::Color disabled = fw::testing::inkOf(*plain);
        EXPECT_GT(grey(disabled), 100);
        EXPECT_EQ(fw::testing::inkOf(*red), disabled);
    }
}

TEST(DisclosureTriangle, ClickFlipsTheValueThenActsCodeDoesNotAct) {
    OpenedWindow w([](TestWindow&) {});
    auto triangle = w->add<fw::DisclosureTriangle>("DTSettings", 16, 103, 12, 12);
    triangle->setValue(true);
    std::vector<bool> seen;
    triangle->Action.addHandler([&](fw::DisclosureTriangle& t) { seen.push_back(t.Value()); });
    fw::testing::click(*triangle);
    fw::testing::click(*triangle);
    EXPECT_EQ(seen, (std::vector<bool>{false, true}));
    triangle->setValue(false);
    EXPECT_EQ(seen.size(), 2u);
    triangle->setEnabled(false);
    fw::testing::click(*triangle);
    EXPECT_FALSE(triangle->Value());
    EXPECT_EQ(seen.size(), 2u);
}

TEST(Threads, ControlAndWindowMembersRefuseOtherThreads) {
    OpenedWindow w([](TestWindow&) {});
    auto label = w->add<fw::Label>("STStatus", 10, 10, 200, 20);
    std::vector<std::string> refused;
    std::shared_ptr<fw::Window> found;
    std::thread worker([&] {
        const std::vector<std::pair<const char*, std::function<void()>>> calls = {
            {"Label::setCaption", [&] { label->setCaption("x"); }},
            {"Control::Enabled", [&] { (void)label->Enabled(); }},
            {"Window::setWidth", [&] { w->setWidth(10); }},
            {"Window::ControlByName", [&] { (void)w->ControlByName("STStatus"); }},
            {"new Label", [] { fw::Label l; }},
            {"new MenuItem", [] { fw::MenuItem m; }},
        };
        for (const auto& [name, call] : calls) {
            try {
                call();
            } catch (const fw::ThreadAccessingUIException&) {
                refused.push_back(name);
            }
        }
        found = fw::Window::FindOpen("Test.Window");  // safe on any thread
    });
    worker.join();
    EXPECT_EQ(refused.size(), 6u);
    EXPECT_EQ(found.get(), w.window.get());
    EXPECT_EQ(label->Caption(), "");
}

}  // namespace
