#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "helpabout/credits.h"
#include "helpabout/whelp.h"
#include "platform/testing/testing.h"
#include "tests/helpabout/helpaboutfixture.h"

// Pictures of the two windows for the documentation, written only when VIMBEL_SCREENSHOT_DIR
// names a folder: VIMBEL_SCREENSHOT_DIR=docs build/tests/helpabout/helpabout_test
namespace {

class Screenshots : public HelpAboutTest {
protected:
    void SetUp() override {
        HelpAboutTest::SetUp();
        const char* dir = std::getenv("VIMBEL_SCREENSHOT_DIR");
        if (dir == nullptr || *dir == '\0')
            GTEST_SKIP() << "VIMBEL_SCREENSHOT_DIR not set";
        folder = dir;
        installShippedPages();
        useProgramMenuBar();
    }

    std::string folder;
};

TEST_F(Screenshots, HelpWindowAndAboutBox) {
    auto help = the::WHelp();
    help->Show();
    fw::testing::chooseRow(*help->PMJumpTo(), 1);
    ASSERT_TRUE(fw::testing::waitUntil(
        [&] { return endsWith(help->hvMain()->currentAddress(), "/resizing.html"); }));
    fw::testing::processEvents();
    EXPECT_TRUE(fw::testing::grabToFile(*help, folder + "/help.png"));

    auto about = the::Credits();
    about->Show();
    fw::testing::processEvents();
    EXPECT_TRUE(fw::testing::grabToFile(*about, folder + "/about.png"));
}

}  // namespace
