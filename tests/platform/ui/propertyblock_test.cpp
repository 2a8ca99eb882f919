#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/framework/classregistry.h"
#include "engine/framework/controls.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/propertyblock.h"
#include "engine/framework/thread.h"
#include "uitestwindow.h"

namespace {

using fw::BlockEntry;
using fw::PropertyBlock::apply;
using fw::PropertyBlock::decode;
using fw::PropertyBlock::encode;

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

TEST(PropertyBlock, EachDeclaredTypeHasItsStoredForm) {
    struct Case {
        const char* className;
        BlockEntry entry;
        std::string stored;
    };
    const std::vector<Case> cases = {
        {"Label", {"Multiline", true}, "Multiline " + bytes({1})},
        {"Label", {"Enabled", false}, "Enabled " + bytes({0})},
        {"Label",
         {"Index", std::int64_t{-2147483648LL}},
         "Index " + bytes({0x00, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0xFF})},
        {"Label", {"Left", std::int64_t{410}}, "Left " + bytes({0x9A, 0x01, 0, 0, 0, 0, 0, 0})},
        {"Label", {"FontUnit", fw::FontUnitValue{0}}, "FontUnit " + bytes({0})},
        {"Label", {"FontSize", 12.0f}, "FontSize " + bytes({0x00, 0x00, 0x40, 0x41})},
        {"ProgressBar", {"Value", 1.5}, "Value " + bytes({0, 0, 0, 0, 0, 0, 0xF8, 0x3F})},
        {"TextField",
         {"BackgroundColor", fw::RGB(255, 255, 255)},
         "BackgroundColor " + bytes({0xFF, 0xFF, 0xFF, 0x00})},
        {"Label", {"TextColor", fw::RGB(0, 0, 0)}, "TextColor " + bytes({0, 0, 0, 0})},
        {"Label", {"Value", std::string("80")}, "Value " + bytes({2, 0, 0, 0}) + "80"},
        {"Label", {"Tooltip", std::string()}, "Tooltip " + bytes({0, 0, 0, 0})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry.name);
        const std::string stored = encode(c.className, {c.entry});
        EXPECT_EQ(stored, c.stored);
        const auto back = decode(c.className, stored);
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0].name, c.entry.name);
        EXPECT_EQ(back[0].value, c.entry.value);
    }
}

TEST(PropertyBlock, EntriesStandBackToBackAndDecodeInOrder) {
    const std::vector<BlockEntry> entries = {{"InitialValue", std::string("JPEG\r\nPNG")},
                                             {"SelectedRowIndex", std::int64_t{0}},
                                             {"Enabled", true}};
    const std::string stored = encode("PopupMenu", entries);
    EXPECT_EQ(stored, "InitialValue " + bytes({9, 0, 0, 0}) + "JPEG\r\nPNG" + "SelectedRowIndex " +
                          bytes({0, 0, 0, 0, 0, 0, 0, 0}) + "Enabled " + bytes({1}));
    const auto back = decode("PopupMenu", stored);
    ASSERT_EQ(back.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(back[i].value, entries[i].value);
}

TEST(PropertyBlock, NamesMatchIgnoringLetterCaseAndReachBaseClasses) {
    // A program class with a standard base, as the radio-button array registers itself.
    fw::ClassRegistry::registerClass({"Test.Radio", "RadioButton", {}, {}});
    fw::RadioButton radio;
    const std::string stored = "VALUE " + bytes({1}) + "caption " + bytes({5, 0, 0, 0}) + "Propo" +
                               "index " + bytes({1, 0, 0, 0, 0, 0, 0, 0}) + "fontsize " +
                               bytes({0, 0, 0x40, 0x41});
    apply(radio, "Test.Radio", stored);
    EXPECT_TRUE(radio.Value());
    EXPECT_EQ(radio.Caption(), "Propo");
    EXPECT_EQ(radio.Index(), 1);

    fw::Label label;
    apply(label, "Label",
          encode("Label", {{"multiline", true},
                           {"VALUE", std::string("80")},
                           {"textalignment", std::int64_t{3}},
                           {"LOCKTOP", true}}));
    EXPECT_EQ(label.Caption(), "80");
    EXPECT_EQ(label.TextAlignment(), 3);
    ASSERT_NE(label.storedProperty("LockTop"), nullptr);
    EXPECT_EQ(*label.storedProperty("locktop"), fw::PropertyValue(true));
}

TEST(PropertyBlock, WindowAndThreadBlocksApply) {
    OpenedWindow w([](TestWindow&) {});
    apply(*w, "Window",
          encode("Window", {{"Width", std::int64_t{746}},
                            {"Height", std::int64_t{335}},
                            {"Title", std::string("Vimbel!")},
                            {"Resizeable", false},
                            {"MacProcID", std::int64_t{0}},
                            {"BackgroundColor", fw::RGB(255, 255, 255)}}));
    EXPECT_EQ(w->Width(), 746);
    EXPECT_EQ(w->Height(), 335);
    EXPECT_EQ(w->Title(), "Vimbel!");
    ASSERT_NE(w->storedProperty("macprocid"), nullptr);

    struct Worker : fw::Thread, fw::Object {
        [[nodiscard]] std::string ClassName() const override { return "Test.Worker"; }
        void Event_Run() override {}
    } worker;
    fw::ClassRegistry::registerClass({"Test.Worker", "Thread", {}, {}});
    apply(worker, "Test.Worker",
          encode("Test.Worker", {{"Priority", std::int64_t{7}}, {"StackSize", std::int64_t{0}}}));
    EXPECT_EQ(worker.Priority, 7);
}

TEST(PropertyBlock, FaultsNameTheClassAndPropertyAndSetNothing) {
    struct Case {
        const char* what;
        std::function<void()> run;
        std::vector<std::string> mentions;
    };
    fw::Label label;
    label.setCaption("before");
    const std::vector<Case> cases = {
        {"unknown name",
         [] {
             (void)encode("Label", {{"Colour", true}});
         },
         {"Label", "Colour"}},
        {"wrong type (Integer as Boolean)",
         [] {
             (void)encode("Label", {{"Index", true}});
         },
         {"Label", "Index", "Integer"}},
        {"wrong type (FontSize as Double)",
         [] {
             (void)encode("Label", {{"FontSize", 12.0}});
         },
         {"FontSize", "Single"}},
        {"unknown class",
         [] {
             (void)encode("NoSuchClass", {{"Left", std::int64_t{1}}});
         },
         {"NoSuchClass"}},
        {"unknown name in a stored block, after a good entry",
         [&] {
             apply(label, "Label", "Value " + bytes({1, 0, 0, 0}) + "x" + "Bogus " + bytes({1}));
         },
         {"Label", "Bogus"}},
        {"value cut short",
         [] {
             (void)decode("Label", "Left " + bytes({1, 2, 3}));
         },
         {"Label"}},
        {"name without its space", [] { (void)decode("Label", "Left"); }, {"Label"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            c.run();
            ADD_FAILURE() << "no exception";
        } catch (const fw::RuntimeException& e) {
            for (const auto& m : c.mentions)
                EXPECT_NE(std::string(e.what()).find(m), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(label.Caption(), "before");
}

}  // namespace
