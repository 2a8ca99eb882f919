#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/framework/system.h"
#include "engine/framework/window.h"
#include "platform/testing.h"

// Records the addresses that would reach the desktop, and closes every window after each test.
// The help folder is data/helpen beside the test binary, which is where the windows look for it;
// each test says whether it is there.
class HelpAboutTest : public ::testing::Test {
protected:
    static inline const char* const pages[] = {"index", "historic", "resizing", "exportation",
                                               "faq"};

    void SetUp() override {
        fw::testing::setShowURLHandler([this](const std::string& url) { shown.push_back(url); });
    }

    void TearDown() override {
        for (const auto& window : fw::Window::openWindows())
            window->Close();
        fw::testing::processEvents();
        fw::testing::setShowURLHandler({});
    }

    [[nodiscard]] static std::filesystem::path dataFolder() {
        return std::filesystem::path(fw::GetFolderItem("", 0)->NativePath()) / "data";
    }
    [[nodiscard]] static std::filesystem::path helpFolder() { return dataFolder() / "helpen"; }

    // The pages as the build ships them.
    static void installShippedPages() {
        removeHelpFolder();
        std::filesystem::create_directories(helpFolder());
        for (const char* page : pages) {
            const std::string file = std::string(page) + ".html";
            std::filesystem::copy_file(std::filesystem::path(VIMBEL_BUILT_HELP_DIR) / file,
                                       helpFolder() / file);
        }
    }

    // A help folder of small pages made by the test.
    static void installPages(const std::vector<std::pair<std::string, std::string>>& bodies) {
        removeHelpFolder();
        std::filesystem::create_directories(helpFolder());
        for (const auto& [name, body] : bodies) {
            std::ofstream(helpFolder() / (name + ".html"))
                << "<html><body>" << body << "</body></html>\n";
        }
    }

    static void removeHelpFolder() { std::filesystem::remove_all(dataFolder()); }

    [[nodiscard]] static bool endsWith(const std::string& text, const std::string& tail) {
        return text.size() >= tail.size() &&
               text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
    }

    template <typename T>
    [[nodiscard]] static int openCount() {
        int n = 0;
        for (const auto& window : fw::Window::openWindows())
            if (dynamic_cast<T*>(window.get()) != nullptr)
                ++n;
        return n;
    }

    std::vector<std::string> shown;
};
