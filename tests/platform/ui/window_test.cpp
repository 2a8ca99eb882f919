#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/framework/application.h"
#include "engine/framework/controls.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/menuitem.h"
#include "platform/ui/windowimpl.h"
#include "uitestwindow.h"

namespace {

// Shown only after Open, so that the window first appears at the size Open gives it.
TEST(Window, ConstructorBuildsRegistersOpensThenShows) {
    std::weak_ptr<fw::Window> gone;
    {
        OpenedWindow w([](TestWindow& win) {
            win.onLayout = [](TestWindow& self) {
                self.setTitle("Vimbel!");
                self.setWidth(746);
                self.setHeight(322);
            };
            win.onOpen = [](TestWindow& self) {
                EXPECT_FALSE(self.impl().top->isVisible());
                EXPECT_NE(self.ControlByName("STStatus"), nullptr);
                self.setWidth(366);
            };
            win.onCreate = [](TestWindow& self) {
                self.add<fw::Label>("STStatus", 13, 77, 343, 20);
            };
        });
        EXPECT_EQ(w->log, (std::vector<std::string>{"Layout", "CreateControls", "AddMenuHandlers",
                                                    "Open(registered)"}));
        EXPECT_TRUE(w->isOpen());
        EXPECT_TRUE(w->impl().top->isVisible());
        EXPECT_EQ(fw::Window::FindOpen("Test.Window"), w.window);
        EXPECT_EQ(w->Width(), 366);
        EXPECT_EQ(w->impl().top->width(), 366);
        EXPECT_EQ(w->impl().top->windowTitle().toStdString(), "Vimbel!");
        gone = w.window;

        w->Close();
        EXPECT_EQ(w->log.back(), "Close");
        EXPECT_FALSE(w->isOpen());
        EXPECT_FALSE(w->impl().top->isVisible());
        EXPECT_EQ(fw::Window::FindOpen("Test.Window"), nullptr);
        w->Close();  // closing again does nothing
        EXPECT_EQ(std::count(w->log.begin(), w->log.end(), "Close"), 1);
    }
    fw::testing::processEvents();
    EXPECT_TRUE(gone.expired()) << "the platform let go of the closed window";
}

TEST(Window, TitleBarCloseTakesTheCloseRoadAndFailuresSurface) {
    OpenedWindow w([](TestWindow&) {});
    fw::testing::closeFromTitleBar(*w);
    EXPECT_EQ(w->log.back(), "Close");
    EXPECT_EQ(fw::Window::FindOpen("Test.Window"), nullptr);

    auto failing = std::make_shared<TestWindow>();
    failing->className = "Test.Failing";
    failing->onOpen = [](TestWindow&) { throw fw::RuntimeException("preferences unreadable"); };
    EXPECT_THROW(failing->Constructor(), fw::RuntimeException);
    failing->onOpen = nullptr;
    failing->Close();
    fw::testing::processEvents();

    // A window that closes itself in Open never appears.
    auto brief = std::make_shared<TestWindow>();
    brief->className = "Test.Brief";
    brief->onOpen = [](TestWindow& self) { self.Close(); };
    brief->Constructor();
    EXPECT_FALSE(brief->isOpen());
    EXPECT_FALSE(brief->impl().top->isVisible());
    fw::testing::processEvents();
}

TEST(Window, SizeIsTheContentAreaBelowTheMenuBar) {
    auto bar = std::make_shared<fw::MenuBar>();
    auto file = std::make_shared<fw::MenuItem>();
    file->setName("UntitledMenu3");
    file->setText("File");
    bar->AddMenu(file);
    OpenedWindow w([&](TestWindow& win) {
        win.onLayout = [&](TestWindow& self) {
            self.setMenuBar(bar);
            self.setWidth(746);
            self.setHeight(335);
            self.setMaximumHeight(331);
            self.setResizeable(false);
        };
    });
    const int barHeight = w->impl().menuBarHeight();
    EXPECT_GT(barHeight, 0);
    w->setWidth(366);
    w->setHeight(117);
    EXPECT_EQ(w->Width(), 366);
    EXPECT_EQ(w->Height(), 117);
    EXPECT_EQ(w->impl().top->size(), QSize(366, 117 + barHeight));
    EXPECT_EQ(w->impl().content->geometry(), QRect(0, barHeight, 366, 117));
    EXPECT_EQ(w->MenuBar(), bar);
}

TEST(Window, ControlsLockedToAnEdgeFollowIt) {
    OpenedWindow w([](TestWindow& win) {
        win.onLayout = [](TestWindow& self) {
            self.setWidth(635);
            self.setHeight(516);
        };
        win.onCreate = [](TestWindow& self) {
            auto viewer = self.add<fw::Label>("hvMain", 20, 46, 595, 450);
            for (const char* lock : {"LockLeft", "LockTop", "LockRight", "LockBottom"})
                viewer->setStoredProperty(lock, true);
            auto button = self.add<fw::PushButton>("PBIndex", 20, 14, 95, 20);
            auto corner = self.add<fw::Label>("Corner", 600, 500, 10, 10);
            corner->setStoredProperty("LockRight", true);
            corner->setStoredProperty("LockBottom", true);
        };
    });
    w->setWidth(735);
    w->setHeight(416);
    auto geometry = [&](const char* name) {
        auto* c = dynamic_cast<fw::Control*>(w->ControlByName(name));
        return std::vector<std::int64_t>{c->Left(), c->Top(), c->Width(), c->Height()};
    };
    EXPECT_EQ(geometry("hvMain"), (std::vector<std::int64_t>{20, 46, 695, 350}));
    EXPECT_EQ(geometry("PBIndex"), (std::vector<std::int64_t>{20, 14, 95, 20}));
    EXPECT_EQ(geometry("Corner"), (std::vector<std::int64_t>{700, 400, 10, 10}));
}

TEST(Window, BackgroundAndLabelPresses) {
    std::vector<std::string> labelPresses;
    OpenedWindow w([&](TestWindow& win) {
        win.onLayout = [](TestWindow& self) {
            self.setWidth(191);
            self.setHeight(203);
        };
        win.onCreate = [&](TestWindow& self) {
            auto mail = self.add<fw::Label>("stemail1", 4, 69, 183, 14);
            mail->MouseDown.addHandler([&](fw::Label& l, std::int64_t x, std::int64_t y) {
                labelPresses.push_back(l.Name() + " " + std::to_string(x) + "," +
                                       std::to_string(y));
                return true;
            });
            self.add<fw::Label>("Label1", 12, 144, 151, 20);
        };
    });
    fw::testing::pressOnBackground(*w, 100, 30);
    fw::testing::pressOnBackground(*w, 10, 70);   // on the mail line
    fw::testing::pressOnBackground(*w, 20, 150);  // on a label without handlers
    EXPECT_EQ(labelPresses, (std::vector<std::string>{"stemail1 6,1"}));
    EXPECT_EQ(w->presses,
              (std::vector<std::pair<std::int64_t, std::int64_t>>{{100, 30}, {20, 150}}));
}

TEST(Window, ShowBringsAnOpenWindowToTheFront) {
    OpenedWindow first([](TestWindow&) {}, "Test.First");
    OpenedWindow second([](TestWindow&) {}, "Test.Second");
    EXPECT_EQ(fw::testing::activeWindow(), second.window.get());
    first->Show();
    fw::testing::processEvents();
    EXPECT_EQ(fw::testing::activeWindow(), first.window.get());
    EXPECT_EQ(fw::Window::openWindows().size(), 2u);
}

TEST(Window, TabVisitsContainersInTheirOrder) {
    OpenedWindow w([](TestWindow& win) {
        win.onCreate = [](TestWindow& self) {
            self.add<fw::GroupBox>("GroupBox1", 150, 0, 140, 100)->setTabIndex(1);
            self.add<fw::TextField>("Inner1", 160, 60, 50, 22, "GroupBox1")->setTabIndex(1);
            self.add<fw::TextField>("Inner0", 160, 30, 50, 22, "GroupBox1")->setTabIndex(0);
            self.add<fw::TextField>("Outer", 10, 10, 50, 22)->setTabIndex(0);
            self.add<fw::PushButton>("Last", 10, 50, 50, 22)->setTabIndex(2);
        };
    });
    auto* outer = dynamic_cast<fw::TextField*>(w->ControlByName("Outer"));
    fw::testing::typeInto(*outer, "1");
    std::vector<std::string> visited;
    for (int i = 0; i < 3; ++i) {
        fw::testing::pressKeys(*w, "Tab");
        fw::Control* c = fw::testing::focusedControl(*w);
        visited.push_back(c != nullptr ? c->Name() : "none");
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"Inner0", "Inner1", "Last"}));
}

class Drops : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        ASSERT_TRUE(QDir(temp.path()).mkpath("pictures"));
        QFile file(temp.filePath("pictures/a b.jpg"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    std::string uri(const char* relative) {
        return QUrl::fromLocalFile(temp.filePath(relative))
            .toString(QUrl::FullyEncoded)
            .toStdString();
    }
    std::string path(const char* relative) { return temp.filePath(relative).toStdString(); }
    QTemporaryDir temp;
};

TEST_F(Drops, FilesFoldersAndTextArriveAsDragItems) {
    OpenedWindow w(
        [](TestWindow& win) { win.onOpen = [](TestWindow& self) { self.AcceptFileDrop("all"); }; });
    fw::testing::dropUris(*w, {uri("pictures/a b.jpg")});
    fw::testing::dropUris(*w, {uri("pictures"), uri("pictures/a b.jpg")});
    fw::testing::dropUris(*w, {"https://example.org/x.jpg"});
    fw::testing::dropPlainText(*w, "just text");
    ASSERT_EQ(w->drops.size(), 4u);

    const auto& file = w->drops[0];
    ASSERT_EQ(file.size(), 1u);
    ASSERT_NE(file[0].file, nullptr);
    EXPECT_EQ(file[0].file->NativePath(), path("pictures/a b.jpg"));
    EXPECT_FALSE(file[0].file->Directory());

    const auto& two = w->drops[1];
    ASSERT_EQ(two.size(), 2u);
    ASSERT_NE(two[0].file, nullptr);
    EXPECT_TRUE(two[0].file->Directory());
    EXPECT_EQ(two[0].file->Name(), "pictures");
    EXPECT_EQ(two[1].file->Name(), "a b.jpg");

    EXPECT_EQ(w->drops[2][0].file, nullptr);
    EXPECT_EQ(w->drops[2][0].text, "https://example.org/x.jpg");
    EXPECT_EQ(w->drops[3][0].file, nullptr);
    EXPECT_EQ(w->drops[3][0].text, "just text");
}

TEST_F(Drops, AWindowThatTakesNoDropsGetsNone) {
    OpenedWindow w([](TestWindow&) {});
    fw::testing::dropUris(*w, {uri("pictures")});
    EXPECT_TRUE(w->drops.empty());
}

}  // namespace
