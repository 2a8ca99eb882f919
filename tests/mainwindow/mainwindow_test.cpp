// The main window as the layout builds it: every control's state on a first start, the control
// accessors, the worker object and the main-thread rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "engine/framework/color.h"
#include "engine/framework/control.h"
#include "engine/framework/controls.h"
#include "engine/framework/exceptions.h"
#include "mainwindow/main.h"
#include "platform/testing/testing.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

class MainWindowTest : public windowsandbox::MainWindowFixture {
protected:
    [[nodiscard]] fw::Control& control(const char* name, std::int64_t index = -1) const {
        fw::Object* found =
            index < 0 ? window->ControlByName(name) : window->ControlByNameIndex(name, index);
        auto* typed = dynamic_cast<fw::Control*>(found);
        if (typed == nullptr)
            throw std::runtime_error(std::string("no control ") + name);
        return *typed;
    }
};

TEST_F(MainWindowTest, AccessorReturnsTheOpenWindow) {
    EXPECT_EQ(the::Main(), window);
    EXPECT_EQ(fw::Window::openWindows().size(), 1u);
    EXPECT_EQ(window->Title(), "Vimbel!");
    EXPECT_EQ(window->f, nullptr);
    EXPECT_FALSE(window->endthread);
    for (const char* event : {"CreateControls", "Layout", "AddMenuHandlers", "Open", "Close",
                              "DropObject", "EnableMenuItems"})
        EXPECT_TRUE(window->IsEventImplemented(event)) << event;
    for (const char* event : {"CancelClose", "DragEnter", "Paint", "Resized", "KeyDown"})
        EXPECT_FALSE(window->IsEventImplemented(event)) << event;
}

struct ControlState {
    const char* name;
    std::int64_t index;  // -1: not an array member
    const char* className;
    bool enabled;
};

// First start, no preferences: only the proportional size controls among the size controls, and
// neither the DOS-names box nor Go nor (the size being empty) the triangle.
const std::vector<ControlState> firstStart = {
    {"GroupBox1", -1, "GroupBox", true},       {"StaticText1", -1, "Label", true},
    {"EFPSize", -1, "TextField", true},        {"StaticText3", -1, "Label", true},
    {"PMPType", -1, "PopupMenu", true},        {"EFIWidth", -1, "TextField", false},
    {"PMIWidth", -1, "PopupMenu", false},      {"StaticText4", -1, "Label", true},
    {"EFIHeight", -1, "TextField", false},     {"PMIHeight", -1, "PopupMenu", false},
    {"StaticText6", -1, "Label", true},        {"EFBWidth", -1, "TextField", false},
    {"StaticText7", -1, "Label", true},        {"EFBHeight", -1, "TextField", false},
    {"RBType", 0, "Main.RBType", true},        {"RBType", 1, "Main.RBType", true},
    {"RBType", 2, "Main.RBType", true},        {"GroupBox2", -1, "GroupBox", true},
    {"CBIncrease", -1, "CheckBox", true},      {"STJPEGQuality", -1, "Label", true},
    {"PMQuality", -1, "PopupMenu", true},      {"SLQuality", -1, "Slider", true},
    {"STQuality", -1, "Label", true},          {"CBName", -1, "CheckBox", true},
    {"CBDos", -1, "CheckBox", false},          {"StaticText51", -1, "Label", true},
    {"PMExportFormat", -1, "PopupMenu", true}, {"StaticText2", -1, "Label", true},
    {"STFolder", -1, "Label", true},           {"PBSelect", -1, "PushButton", true},
    {"PBGo", -1, "PushButton", false},         {"PB", -1, "ProgressBar", true},
    {"STStatus", -1, "Label", true},           {"DTSettings", -1, "DisclosureTriangle", false},
    {"Separator1", -1, "Separator", true},
};

TEST_F(MainWindowTest, FirstStartEnablingAndClasses) {
    EXPECT_EQ(window->Width(), 746);
    EXPECT_EQ(window->Height(), 322);
    for (const ControlState& row : firstStart) {
        SCOPED_TRACE(std::string(row.name) + " " + std::to_string(row.index));
        const fw::Control& c = control(row.name, row.index);
        EXPECT_EQ(c.ClassName(), row.className);
        EXPECT_EQ(c.Enabled(), row.enabled);
        EXPECT_TRUE(c.Visible());
        EXPECT_EQ(c.Index(), row.index < 0 ? fw::Control::NoIndex : row.index);
    }
}

// Nothing is locked to the right or bottom edge, so resizing the window moves nothing; the top
// locks follow the containers, and PMExportFormat alone is locked left.
TEST_F(MainWindowTest, ContainersAndEdgeLocks) {
    const std::vector<std::string> inGroupBox1 = {
        "StaticText1", "EFPSize",     "StaticText3", "PMPType",   "EFIWidth",
        "PMIWidth",    "StaticText4", "EFIHeight",   "PMIHeight", "StaticText6",
        "EFBWidth",    "StaticText7", "EFBHeight",   "RBType"};
    const std::vector<std::string> inGroupBox2 = {"CBIncrease", "STJPEGQuality", "PMQuality",
                                                  "SLQuality",  "STQuality",     "CBName",
                                                  "CBDos",      "StaticText51",  "PMExportFormat"};
    auto contains = [](const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    auto stored = [](const fw::Control& c, const char* property) {
        const fw::PropertyValue* value = c.storedProperty(property);
        return value != nullptr && std::get<bool>(*value);
    };
    for (const ControlState& row : firstStart) {
        SCOPED_TRACE(std::string(row.name) + " " + std::to_string(row.index));
        const fw::Control& c = control(row.name, row.index);
        const std::string name = row.name;
        const std::string parent = contains(inGroupBox1, name)   ? "GroupBox1"
                                   : contains(inGroupBox2, name) ? "GroupBox2"
                                                                 : "";
        EXPECT_EQ(c.InitialParent(), parent);
        const bool lockTop = (!parent.empty() && name != "RBType") || name == "StaticText2" ||
                             name == "STFolder" || name == "PBSelect";
        EXPECT_EQ(stored(c, "LockTop"), lockTop);
        EXPECT_EQ(stored(c, "LockLeft"), name == "PMExportFormat");
        EXPECT_FALSE(stored(c, "LockRight"));
        EXPECT_FALSE(stored(c, "LockBottom"));
    }
}

TEST_F(MainWindowTest, FirstStartValues) {
    Main& w = *window;
    EXPECT_TRUE(w.RBType(0)->Value());
    EXPECT_FALSE(w.RBType(1)->Value());
    EXPECT_FALSE(w.RBType(2)->Value());
    for (fw::TextField* field :
         {w.EFPSize(), w.EFIWidth(), w.EFIHeight(), w.EFBWidth(), w.EFBHeight()})
        EXPECT_EQ(field->Text(), "") << field->Name();

    struct Rows {
        fw::PopupMenu* popup;
        std::int64_t count;
        const char* shown;
    };
    for (const Rows& r : {Rows{w.PMPType(), 5, "Biggest (pixel)"}, Rows{w.PMIWidth(), 2, "Pixels"},
                          Rows{w.PMIHeight(), 2, "Pixels"}, Rows{w.PMQuality(), 5, "Good (80)"},
                          Rows{w.PMExportFormat(), 2, "JPEG"}}) {
        EXPECT_EQ(r.popup->RowCount(), r.count) << r.popup->Name();
        EXPECT_EQ(r.popup->Text(), r.shown) << r.popup->Name();
    }
    EXPECT_EQ(w.PMQuality()->List(4), "Custom");
    EXPECT_EQ(w.PMExportFormat()->List(1), "PNG");

    EXPECT_EQ(w.SLQuality()->Value(), 80);
    EXPECT_EQ(w.SLQuality()->MinimumValue(), 1);
    EXPECT_EQ(w.SLQuality()->MaximumValue(), 100);
    EXPECT_EQ(w.STQuality()->Caption(), "80");
    EXPECT_EQ(w.STQuality()->TextAlignment(), 3);
    EXPECT_FALSE(w.CBIncrease()->Value());
    EXPECT_FALSE(w.CBName()->Value());
    EXPECT_FALSE(w.CBDos()->Value());
    EXPECT_EQ(w.STFolder()->Caption(), "No folder selected");
    EXPECT_EQ(w.STStatus()->Caption(), "");
    EXPECT_EQ(w.STStatus()->TextAlignment(), 2);
    EXPECT_TRUE(w.STStatus()->Italic());
    EXPECT_EQ(w.STStatus()->TextColor(), fw::RGB(0, 0, 0));
    EXPECT_EQ(w.PB()->Value(), 0.0);
    EXPECT_EQ(w.PB()->MaximumValue(), 100);
    EXPECT_TRUE(w.DTSettings()->Value());
    EXPECT_TRUE(w.PBGo()->Default());
    EXPECT_FALSE(w.PBGo()->Cancel());
    EXPECT_FALSE(w.PBSelect()->Default());
    EXPECT_FALSE(w.PBSelect()->Cancel());
}

TEST_F(MainWindowTest, CaptionsComeFromTheStringTable) {
    struct Caption {
        const char* name;
        std::int64_t index;
        const char* text;
    };
    const std::vector<Caption> captions = {
        {"GroupBox1", -1, "Resizing settings"},
        {"StaticText1", -1, "Size wanted:"},
        {"StaticText3", -1, "Width:"},
        {"StaticText4", -1, "Height:"},
        {"StaticText6", -1, "Maximum width:"},
        {"StaticText7", -1, "Maximum height:"},
        {"RBType", 0, "Proportional resizing"},
        {"RBType", 1, "Independant resizing"},
        {"RBType", 2, "Box resizing"},
        {"GroupBox2", -1, "Exportation settings"},
        {"CBIncrease", -1, "Increase picture size if needed"},
        {"STJPEGQuality", -1, "JPEG Quality:"},
        {"CBName", -1, "Make names web-ready"},
        {"CBDos", -1, "DOS format (8 characters + extension)"},
        {"StaticText51", -1, "Export as:"},
        {"StaticText2", -1, "Folder:"},
        {"PBSelect", -1, "Select"},
        {"PBGo", -1, "Go"},
    };
    for (const Caption& c : captions) {
        fw::Control& ctl = control(c.name, c.index);
        std::string shown;
        if (auto* g = dynamic_cast<fw::GroupBox*>(&ctl))
            shown = g->Caption();
        if (auto* l = dynamic_cast<fw::Label*>(&ctl))
            shown = l->Caption();
        if (auto* r = dynamic_cast<fw::RadioButton*>(&ctl))
            shown = r->Caption();
        if (auto* b = dynamic_cast<fw::CheckBox*>(&ctl))
            shown = b->Caption();
        if (auto* p = dynamic_cast<fw::PushButton*>(&ctl))
            shown = p->Caption();
        EXPECT_EQ(shown, c.text) << c.name << " " << c.index;
    }
}

TEST_F(MainWindowTest, ControlAccessorsIgnoreLetterCase) {
    // Member 1 was added as "RBtype".
    ASSERT_NE(window->RBType(1), nullptr);
    EXPECT_EQ(window->RBType(1)->Caption(), "Independant resizing");
    EXPECT_EQ(window->RBType(1), window->ControlByNameIndex("rbtype", 1));
    EXPECT_EQ(window->RBType(3), nullptr);
    EXPECT_EQ(window->RBType(-1), nullptr);
    EXPECT_EQ(window->EFPSize(), window->ControlByName("efpsize"));
}

TEST_F(MainWindowTest, WorkerObjectBelongsToTheWindow) {
    threadResize* worker = window->internalthread();
    ASSERT_NE(worker, nullptr);
    EXPECT_EQ(window->internalthread(), worker);
    EXPECT_EQ(worker->ClassName(), "Main._wrapper_internalthread");
    EXPECT_EQ(worker->Priority, 5);
    EXPECT_EQ(worker->StackSize, 0);
    EXPECT_EQ(worker->dir, nullptr);
    EXPECT_FALSE(worker->isRunning());
}

TEST(WorkerWrapperTest, WindowIsAWeakReference) {
    Main::_wrapper_internalthread worker;
    EXPECT_EQ(worker.Window(), nullptr);
    EXPECT_EQ(worker.PaneIndex(), 0);
    worker.SetIndex(4);
    EXPECT_EQ(worker.PaneIndex(), 4);

    windowsandbox::closeAllWindows();
    std::weak_ptr<fw::Window> gone;
    {
        std::shared_ptr<Main> window = the::Main();
        worker.SetWindow(window);
        EXPECT_EQ(worker.Window(), window);
        gone = window;
        window.reset();
        windowsandbox::closeAllWindows();
    }
    // The weak reference never keeps the window alive.
    EXPECT_TRUE(gone.expired());
    EXPECT_EQ(worker.Window(), nullptr);
}

TEST_F(MainWindowTest, ControlMembersRefuseOtherThreads) {
    fw::TextField* field = window->EFPSize();
    bool windowRefused = false;
    bool controlRefused = false;
    bool lookupWorked = false;
    std::thread worker([&] {
        try {
            (void)window->EFPSize();
        } catch (const fw::ThreadAccessingUIException&) {
            windowRefused = true;
        }
        try {
            field->setText("12");
        } catch (const fw::ThreadAccessingUIException&) {
            controlRefused = true;
        }
        // Looking up the open window is allowed everywhere: the worker's stop check needs it.
        lookupWorked = the::Main() == window;
    });
    worker.join();
    EXPECT_TRUE(windowRefused);
    EXPECT_TRUE(controlRefused);
    EXPECT_TRUE(lookupWorked);
    EXPECT_EQ(field->Text(), "");
}

TEST_F(MainWindowTest, Screenshot) {
    // VIMBEL_SCREENSHOT names a file to keep (the README's picture); otherwise a scratch file.
    const char* keep = std::getenv("VIMBEL_SCREENSHOT");
    const std::string path =
        keep != nullptr ? std::string(keep) : (windowsandbox::root() / "main.png").string();
    EXPECT_TRUE(fw::testing::grabToFile(*window, path));
}

}  // namespace
