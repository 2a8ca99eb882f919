#include "tests/mainwindow/windowsandbox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/framework/window.h"
#include "mainwindow/startup.h"
#include "platform/testing/testing.h"

namespace fs = std::filesystem;

namespace windowsandbox {

const fs::path& root() {
    static const fs::path dir = [] {
        std::string pattern = (fs::temp_directory_path() / "vimbel-window-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        const fs::path made = pattern;
        for (const char* sub : {"config", "data", "cache", "Desktop"})
            fs::create_directories(made / sub);
        setenv("HOME", made.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (made / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (made / "data").c_str(), 1);
        setenv("XDG_CACHE_HOME", (made / "cache").c_str(), 1);
        return made;
    }();
    return dir;
}

fs::path preferencesFile() {
    return root() / "config" / "Vimbel! preferences";
}

fs::path folder(const std::string& name) {
    const fs::path dir = root() / name;
    fs::create_directories(dir);
    return dir;
}

void closeAllWindows() {
    for (const auto& window : fw::Window::openWindows())
        window->Close();
    fw::testing::processEvents();
    std::error_code ignored;
    fs::remove(preferencesFile(), ignored);
}

void MainWindowFixture::SetUp() {
    closeAllWindows();
    window = the::Main();
    ASSERT_NE(window, nullptr);
}

void MainWindowFixture::TearDown() {
    window.reset();
    closeAllWindows();
}

}  // namespace windowsandbox

namespace {

// Before main: the platform must see the sandbox from its first look at the environment.
[[maybe_unused]] const bool sandboxReady = !windowsandbox::root().empty();

class Sandbox : public ::testing::Environment {
public:
    void SetUp() override { startup::registerClasses(); }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(windowsandbox::root(), ignored);
    }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new Sandbox);

}  // namespace
