// The menu bar: its tree as built, the single instance and a failed build, and the main window's
// enabling pass and handler binding, driven through the real menus and shortcuts.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/framework/menuitem.h"
#include "mainwindow/main.h"
#include "mainwindow/menu.h"
#include "platform/testing/testing.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

struct NodeRow {
    const char* name;
    const char* parent;  // "" for the bar
    const char* className;
    const char* text;
    const char* commandKey;
    bool autoEnable;
};

// The whole tree in building order, which is also the order on screen.
const std::vector<NodeRow> tree = {
    {"UntitledMenu3", "", "MenuItem", "File", "", false},
    {"FileQuit", "UntitledMenu3", "QuitMenuItem", "Quit", "Ctrl+Q", true},
    {"UntitledMenu1", "", "MenuItem", "Edit", "", false},
    {"EditUndo", "UntitledMenu1", "MenuItem", "Undo", "Ctrl+Z", false},
    {"EditCut", "UntitledMenu1", "MenuItem", "Cut", "Ctrl+X", false},
    {"EditCopy", "UntitledMenu1", "MenuItem", "Copy", "Ctrl+C", false},
    {"EditPaste", "UntitledMenu1", "MenuItem", "Paste", "Ctrl+V", false},
    {"EditClear", "UntitledMenu1", "MenuItem", "Clear", "", false},
    {"UntitledMenu0", "", "MenuItem", "Help", "", false},
    {"HelpHelp", "UntitledMenu0", "MenuItem", "Vimbel! Help", "Ctrl+?", false},
    {"AppleCredits", "UntitledMenu0", "AppleMenuItem", "About Vimbel", "", false},
};

// The children of a node, by name, in order.
std::vector<std::string> childNames(const fw::MenuItem& node) {
    std::vector<std::string> names;
    for (std::int64_t i = 0; i < node.Count(); ++i)
        names.push_back(node.Item(i)->Name());
    return names;
}

void expectCompleteTree(const fw::MenuBar& bar) {
    std::vector<std::string> expectedMenus;
    for (const NodeRow& row : tree) {
        SCOPED_TRACE(row.name);
        const std::shared_ptr<fw::MenuItem> node = bar.Lookup(row.name);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->ClassName(), row.className);
        EXPECT_EQ(node->Text(), row.text);
        EXPECT_EQ(node->CommandKey(), row.commandKey);
        EXPECT_EQ(node->AutoEnable(), row.autoEnable);
        EXPECT_TRUE(node->Visible());
        const fw::MenuItem& parent =
            *row.parent ? *bar.Lookup(row.parent) : static_cast<const fw::MenuItem&>(bar);
        EXPECT_EQ(parent.Child(row.name), node) << "under " << row.parent;
        if (!*row.parent)
            expectedMenus.push_back(row.name);
    }
    EXPECT_EQ(childNames(bar), expectedMenus);
    EXPECT_EQ(childNames(*bar.Child("UntitledMenu3")), (std::vector<std::string>{"FileQuit"}));
    EXPECT_EQ(
        childNames(*bar.Child("UntitledMenu1")),
        (std::vector<std::string>{"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear"}));
    EXPECT_EQ(childNames(*bar.Child("UntitledMenu0")),
              (std::vector<std::string>{"HelpHelp", "AppleCredits"}));
}

class MenuBarTest : public ::testing::Test {
protected:
    void TearDown() override {
        Menu::setBuildHook({});
        windowsandbox::closeAllWindows();
    }
};

TEST_F(MenuBarTest, BuildsTheTreeOnceAndSharesIt) {
    const std::shared_ptr<Menu> bar = the::Menu();
    ASSERT_NE(bar, nullptr);
    expectCompleteTree(*bar);
    EXPECT_EQ(the::Menu(), bar);
    EXPECT_EQ(the::Main()->MenuBar(), bar);
}

// A failure at the first, a middle and the last node: nothing half-built is kept, and the next
// call builds a whole new bar.
TEST_F(MenuBarTest, FailedBuildLeavesNoInstance) {
    for (const char* failAt : {"UntitledMenu3", "EditCopy", "AppleCredits"}) {
        SCOPED_TRACE(failAt);
        Menu::forgetInstance();
        Menu::setBuildHook([failAt](const std::string& node) {
            if (node == failAt)
                throw std::runtime_error("injected");
        });
        EXPECT_THROW((void)the::Menu(), std::runtime_error);
        EXPECT_EQ(Menu::instance(), nullptr);

        Menu::setBuildHook({});
        const std::shared_ptr<Menu> rebuilt = the::Menu();
        ASSERT_NE(rebuilt, nullptr);
        expectCompleteTree(*rebuilt);
        EXPECT_EQ(Menu::instance(), rebuilt);
    }
}

// Records what reaches the window's two menu handlers instead of opening the help window and the
// about box.
class RecordingMain : public Main {
public:
    bool HelpHelp_Action() override {
        calls.emplace_back("HelpHelp");
        return false;
    }
    bool AppleCredits_Action() override {
        calls.emplace_back("AppleCredits");
        return false;
    }
    std::vector<std::string> calls;
};

TEST_F(MenuBarTest, MainWindowEnablesOnlyQuitHelpAndAbout) {
    auto window = std::make_shared<RecordingMain>();
    window->Constructor();
    window->Show();
    ASSERT_EQ(fw::testing::activeWindow(), window.get());

    for (const NodeRow& row : tree) {
        if (!*row.parent)
            continue;
        const std::string name = row.name;
        const bool served = name == "FileQuit" || name == "HelpHelp" || name == "AppleCredits";
        EXPECT_EQ(fw::testing::menuItemEnabled(name), served) << name;
    }

    // The Edit items are disabled, so none reaches a handler of the window.
    for (const char* edit : {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear"})
        EXPECT_FALSE(fw::testing::chooseMenuItem(edit)) << edit;
    EXPECT_TRUE(window->calls.empty());

    // The handlers are bound by item name to the window's own (virtual) operations.
    EXPECT_TRUE(fw::testing::chooseMenuItem("AppleCredits"));
    fw::testing::pressKeys(*window, "Ctrl+?");
    EXPECT_TRUE(fw::testing::chooseMenuItem("HelpHelp"));
    EXPECT_EQ(window->calls, (std::vector<std::string>{"AppleCredits", "HelpHelp", "HelpHelp"}));
}

// Help and About show their window, or bring the open one back from wherever it is: minimized, it
// comes back on top and active.
TEST_F(MenuBarTest, HelpAndAboutBringTheirWindowBackFromMinimized) {
    const std::shared_ptr<Main> window = the::Main();
    for (const char* item : {"HelpHelp", "AppleCredits"}) {
        SCOPED_TRACE(item);
        window->Show();
        ASSERT_TRUE(fw::testing::chooseMenuItem(item));
        fw::Window* shown = fw::testing::activeWindow();
        ASSERT_NE(shown, nullptr);
        ASSERT_NE(shown, window.get());
        fw::testing::minimize(*shown);
        ASSERT_TRUE(fw::testing::isMinimized(*shown));

        // The user goes back to the main window and chooses the command again.
        window->Show();
        ASSERT_TRUE(fw::testing::waitUntil([&] { return fw::testing::isActive(*window); }));
        ASSERT_TRUE(fw::testing::chooseMenuItem(item));
        EXPECT_TRUE(fw::testing::waitUntil(
            [&] { return !fw::testing::isMinimized(*shown) && fw::testing::isActive(*shown); }));
        EXPECT_EQ(fw::testing::activeWindow(), shown);
        EXPECT_EQ(fw::Window::openWindows().size(), 2u);
        shown->Close();
    }
}

// Every window of the program carries its icon, in the sizes of the icon theme.
TEST_F(MenuBarTest, WindowsCarryTheProgramsIcon) {
    const std::shared_ptr<Main> window = the::Main();
    ASSERT_TRUE(fw::testing::chooseMenuItem("HelpHelp"));
    for (const auto& open : fw::Window::openWindows())
        EXPECT_EQ(fw::testing::iconSizes(*open),
                  (std::vector<int>{16, 22, 24, 32, 48, 64, 128, 256}))
            << open->Title();
}

TEST_F(MenuBarTest, MenuItemAccessorsFindTheirNodes) {
    const std::shared_ptr<Main> window = the::Main();
    EXPECT_EQ(window->FileQuit(), window->MenuBar()->Lookup("FileQuit"));
    EXPECT_EQ(window->AppleCredits(), window->MenuBar()->Lookup("AppleCredits"));
    EXPECT_EQ(window->HelpHelp()->Text(), "Vimbel! Help");
    EXPECT_EQ(window->EditClear()->Name(), "EditClear");
    EXPECT_EQ(window->UntitledMenu1()->Count(), 5);
}

}  // namespace
