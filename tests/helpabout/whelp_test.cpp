#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "helpabout/credits.h"
#include "helpabout/whelp.h"
#include "platform/testing/testing.h"
#include "strings/loc.h"
#include "tests/helpabout/helpaboutfixture.h"

namespace {

class HelpWindowTest : public HelpAboutTest {
protected:
    void SetUp() override {
        HelpAboutTest::SetUp();
        installShippedPages();
    }

    // The Help command as the main window gives it.
    static std::shared_ptr<WHelp> helpCommand() {
        auto window = the::WHelp();
        window->Show();
        fw::testing::processEvents();
        return window;
    }

    // Counts the pages that begin to load in the window from now on.
    static std::shared_ptr<int> countLoads(WHelp& window) {
        auto loads = std::make_shared<int>(0);
        window.hvMain()->DocumentBegin.addHandler(
            [loads](fw::HTMLViewer&, const std::string&) { ++*loads; });
        return loads;
    }

    // Pages load at once; the wait only keeps a failing check from hanging long.
    static constexpr std::chrono::seconds settle{3};

    [[nodiscard]] static bool showsPage(WHelp& window, const std::string& page) {
        return fw::testing::waitUntil(
            [&] {
                return endsWith(window.hvMain()->currentAddress(), "/helpen/" + page + ".html");
            },
            settle);
    }

    static void expectTopicList(WHelp& window) {
        const std::vector<std::string> rows = {loc::helphistoric(""), loc::helpresizesettings(""),
                                               loc::helpexportsettings(""), loc::helpfaq("")};
        fw::PopupMenu& list = *window.PMJumpTo();
        ASSERT_EQ(list.RowCount(), 4);
        for (int row = 0; row < 4; ++row)
            EXPECT_EQ(list.List(row), rows[row]) << row;
        EXPECT_EQ(window.afile,
                  (std::vector<std::string>{"historic", "resizing", "exportation", "faq"}));
        EXPECT_EQ(list.ListIndex(), -1);
    }
};

TEST_F(HelpWindowTest, OpensAtTheIndexWithItsTopicList) {
    auto window = helpCommand();
    EXPECT_EQ(window->Title(), "Vimbel! Help");
    EXPECT_EQ(window->StaticText1()->Caption(), "Jump to:");
    EXPECT_EQ(window->PBIndex()->Caption(), "Index");
    expectTopicList(*window);
    EXPECT_TRUE(showsPage(*window, "index"));
    EXPECT_NE(window->hvMain()->plainText().find("Vimbel! 1.7"), std::string::npos);
    EXPECT_EQ(window->basef->NativePath(), helpFolder().string());
    EXPECT_TRUE(shown.empty());
    for (const char* event : {"Layout", "CreateControls", "Open"})
        EXPECT_TRUE(window->IsEventImplemented(event)) << event;
    EXPECT_FALSE(window->IsEventImplemented("MouseDown"));

    // The viewer keeps its margins to all four edges; the controls above it stay put.
    EXPECT_EQ(window->Width(), 635);
    EXPECT_EQ(window->Height(), 516);
    window->setWidth(735);
    window->setHeight(616);
    fw::testing::processEvents();
    fw::HTMLViewer& viewer = *window->hvMain();
    EXPECT_EQ(viewer.Left(), 20);
    EXPECT_EQ(viewer.Top(), 46);
    EXPECT_EQ(viewer.Width(), 695);
    EXPECT_EQ(viewer.Height(), 550);
    EXPECT_EQ(window->PMJumpTo()->Left(), 200);
    EXPECT_EQ(window->PMJumpTo()->Width(), 204);
}

TEST_F(HelpWindowTest, SecondHelpCommandBringsTheSameWindowWithoutReloading) {
    auto first = helpCommand();
    fw::testing::chooseRow(*first->PMJumpTo(), 2);
    ASSERT_TRUE(showsPage(*first, "exportation"));
    const auto loads = countLoads(*first);

    auto second = helpCommand();
    EXPECT_EQ(second, first);
    EXPECT_EQ(openCount<WHelp>(), 1);
    EXPECT_EQ(*loads, 0);
    EXPECT_TRUE(showsPage(*second, "exportation"));
    EXPECT_EQ(fw::testing::activeWindow(), second.get());
}

// The keyboard starts in the page (the viewer leads the tab order): Space and PageDown read on
// instead of pressing the Index button.
TEST_F(HelpWindowTest, OpensWithTheKeyboardInThePage) {
    auto window = helpCommand();
    ASSERT_TRUE(showsPage(*window, "index"));
    EXPECT_EQ(fw::testing::focusedControl(*window), window->hvMain());
    const auto loads = countLoads(*window);
    fw::testing::pressKeys(*window, "Space");
    fw::testing::pressKeys(*window, "PgDown");
    fw::testing::processEvents();
    EXPECT_EQ(*loads, 0);
    EXPECT_TRUE(showsPage(*window, "index"));
}

TEST_F(HelpWindowTest, ClosingAndReopeningStartsAgainAtTheIndex) {
    auto first = helpCommand();
    fw::testing::chooseRow(*first->PMJumpTo(), 3);
    ASSERT_TRUE(showsPage(*first, "faq"));
    fw::testing::closeFromTitleBar(*first);
    fw::testing::processEvents();
    EXPECT_EQ(fw::Window::FindOpen("WHelp.WHelp"), nullptr);

    auto second = helpCommand();
    EXPECT_NE(second, first);
    EXPECT_TRUE(showsPage(*second, "index"));
    expectTopicList(*second);
}

TEST_F(HelpWindowTest, TopicsAndIndexButtonLoadTheirPagesAndLeaveNoSelection) {
    auto window = helpCommand();
    const auto loads = countLoads(*window);
    struct Step {
        int row;  // -1: the Index button
        const char* page;
    };
    // The same topic twice loads it again.
    const Step steps[] = {{0, "historic"},    {1, "resizing"}, {1, "resizing"},
                          {2, "exportation"}, {3, "faq"},      {-1, "index"}};
    int expectedLoads = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.page);
        if (step.row < 0) {
            fw::testing::click(*window->PBIndex());
        } else {
            fw::testing::chooseRow(*window->PMJumpTo(), step.row);
        }
        ++expectedLoads;
        EXPECT_TRUE(fw::testing::waitUntil([&] { return *loads == expectedLoads; }, settle));
        EXPECT_TRUE(showsPage(*window, step.page));
        EXPECT_EQ(window->PMJumpTo()->ListIndex(), -1);
        EXPECT_EQ(window->PMJumpTo()->RowCount(), 4);
    }
    EXPECT_TRUE(shown.empty());
}

TEST_F(HelpWindowTest, OutsideAddressesGoToTheDesktopAndEverythingElseLoadsInTheViewer) {
    auto window = helpCommand();
    ASSERT_TRUE(showsPage(*window, "index"));
    const std::string page = "file://" + (helpFolder() / "faq.html").string();
    struct Case {
        std::string url;
        bool outside;
    };
    const Case cases[] = {
        {"http://example.org/vimbel", true},
        {"https://example.org/", true},
        {"https://", true},
        {"mailto:ardemol@example.org", true},
        {page, false},
        {"faq.html", false},
        {"ftp://example.org/file", false},
        {"file:///etc/hosts", false},
        {"http:/", false},   // shorter than its prefix
        {"mailto", false},   // shorter than its prefix
        {"https:/", false},  // seven characters, neither web prefix
        {"", false},
        {" http://example.org/", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        shown.clear();
        EXPECT_EQ(window->hvMain_CancelLoad(*window->hvMain(), c.url), c.outside);
        EXPECT_EQ(shown, c.outside ? std::vector<std::string>{c.url} : std::vector<std::string>{});
    }
    // Nothing above navigated the viewer itself.
    EXPECT_TRUE(showsPage(*window, "index"));
}

TEST_F(HelpWindowTest, ClickedLinksFollowTheSameRules) {
    // One link that fills the viewer, so that a click in its middle lands on it.
    const auto bigLink = [](const std::string& href) {
        std::string words;
        for (int i = 0; i < 60; ++i)
            words += "LINK ";
        return "<p style=\"font-size:48px\"><a href=\"" + href + "\">" + words + "</a></p>";
    };
    installPages({{"index", bigLink("https://example.org/outside")},
                  {"faq", bigLink("faq.html")},
                  {"historic", bigLink("faq.html")}});
    auto window = helpCommand();
    ASSERT_TRUE(showsPage(*window, "index"));
    const auto loads = countLoads(*window);

    fw::testing::click(*window->hvMain());
    EXPECT_TRUE(fw::testing::waitUntil([&] { return !shown.empty(); }, settle));
    EXPECT_EQ(shown, std::vector<std::string>{"https://example.org/outside"});
    EXPECT_TRUE(showsPage(*window, "index"));
    EXPECT_EQ(*loads, 0);

    fw::testing::chooseRow(*window->PMJumpTo(), 0);
    ASSERT_TRUE(showsPage(*window, "historic"));
    fw::testing::click(*window->hvMain());
    EXPECT_TRUE(showsPage(*window, "faq"));
    EXPECT_EQ(*loads, 2);
    EXPECT_EQ(window->PMJumpTo()->ListIndex(), -1);
    EXPECT_EQ(shown.size(), 1u);
}

TEST_F(HelpWindowTest, MissingHelpFolderStillOpensTheWindowWithItsList) {
    removeHelpFolder();
    ASSERT_FALSE(std::filesystem::exists(dataFolder()));
    auto window = helpCommand();
    EXPECT_TRUE(window->isOpen());
    expectTopicList(*window);
    // The viewer was asked for the index page all the same.
    EXPECT_TRUE(showsPage(*window, "index"));
    fw::testing::chooseRow(*window->PMJumpTo(), 1);
    EXPECT_TRUE(showsPage(*window, "resizing"));
    // No message of any kind: the help window is the only window.
    EXPECT_EQ(fw::Window::openWindows().size(), 1u);
    EXPECT_TRUE(shown.empty());
}

TEST_F(HelpWindowTest, EditItemsServeThePageWhileTheHelpWindowIsActive) {
    useProgramMenuBar();
    auto window = helpCommand();
    ASSERT_TRUE(showsPage(*window, "index"));
    ASSERT_EQ(fw::testing::activeWindow(), window.get());
    // The page is read-only: it can be copied, not changed.
    const std::pair<const char*, bool> items[] = {{"EditCopy", true},
                                                  {"EditCut", false},
                                                  {"EditPaste", false},
                                                  {"EditClear", false},
                                                  {"EditUndo", false}};
    for (const auto& [name, enabled] : items)
        EXPECT_EQ(fw::testing::menuItemEnabled(name), enabled) << name;
    fw::testing::setClipboardText("kept");
    ASSERT_TRUE(window->hvMain()->EditSelectAll());
    EXPECT_TRUE(fw::testing::chooseMenuItem("EditCopy"));
    EXPECT_NE(fw::testing::clipboardText().find("Vimbel! 1.7"), std::string::npos)
        << fw::testing::clipboardText();

    // In the about box the viewer is out of reach.
    auto box = the::Credits();
    box->Show();
    fw::testing::processEvents();
    ASSERT_EQ(fw::testing::activeWindow(), box.get());
    EXPECT_FALSE(fw::testing::menuItemEnabled("EditCopy"));
}

}  // namespace
