#include <gtest/gtest.h>

#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include <memory>
#include <string>
#include <vector>

#include "engine/framework/application.h"
#include "engine/framework/menuitem.h"
#include "platform/ui/menuimpl.h"
#include "platform/ui/windowimpl.h"
#include "uitestwindow.h"

namespace {

template <typename T = fw::MenuItem>
std::shared_ptr<T> item(const std::string& name, const std::string& text, const std::string& key,
                        bool autoEnable) {
    auto node = std::make_shared<T>();
    node->setName(name);
    node->setAutoEnable(autoEnable);
    node->setText(text);
    node->setVisible(true);
    node->setCommandKey(key);
    return node;
}

// The program's bar in miniature: a quit item, two Edit items, the help and about items.
std::shared_ptr<fw::MenuBar> makeBar() {
    auto bar = std::make_shared<fw::MenuBar>();
    bar->AddMenu(item("UntitledMenu3", "File", "", false));
    bar->Child("UntitledMenu3")
        ->AddMenu(item<fw::QuitMenuItem>("FileQuit", "Quit", "Ctrl+Q", true));
    bar->AddMenu(item("UntitledMenu1", "Edit", "", false));
    bar->Child("UntitledMenu1")->AddMenu(item("EditCopy", "Copy", "Ctrl+C", false));
    bar->Child("UntitledMenu1")->AddMenu(item("EditClear", "Clear", "", false));
    bar->AddMenu(item("UntitledMenu0", "Help", "", false));
    bar->Child("UntitledMenu0")->AddMenu(item("HelpHelp", "Vimbel! Help", "Ctrl+?", false));
    bar->Child("UntitledMenu0")
        ->AddMenu(item<fw::AppleMenuItem>("AppleCredits", "About Vimbel", "", false));
    return bar;
}

TEST(Menus, TreeLookupAndShortcutsAsShown) {
    auto bar = makeBar();
    EXPECT_EQ(bar->Count(), 3);
    EXPECT_EQ(bar->Item(1)->Text(), "Edit");
    EXPECT_EQ(bar->Lookup("helphelp")->Text(), "Vimbel! Help");
    EXPECT_EQ(bar->Child("HelpHelp"), nullptr) << "Child looks at direct children only";
    EXPECT_NE(std::dynamic_pointer_cast<fw::QuitMenuItem>(bar->Lookup("FileQuit")), nullptr);
    EXPECT_EQ(bar->Lookup("EditSelectAll"), nullptr);

    OpenedWindow w(
        [&](TestWindow& win) { win.onLayout = [&](TestWindow& self) { self.setMenuBar(bar); }; });
    const QList<QAction*> menus = w->impl().qbar->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[0]->text(), "File");
    EXPECT_EQ(menus[2]->text(), "Help");
    const QList<QAction*> help = menus[2]->menu()->actions();
    ASSERT_EQ(help.size(), 2);
    EXPECT_EQ(help[0]->text(), "Vimbel! Help");
    EXPECT_EQ(help[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Question));
    EXPECT_TRUE(help[1]->shortcut().isEmpty());
    EXPECT_EQ(menus[0]->menu()->actions()[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
}

class MenuWindow : public ::testing::Test {
protected:
    void SetUp() override {
        bar = makeBar();
        w = std::make_unique<OpenedWindow>([this](TestWindow& win) {
            win.onLayout = [this](TestWindow& self) { self.setMenuBar(bar); };
            win.onMenuHandlers = [this](TestWindow& self) {
                self.AddMenuHandler("HelpHelp", [this] {
                    chosen.push_back("HelpHelp");
                    return false;
                });
                self.AddMenuHandler("EditClear", [this] {
                    chosen.push_back("EditClear");
                    return false;
                });
            };
            win.onEnableMenuItems = [this](TestWindow&) {
                ++passes;
                bar->Lookup("HelpHelp")->Enable();
                bar->Lookup("AppleCredits")->Enable();
            };
        });
    }
    std::shared_ptr<fw::MenuBar> bar;
    std::unique_ptr<OpenedWindow> w;
    std::vector<std::string> chosen;
    int passes = 0;
};

TEST_F(MenuWindow, EnablingPassBeforeEveryUse) {
    struct Case {
        const char* name;
        bool enabled;
    };
    for (const Case& c : std::vector<Case>{{"FileQuit", true},
                                           {"HelpHelp", true},
                                           {"AppleCredits", true},
                                           {"EditCopy", false},
                                           {"EditClear", false}})
        EXPECT_EQ(fw::testing::menuItemEnabled(c.name), c.enabled) << c.name;

    // An item enabled by hand earlier is off again at the next pass.
    bar->Lookup("EditCopy")->Enable();
    EXPECT_FALSE(fw::testing::menuItemEnabled("EditCopy"));

    const int before = passes;
    EXPECT_TRUE(fw::testing::chooseMenuItem("HelpHelp"));
    EXPECT_FALSE(fw::testing::chooseMenuItem("EditClear")) << "bound but disabled";
    EXPECT_EQ(chosen, (std::vector<std::string>{"HelpHelp"}));
    EXPECT_GE(passes, before + 2);

    // Opening a menu by mouse shows the pass's outcome on its items.
    QMenu* edit = (*w)->impl().qbar->actions()[1]->menu();
    edit->popup(QPoint(0, 0));
    EXPECT_FALSE(edit->actions()[0]->isEnabled());
    edit->hide();
}

TEST_F(MenuWindow, ShortcutsRunThePassThenTheHandler) {
    const int before = passes;
    fw::testing::pressKeys(**w, "Ctrl+?");
    EXPECT_EQ(chosen, (std::vector<std::string>{"HelpHelp"}));
    EXPECT_GT(passes, before);
    fw::testing::pressKeys(**w, "Ctrl+C");  // disabled: nothing
    EXPECT_EQ(chosen.size(), 1u);
}

// Two windows share the bar; only the first enables the help item. A shortcut chosen in either
// window must leave every shortcut able to reach the next window's enabling pass.
TEST(Menus, ShortcutsKeepWorkingAcrossWindows) {
    auto bar = makeBar();
    std::vector<std::string> chosen;
    const auto setUp = [&](bool helpEnabled) {
        return [&, helpEnabled](TestWindow& win) {
            win.onLayout = [&](TestWindow& self) { self.setMenuBar(bar); };
            win.onMenuHandlers = [&](TestWindow& self) {
                self.AddMenuHandler("HelpHelp", [&, name = self.className] {
                    chosen.push_back(name);
                    return true;
                });
            };
            if (helpEnabled)
                win.onEnableMenuItems = [&](TestWindow&) { bar->Lookup("HelpHelp")->Enable(); };
        };
    };
    OpenedWindow main(setUp(true), "Test.Main");
    OpenedWindow help(setUp(false), "Test.Help");
    struct Press {
        OpenedWindow* window;
        const char* keys;
        std::vector<std::string> chosenAfter;
    };
    const std::vector<Press> presses{
        {&help, "Ctrl+C", {}},  // disabled in the help window: nothing
        {&main, "Ctrl+?", {"Test.Main"}},
        {&help, "Ctrl+?", {"Test.Main"}},
        {&main, "Ctrl+?", {"Test.Main", "Test.Main"}},
    };
    for (const Press& p : presses) {
        SCOPED_TRACE(std::string(p.keys) + " in " + (*p.window)->className);
        fw::testing::pressKeys(**p.window, p.keys);
        EXPECT_EQ(chosen, p.chosenAfter);
    }
}

// Each item keeps one action per live bar, however many bars came and went.
TEST(Menus, ItemsForgetTheActionsOfDestroyedBars) {
    auto bar = makeBar();
    for (int round = 0; round < 3; ++round) {
        OpenedWindow w([&](TestWindow& win) {
            win.onLayout = [&](TestWindow& self) { self.setMenuBar(bar); };
        });
        // Rebuilding from another bar and back destroys the first Qt bar.
        w->setMenuBar(makeBar());
        w->setMenuBar(bar);
    }
    OpenedWindow w(
        [&](TestWindow& win) { win.onLayout = [&](TestWindow& self) { self.setMenuBar(bar); }; });
    EXPECT_EQ(bar->Lookup("HelpHelp")->impl().actions.size(), 1u);
    EXPECT_EQ(bar->Lookup("UntitledMenu0")->impl().actions.size(), 1u);
}

TEST_F(MenuWindow, TheQuitItemQuitsThroughTheCloseHandlers) {
    // The close handler quits in turn, as the main window's does.
    int closes = 0;
    (*w)->onClose = [&](TestWindow&) {
        ++closes;
        fw::Quit(0);
    };
    OpenedWindow other([&](TestWindow& win) { win.onClose = [&](TestWindow&) { ++closes; }; },
                       "Test.Other");
    w->window->Show();
    fw::testing::processEvents();
    fw::testing::pressKeys(**w, "Ctrl+Q");
    EXPECT_EQ(closes, 2);
    EXPECT_TRUE(fw::Window::openWindows().empty());
    EXPECT_EQ(fw::RuntimeExitCode(), 0);
}

TEST(Menus, WindowsWithoutABarShowTheApplicationsAndControlsServeTheirItems) {
    auto app = std::make_shared<fw::Application>();
    app->setMenuBar(makeBar());
    auto previous = fw::RuntimeAppObject();
    fw::RuntimeRegisterAppObject(app);
    {
        OpenedWindow w([](TestWindow& win) {
            win.onCreate = [](TestWindow& self) {
                auto viewer = self.add<fw::HTMLViewer>("hvMain", 20, 46, 595, 450);
                for (const char* name :
                     {"EditClear", "EditCopy", "EditCut", "EditPaste", "EditSelectAll"})
                    self.AddMenuHandler(name, *viewer);
            };
        });
        EXPECT_EQ(w->MenuBar(), nullptr);
        ASSERT_NE(w->impl().qbar, nullptr);
        EXPECT_EQ(w->impl().qbar->actions().size(), 3);
        EXPECT_TRUE(fw::testing::menuItemEnabled("EditCopy"));
        EXPECT_FALSE(fw::testing::menuItemEnabled("EditClear"));
        EXPECT_FALSE(fw::testing::menuItemEnabled("HelpHelp"));
        EXPECT_TRUE(fw::testing::chooseMenuItem("EditCopy"));
    }
    fw::RuntimeRegisterAppObject(previous);
}

}  // namespace
