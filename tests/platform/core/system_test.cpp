#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/framework/exceptions.h"
#include "engine/framework/system.h"
#include "engine/framework/userfolders.h"
#include "platform/testing/systemhooks.h"
#include "tests/platform/scratch.h"

namespace {

TEST(System, LocalizedStringsAreTheEnglishTextForEveryLanguage) {
    for (const char* language : {"", "en", "fr", "zz"})
        EXPECT_EQ(fw::GetLocalizedString("loc.sizewanted", "Size wanted:", language),
                  "Size wanted:");
    std::string fromWorker;
    std::thread([&] { fromWorker = fw::GetLocalizedString("loc.lang", "en", ""); }).join();
    EXPECT_EQ(fromWorker, "en");
}

TEST(System, EmptyPathIsTheExecutablesFolder) {
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    auto folder = fw::GetFolderItem("");
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->NativePath(), exe.parent_path().string());
    EXPECT_TRUE(folder->Directory());

    EXPECT_EQ(fw::GetFolderItem("/usr/share")->NativePath(), "/usr/share");
    EXPECT_EQ(fw::GetFolderItem("data/help")->NativePath(),
              std::filesystem::current_path().string() + "/data/help");
    EXPECT_THROW((void)fw::GetFolderItem("/x", 3), fw::UnsupportedOperationException);
}

TEST(System, BeepAndShowURLReachTheTestHandlersFromAnyThread) {
    std::atomic<int> beeps{0};
    std::vector<std::string> urls;
    fw::testing::setBeepHandler([&] { ++beeps; });
    fw::testing::setShowURLHandler([&](const std::string& url) { urls.push_back(url); });
    fw::Beep();
    std::thread([] { fw::Beep(); }).join();
    fw::ShowURL("mailto:someone@example.org");
    fw::testing::setBeepHandler({});
    fw::testing::setShowURLHandler({});
    fw::Beep();  // no handler and no widgets: silently nothing
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(urls, std::vector<std::string>{"mailto:someone@example.org"});
}

TEST(SpecialFolder, PreferencesFollowTheBaseDirectoryRules) {
    scratch::Dir dir;
    scratch::Env home("HOME", dir.at("home"));
    {
        scratch::Env config("XDG_CONFIG_HOME", dir.at("cfg"));
        EXPECT_EQ(fw::SpecialFolder::Preferences()->NativePath(), dir.at("cfg"));
    }
    for (const std::optional<std::string>& ignored :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("relative/cfg")}) {
        scratch::Env config("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(fw::SpecialFolder::Preferences()->NativePath(), dir.at("home/.config"));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.at("home/.config")));  // only a reference
}

TEST(SpecialFolder, DesktopIsTheHomeFolderWhenThereIsNone) {
    scratch::Dir dir;
    dir.mkdir("home");
    scratch::Env home("HOME", dir.at("home"));
    scratch::Env config("XDG_CONFIG_HOME", dir.at("home/.config"));
    EXPECT_EQ(fw::SpecialFolder::Desktop()->NativePath(), dir.at("home"));
    dir.mkdir("home/Desktop");
    EXPECT_EQ(fw::SpecialFolder::Desktop()->NativePath(), dir.at("home/Desktop"));

    // The user's own choice of desktop folder counts.
    dir.mkdir("home/Bureau");
    dir.write("home/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
    EXPECT_EQ(fw::SpecialFolder::Desktop()->NativePath(), dir.at("home/Bureau"));
}

}  // namespace
