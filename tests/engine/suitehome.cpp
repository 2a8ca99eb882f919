#include "tests/engine/suitehome.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "tests/engine/recordingworker.h"

namespace fs = std::filesystem;

namespace {

std::string g_home;

class SuiteHome : public ::testing::Environment {
public:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vimbel-home-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        g_home = pattern;
        fs::create_directories(g_home + "/Desktop");
        fs::create_directories(g_home + "/.config");
        fs::create_directories(g_home + "/.local/share");
        setenv("HOME", g_home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (g_home + "/.config").c_str(), 1);
        setenv("XDG_DATA_HOME", (g_home + "/.local/share").c_str(), 1);
        installBeepCounter();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(g_home, ignored);
    }
};

[[maybe_unused]] const auto* const g_environment =
    ::testing::AddGlobalTestEnvironment(new SuiteHome);

}  // namespace

namespace suitehome {

std::string home() {
    return g_home;
}
std::string desktop() {
    return g_home + "/Desktop";
}
std::string trashFiles() {
    return g_home + "/.local/share/Trash/files";
}

}  // namespace suitehome
