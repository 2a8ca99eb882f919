// The program's start-up: its steps in order, the application object, one main window whichever
// of the default view and the open-document event comes first, and a failed start-up.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/framework/application.h"
#include "engine/framework/classregistry.h"
#include "engine/framework/folderitem.h"
#include "engine/framework/thread.h"
#include "engine/framework/window.h"
#include "mainwindow/app.h"
#include "mainwindow/main.h"
#include "mainwindow/menu.h"
#include "mainwindow/startup.h"
#include "platform/testing/testing.h"
#include "tests/mainwindow/windowsandbox.h"

namespace {

class StartupTest : public ::testing::Test {
protected:
    void TearDown() override {
        startup::setStepHook({});
        Menu::setBuildHook({});
        windowsandbox::closeAllWindows();
    }

    [[nodiscard]] static std::shared_ptr<App> app() {
        return std::dynamic_pointer_cast<App>(fw::RuntimeAppObject());
    }
    [[nodiscard]] static fw::FolderItemPtr pictures() {
        return fw::FolderItem::fromNativePath(windowsandbox::folder("pictures").string());
    }
};

// First in the file: a quit that comes while no loop runs (a closed main window quits) would
// end the next loop at once.
// Ends the event loop from inside it, after noting what the running program looks like.
class LoopProbe : public fw::Thread {
public:
    std::size_t openWindows = 0;
    bool mainWindowHasTheAppsBar = false;
    bool delivered = false;

protected:
    void Event_Run() override { AddUserInterfaceUpdate({}); }
    void Event_UserInterfaceUpdate(const std::vector<fw::Dictionary>& /*data*/) override {
        delivered = true;
        openWindows = fw::Window::openWindows().size();
        const auto window = std::dynamic_pointer_cast<Main>(fw::Window::FindOpen("Main.Main"));
        mainWindowHasTheAppsBar =
            window != nullptr && window->MenuBar() == fw::RuntimeAppObject()->MenuBar();
        fw::Quit(0);
    }
};

TEST_F(StartupTest, RunsItsStepsInOrderThenTheEventLoop) {
    std::vector<std::string> steps;
    LoopProbe probe;
    startup::setStepHook([&](const std::string& step) {
        steps.push_back(step);
        // Once the window is up, something in the loop has to end it.
        if (step == "MakeDefaultView")
            probe.Run();
    });
    startup::Main();
    probe.wait();

    EXPECT_EQ(steps, (std::vector<std::string>{"Main", "EarlyStartup", "InitFileTypes",
                                               "NewAppInstance", "ApplicationAddMenuHandlers",
                                               "LateStartup", "MakeDefaultView"}));
    EXPECT_TRUE(probe.delivered);
    EXPECT_EQ(probe.openWindows, 1u);
    EXPECT_TRUE(probe.mainWindowHasTheAppsBar);

    const std::shared_ptr<App> application = app();
    ASSERT_NE(application, nullptr);
    EXPECT_EQ(application->MajorVersion(), 1);
    EXPECT_EQ(application->MinorVersion(), 7);
    EXPECT_EQ(application->BugVersion(), 0);
    EXPECT_EQ(application->NonReleaseVersion(), 0);
    EXPECT_EQ(application->StageCode(), 3);
    EXPECT_EQ(application->LongVersion(), "1.7.0");
    EXPECT_EQ(application->ShortVersion(), "1.7.0");
    EXPECT_EQ(application->PackageInfo(), "1.7.0");
    EXPECT_EQ(application->MenuBar(), the::Menu());
    EXPECT_TRUE(VimbelFileTypes::All().empty());
}

TEST_F(StartupTest, OneMainWindowWhicheverComesFirst) {
    startup::NewAppInstance();
    ASSERT_NE(app(), nullptr);
    for (const bool documentFirst : {true, false}) {
        SCOPED_TRACE(documentFirst ? "open-document event first" : "default view first");
        windowsandbox::closeAllWindows();
        if (documentFirst)
            app()->Event_OpenDocument(pictures());
        startup::MakeDefaultView();
        if (!documentFirst)
            app()->Event_OpenDocument(pictures());

        ASSERT_EQ(fw::Window::openWindows().size(), 1u);
        const std::shared_ptr<Main> window = the::Main();
        EXPECT_EQ(fw::Window::openWindows().front(), window);
        ASSERT_NE(window->f, nullptr);
        EXPECT_EQ(window->STFolder()->Caption(), "pictures");
        EXPECT_EQ(window->MenuBar(), app()->MenuBar());
    }
}

// Every class of the program is known to the registry before start-up, not only once a first
// object of it is made.
TEST_F(StartupTest, RegistersEveryProgramClass) {
    startup::registerClasses();
    for (const char* name : {"App", "Menu", "threadResize", "Main.Main", "Main.RBType",
                             "Main._wrapper_internalthread", "WHelp.WHelp", "Credits.Credits"})
        EXPECT_NE(fw::ClassRegistry::find(name), nullptr) << name;
}

TEST_F(StartupTest, AppHandlesOnlyOpenAndOpenDocument) {
    const App application;
    for (const char* event : {"Open", "OpenDocument"})
        EXPECT_TRUE(application.IsEventImplemented(event));
    for (const char* event : {"Activate", "Close", "CancelClose", "EnableMenuItems", "NewDocument",
                              "UnhandledException"})
        EXPECT_FALSE(application.IsEventImplemented(event)) << event;
}

// A failure while the menu bar is built: the platform reports it, no window opens and the event
// loop never runs (it would wait here for ever with nothing to end it).
TEST_F(StartupTest, FailedMenuBarEndsTheStartUp) {
    Menu::forgetInstance();
    Menu::setBuildHook([](const std::string& node) {
        if (node == "UntitledMenu1")
            throw std::runtime_error("menu bar broken");
    });
    std::vector<std::string> steps;
    startup::setStepHook([&](const std::string& step) { steps.push_back(step); });
    testing::internal::CaptureStderr();
    startup::Main();
    const std::string report = testing::internal::GetCapturedStderr();

    EXPECT_NE(report.find("menu bar broken"), std::string::npos) << report;
    EXPECT_EQ(steps, (std::vector<std::string>{"Main", "EarlyStartup", "InitFileTypes",
                                               "NewAppInstance"}));
    EXPECT_TRUE(fw::Window::openWindows().empty());
    EXPECT_EQ(Menu::instance(), nullptr);
    EXPECT_NE(fw::RuntimeExitCode(), 0);
}

}  // namespace
