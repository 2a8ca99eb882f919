#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "helpabout/credits.h"
#include "platform/testing/testing.h"
#include "strings/loc.h"
#include "tests/helpabout/helpaboutfixture.h"

namespace {

class AboutBoxTest : public HelpAboutTest {
protected:
    // The About command as the main window gives it.
    static std::shared_ptr<Credits> aboutCommand() {
        auto box = the::Credits();
        box->Show();
        fw::testing::processEvents();
        return box;
    }
};

TEST_F(AboutBoxTest, ShowsNameVersionAuthorLinksAndTranslators) {
    auto box = aboutCommand();
    EXPECT_EQ(box->Title(), "About Vimbel");
    EXPECT_EQ(box->Width(), 191);
    EXPECT_EQ(box->Height(), 203);
    EXPECT_EQ(box->StaticText2()->Caption(), "Vimbel! 1.7\r\n\r\nArdemol");
    EXPECT_EQ(box->stemail1()->Caption(), "ardemol@example.org");
    EXPECT_EQ(box->StaticText5()->Caption(), "www.vimbel.example.org");
    EXPECT_EQ(box->Label1()->Caption(), "Translations:");
    EXPECT_EQ(box->Label2()->Caption(), "German: Tovrin");
    EXPECT_EQ(box->Label3()->Caption(), "Castilian: Brelvan");
    for (const char* event : {"Layout", "CreateControls", "MouseDown"})
        EXPECT_TRUE(box->IsEventImplemented(event)) << event;
    EXPECT_FALSE(box->IsEventImplemented("Open"));
    for (fw::Label* line : {box->StaticText2(), box->stemail1(), box->StaticText5()})
        EXPECT_EQ(line->TextAlignment(), 2) << line->Name();
    for (fw::Label* line : {box->Label1(), box->Label2(), box->Label3()}) {
        EXPECT_EQ(line->TextAlignment(), 0) << line->Name();
        EXPECT_TRUE(fw::testing::wholeInView(*line, *box)) << line->Name();
    }
}

TEST_F(AboutBoxTest, AnyPressOnALinkLineOpensTheLinkOfWhatItShows) {
    auto box = aboutCommand();
    const std::string address = box->stemail1()->Caption();
    const std::string web = box->StaticText5()->Caption();
    ASSERT_EQ(web.rfind("www.", 0), 0u);
    const std::string mailLink = "mailto:" + address;
    const std::string webLink = "http://" + web.substr(4);
    ASSERT_EQ(webLink.find('/', 7), std::string::npos);  // no path, no trailing slash

    struct Press {
        fw::Label* line;
        int x, y;
        std::string link;
    };
    const Press presses[] = {
        {box->stemail1(), 91, 7, mailLink},  // on the text
        {box->stemail1(), 2, 2, mailLink},   // far left, beside the text
        {box->stemail1(), 180, 12, mailLink}, {box->StaticText5(), 91, 11, webLink},
        {box->StaticText5(), 1, 20, webLink},
    };
    for (const Press& p : presses) {
        SCOPED_TRACE(p.line->Name() + " at " + std::to_string(p.x) + "," + std::to_string(p.y));
        shown.clear();
        fw::testing::pressAt(*p.line, p.x, p.y);
        fw::testing::processEvents();
        EXPECT_EQ(shown, std::vector<std::string>{p.link});
        EXPECT_TRUE(box->isOpen());
    }
}

TEST_F(AboutBoxTest, PressOnTheBackgroundClosesTheBox) {
    auto box = aboutCommand();
    // Between the web line (ending at 107) and the translation lines (from 144).
    fw::testing::pressOnBackground(*box, 95, 125);
    fw::testing::processEvents();
    EXPECT_FALSE(box->isOpen());
    EXPECT_EQ(fw::Window::FindOpen("Credits.Credits"), nullptr);
    EXPECT_TRUE(shown.empty());

    auto next = aboutCommand();
    EXPECT_NE(next, box);
    EXPECT_TRUE(next->isOpen());
}

TEST_F(AboutBoxTest, SecondAboutCommandGivesTheSameBox) {
    auto first = aboutCommand();
    auto second = aboutCommand();
    EXPECT_EQ(second, first);
    EXPECT_EQ(openCount<Credits>(), 1);
}

}  // namespace
