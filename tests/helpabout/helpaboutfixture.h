#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/framework/application.h"
#include "engine/framework/menuitem.h"
#include "engine/framework/system.h"
#include "engine/framework/window.h"
#include "platform/testing/systemhooks.h"
#include "platform/testing/testing.h"
#include "strings/loc.h"

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
        fw::RuntimeRegisterAppObject(nullptr);
    }

    // An application object with the program's menu bar, which windows without a bar of their
    // own show. Only Quit enables itself; the other items are enabled by whoever serves them.
    static void useProgramMenuBar() {
        struct Node {
            const char* menu;
            std::string text;
            std::vector<std::pair<const char*, std::string>> items;
        };
        const Node menus[] = {
            {"UntitledMenu3", loc::menufile(""), {{"FileQuit", loc::menuquit("")}}},
            {"UntitledMenu1",
             loc::menuedit(""),
             {{"EditUndo", loc::menuundo("")},
              {"EditCut", loc::menucut("")},
              {"EditCopy", loc::menucopy("")},
              {"EditPaste", loc::menupaste("")},
              {"EditClear", loc::menuclear("")}}},
            {"UntitledMenu0",
             loc::menuhelp(""),
             {{"HelpHelp", loc::menuvimbelhelp("")}, {"AppleCredits", loc::aboutvimbel("")}}},
        };
        auto bar = std::make_shared<fw::MenuBar>();
        for (const Node& node : menus) {
            auto menu = std::make_shared<fw::MenuItem>();
            menu->setName(node.menu);
            menu->setText(node.text);
            menu->setAutoEnable(false);
            for (const auto& [name, text] : node.items) {
                const bool quit = std::string(name) == "FileQuit";
                std::shared_ptr<fw::MenuItem> item;
                if (quit) {
                    item = std::make_shared<fw::QuitMenuItem>();
                } else {
                    item = std::make_shared<fw::MenuItem>();
                }
                item->setName(name);
                item->setText(text);
                item->setAutoEnable(quit);
                menu->AddMenu(item);
            }
            bar->AddMenu(menu);
        }
        auto app = std::make_shared<fw::Application>();
        app->setMenuBar(bar);
        fw::RuntimeRegisterAppObject(app);
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
