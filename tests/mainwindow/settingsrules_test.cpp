// The settings rules driven as the user drives them: clicks, typing and pop-up choices on the real
// widgets of the main window.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/framework/controls.h"
#include "engine/framework/folderitem.h"
#include "mainwindow/main.h"
#include "platform/testing/testing.h"
#include "tests/mainwindow/windowsandbox.h"

using fw::testing::chooseRow;
using fw::testing::click;
using fw::testing::typeInto;

namespace {

class SettingsRulesTest : public windowsandbox::MainWindowFixture {
protected:
    void chooseFolder() {
        window->f = fw::FolderItem::fromNativePath(windowsandbox::folder("pictures").string());
    }

    [[nodiscard]] fw::TextField& field(const char* name) const {
        auto* found = dynamic_cast<fw::TextField*>(window->ControlByName(name));
        if (found == nullptr)
            throw std::runtime_error(std::string("no field ") + name);
        return *found;
    }

    // Which of the eight size controls are enabled, in their disabling order.
    [[nodiscard]] std::vector<bool> sizeControlsEnabled() const {
        Main& w = *window;
        return {w.EFPSize()->Enabled(),   w.PMPType()->Enabled(),  w.EFIWidth()->Enabled(),
                w.EFIHeight()->Enabled(), w.PMIWidth()->Enabled(), w.PMIHeight()->Enabled(),
                w.EFBWidth()->Enabled(),  w.EFBHeight()->Enabled()};
    }

    [[nodiscard]] std::vector<bool> qualityControlsEnabled() const {
        Main& w = *window;
        return {w.STJPEGQuality()->Enabled(), w.PMQuality()->Enabled(), w.SLQuality()->Enabled()};
    }
};

const std::vector<bool> proportionalOn = {true, true, false, false, false, false, false, false};
const std::vector<bool> independentOn = {false, false, true, true, true, true, false, false};
const std::vector<bool> boxOn = {false, false, false, false, false, false, true, true};

TEST_F(SettingsRulesTest, RuleSwitchEnablesTheRulesSizeControls) {
    Main& w = *window;
    typeInto(*w.EFPSize(), "640");
    click(*w.RBType(1));
    EXPECT_TRUE(w.RBType(1)->Value());
    EXPECT_FALSE(w.RBType(0)->Value());
    EXPECT_EQ(sizeControlsEnabled(), independentOn);
    click(*w.RBType(2));
    EXPECT_FALSE(w.RBType(1)->Value());
    EXPECT_EQ(sizeControlsEnabled(), boxOn);
    click(*w.RBType(0));
    EXPECT_EQ(sizeControlsEnabled(), proportionalOn);
    // Switching away and back finds the earlier entry again, and the check passes with it.
    EXPECT_EQ(w.EFPSize()->Text(), "640");
    EXPECT_TRUE(w.DTSettings()->Enabled());
}

struct SizeField {
    int rule;             // the radio-button member to select
    const char* field;    // the field under test
    const char* partner;  // the rule's other field, given a valid size; nullptr when none
};

TEST_F(SettingsRulesTest, SizeCheckFailsOnlyOnZero) {
    chooseFolder();
    const std::vector<SizeField> fields = {
        {0, "EFPSize", nullptr},      {1, "EFIWidth", "EFIHeight"}, {1, "EFIHeight", "EFIWidth"},
        {2, "EFBWidth", "EFBHeight"}, {2, "EFBHeight", "EFBWidth"},
    };
    struct Text {
        const char* text;
        bool passes;
    };
    const std::vector<Text> texts = {{"", false},    {"0", false},     {"0.0", false},
                                     {"abc", false}, {"-0", false},    {"-5", true},
                                     {"0.5", true},  {"100000", true}, {"", false}};
    for (const SizeField& f : fields) {
        click(*window->RBType(f.rule));
        if (f.partner != nullptr)
            typeInto(field(f.partner), "100");
        for (const Text& t : texts) {
            SCOPED_TRACE(std::string(f.field) + " = \"" + t.text + "\"");
            typeInto(field(f.field), t.text);
            EXPECT_EQ(window->PBGo()->Enabled(), t.passes);
            // The settings are shown, so the triangle can fold them only when the check passes.
            EXPECT_EQ(window->DTSettings()->Enabled(), t.passes);
        }
    }
}

TEST_F(SettingsRulesTest, SizeCheckReadsOnlyTheSelectedRule) {
    Main& w = *window;
    typeInto(*w.EFPSize(), "800");
    // A valid size without a source folder: the triangle may fold, Go may not start.
    EXPECT_TRUE(w.DTSettings()->Enabled());
    EXPECT_FALSE(w.PBGo()->Enabled());
    chooseFolder();
    w.enablego();
    EXPECT_TRUE(w.PBGo()->Enabled());

    // Texts of the other rules, set by code into their disabled fields, change nothing.
    w.EFBWidth()->setText("0");
    w.EFIHeight()->setText("abc");
    EXPECT_TRUE(w.PBGo()->Enabled());

    // Independent with a zero width fails whatever the height; box with an empty height fails.
    click(*w.RBType(1));
    typeInto(*w.EFIHeight(), "300");
    typeInto(*w.EFIWidth(), "0");
    EXPECT_FALSE(w.PBGo()->Enabled());
    click(*w.RBType(2));
    typeInto(*w.EFBWidth(), "100");
    typeInto(*w.EFBHeight(), "");
    EXPECT_FALSE(w.PBGo()->Enabled());
    typeInto(*w.EFBHeight(), "7");
    EXPECT_TRUE(w.PBGo()->Enabled());
}

TEST_F(SettingsRulesTest, QualityPresetAndSliderFollowEachOther) {
    Main& w = *window;
    struct Step {
        int chooseRow;    // -1: move the slider instead
        int sliderValue;  // the value to move the slider to
        int expectSlider;
        const char* expectLabel;
        std::int64_t expectRow;
    };
    const std::vector<Step> steps = {
        {-1, 90, 90, "90", 0}, {-1, 85, 85, "85", 4}, {3, 0, 40, "40", 3}, {4, 0, 40, "40", 4},
        {0, 0, 90, "90", 0},   {-1, 60, 60, "60", 2}, {4, 0, 60, "60", 4}, {1, 0, 80, "80", 1},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.chooseRow >= 0 ? "row " + std::to_string(s.chooseRow)
                                      : "slider " + std::to_string(s.sliderValue));
        if (s.chooseRow >= 0)
            chooseRow(*w.PMQuality(), s.chooseRow);
        else
            w.SLQuality()->setValue(s.sliderValue);
        EXPECT_EQ(w.SLQuality()->Value(), s.expectSlider);
        EXPECT_EQ(w.STQuality()->Caption(), s.expectLabel);
        EXPECT_EQ(w.PMQuality()->ListIndex(), s.expectRow);
    }
}

TEST_F(SettingsRulesTest, PngDisablesTheQualityControlsKeepingTheirValues) {
    Main& w = *window;
    w.SLQuality()->setValue(75);
    click(*w.RBType(2));
    chooseRow(*w.PMExportFormat(), 1);
    EXPECT_EQ(qualityControlsEnabled(), (std::vector<bool>{false, false, false}));
    EXPECT_TRUE(w.STQuality()->Enabled());
    EXPECT_EQ(w.SLQuality()->Value(), 75);
    EXPECT_EQ(w.PMQuality()->ListIndex(), 4);
    EXPECT_EQ(w.STQuality()->Caption(), "75");
    // The size controls are derived again from the selected rule.
    EXPECT_EQ(sizeControlsEnabled(), boxOn);

    chooseRow(*w.PMExportFormat(), 0);
    EXPECT_EQ(qualityControlsEnabled(), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(w.SLQuality()->Value(), 75);
    EXPECT_EQ(w.PMQuality()->ListIndex(), 4);
}

TEST_F(SettingsRulesTest, WebReadyNamesEnableTheDosBoxOnly) {
    Main& w = *window;
    click(*w.CBName());
    EXPECT_TRUE(w.CBName()->Value());
    EXPECT_TRUE(w.CBDos()->Enabled());
    EXPECT_FALSE(w.CBDos()->Value());
    click(*w.CBDos());
    EXPECT_TRUE(w.CBDos()->Value());
    click(*w.CBName());
    EXPECT_FALSE(w.CBDos()->Enabled());
    EXPECT_TRUE(w.CBDos()->Value());
}

TEST_F(SettingsRulesTest, TriangleFoldsTheWindowToTheTopStrip) {
    Main& w = *window;
    // Shown settings with a failing size check cannot be folded.
    ASSERT_FALSE(w.DTSettings()->Enabled());
    typeInto(*w.EFPSize(), "800");
    ASSERT_TRUE(w.DTSettings()->Enabled());

    click(*w.DTSettings());
    EXPECT_FALSE(w.DTSettings()->Value());
    EXPECT_EQ(w.Width(), 366);
    EXPECT_EQ(w.Height(), 117);
    for (fw::Control* strip :
         std::vector<fw::Control*>{w.StaticText2(), w.STFolder(), w.PBSelect(), w.PBGo(), w.PB(),
                                   w.STStatus(), w.DTSettings(), w.Separator1()})
        EXPECT_TRUE(fw::testing::wholeInView(*strip, w)) << strip->Name();
    for (fw::GroupBox* box : {w.GroupBox1(), w.GroupBox2()}) {
        // No part of either group box lies inside the folded window.
        EXPECT_TRUE(box->Left() >= w.Width() || box->Top() >= w.Height()) << box->Name();
    }

    // Folded, an empty size leaves the triangle enabled, so the settings can be shown again.
    typeInto(*w.EFPSize(), "");
    EXPECT_TRUE(w.DTSettings()->Enabled());
    click(*w.DTSettings());
    EXPECT_TRUE(w.DTSettings()->Value());
    EXPECT_EQ(w.Width(), 746);
    EXPECT_EQ(w.Height(), 322);
    EXPECT_TRUE(fw::testing::wholeInView(*w.GroupBox1(), w));
    EXPECT_TRUE(fw::testing::wholeInView(*w.GroupBox2(), w));
    // Unfolding runs no size check: the triangle keeps its enabling until the next one.
    EXPECT_TRUE(w.DTSettings()->Enabled());
}

}  // namespace
