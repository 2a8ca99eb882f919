#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "engine/framework/application.h"
#include "engine/framework/classregistry.h"
#include "engine/framework/controls.h"
#include "engine/framework/exceptions.h"
#include "platform/ui/controlimpl.h"
#include "platform/ui/uisupport.h"
#include "uitestwindow.h"

namespace {

class RecordingApp : public fw::Application {
public:
    [[nodiscard]] std::string ClassName() const override { return "Test.App"; }
    void Event_Open() override { log.push_back("Open"); }
    void Event_OpenDocument(const fw::FolderItemPtr& item) override {
        log.push_back("OpenDocument " + item->NativePath());
    }
    std::vector<std::string> log;
};

// Runs code from inside the event loop once it runs.
void soon(std::function<void()> code) {
    QTimer::singleShot(0, QCoreApplication::instance(), std::move(code));
}

class Runtime : public ::testing::Test {
protected:
    void TearDown() override {
        fw::RuntimeRegisterAppObject(previous);
        fw::platform::resetRuntimeForTests();
    }
    std::shared_ptr<fw::Application> previous = fw::RuntimeAppObject();
};

TEST_F(Runtime, VersionDataAndEventQueryFromTheRegistry) {
    fw::ClassRegistry::registerClass({"Test.App", "Application", {}, {"Open", "OpenDocument"}});
    RecordingApp app;
    app._x_SetVersionData(1, 7, 0, 0, 3, "1.7.0", "1.7.0", "1.7.0");
    EXPECT_EQ(app.MajorVersion(), 1);
    EXPECT_EQ(app.MinorVersion(), 7);
    EXPECT_EQ(app.BugVersion(), 0);
    EXPECT_EQ(app.NonReleaseVersion(), 0);
    EXPECT_EQ(app.StageCode(), 3);
    EXPECT_EQ(app.LongVersion(), "1.7.0");
    EXPECT_EQ(app.ShortVersion(), "1.7.0");
    EXPECT_EQ(app.PackageInfo(), "1.7.0");
    EXPECT_TRUE(app.IsEventImplemented("open"));
    EXPECT_TRUE(app.IsEventImplemented("OpenDocument"));
    EXPECT_FALSE(app.IsEventImplemented("Close"));
}

TEST_F(Runtime, LateStartupRunsAtOnceAndOpenComesFromTheLoop) {
    auto app = std::make_shared<RecordingApp>();
    fw::RuntimeRegisterAppObject(app);
    fw::RunFrameworkInitialization([&] { app->log.push_back("late"); });
    EXPECT_EQ(app->log, (std::vector<std::string>{"late"}));
    soon([] { fw::Quit(3); });
    EXPECT_EQ(fw::RuntimeRun(), 3);
    EXPECT_EQ(app->log, (std::vector<std::string>{"late", "Open"}));
    EXPECT_EQ(fw::RuntimeExitCode(), 3);
}

// Every path named on the command line reaches the program, made absolute against the current
// folder, whether it exists or not: the program decides what to do with it. Options do not.
TEST_F(Runtime, EachPathOnTheCommandLineIsOpenedAsADocument) {
    QTemporaryDir temp;
    ASSERT_TRUE(QDir(temp.path()).mkpath("pictures"));
    QFile(temp.filePath("pictures/a.jpg")).open(QIODevice::WriteOnly);
    const QString here = QDir::currentPath();
    QDir::setCurrent(temp.path());
    fw::platform::setDocumentArgumentsForTests({temp.filePath("pictures").toStdString(),
                                                "pictures/a.jpg", "missing.jpg", "", "-psn_0_42"});
    auto app = std::make_shared<RecordingApp>();
    fw::RuntimeRegisterAppObject(app);
    fw::RunFrameworkInitialization([] {});
    soon([] { fw::Quit(0); });
    EXPECT_EQ(fw::RuntimeRun(), 0);
    fw::platform::setDocumentArgumentsForTests({});
    QDir::setCurrent(here);
    EXPECT_EQ(app->log, (std::vector<std::string>{
                            "Open", "OpenDocument " + temp.filePath("pictures").toStdString(),
                            "OpenDocument " + temp.filePath("pictures/a.jpg").toStdString(),
                            "OpenDocument " + temp.filePath("missing.jpg").toStdString()}));
}

// "System" (or no name) is one concrete family at the sizes the layouts were made for, so that
// captions fit their laid-out geometry on any desktop.
TEST(Fonts, SystemIsDejaVuSansAtTheLayoutSizes) {
    ASSERT_TRUE(QFontDatabase::hasFamily(QStringLiteral("DejaVu Sans")))
        << "fonts-dejavu-core is not installed";
    EXPECT_EQ(QApplication::font().family().toStdString(), "DejaVu Sans");
    EXPECT_EQ(QApplication::font().pixelSize(), fw::ui::standardPixelSize);
    struct Case {
        const char* name;
        double size;
        const char* family;
        int pixels;
    };
    for (const Case& c : std::vector<Case>{{"System", 0, "DejaVu Sans", 12},
                                           {"system", 11, "DejaVu Sans", 11},
                                           {"", 14, "DejaVu Sans", 14},
                                           {"DejaVu Serif", 0, "DejaVu Serif", 12}}) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.size));
        const QFont font = fw::ui::fontFor(c.name, c.size, true, false, false);
        EXPECT_EQ(font.family().toStdString(), c.family);
        EXPECT_EQ(QFontInfo(font).family().toStdString(), c.family) << "the family is really there";
        EXPECT_EQ(font.pixelSize(), c.pixels);
        EXPECT_TRUE(font.bold());
    }
    OpenedWindow w([](TestWindow& win) {
        win.onCreate = [](TestWindow& self) { self.add<fw::Label>("STStatus", 13, 77, 343, 20); };
    });
    const QWidget* label = dynamic_cast<fw::Control*>(w->ControlByName("STStatus"))->impl().widget;
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(QFontInfo(label->font()).family().toStdString(), "DejaVu Sans");
    EXPECT_EQ(QFontInfo(label->font()).pixelSize(), 12);
}

TEST_F(Runtime, AnExceptionEscapingAHandlerIsReportedAndEndsTheLoop) {
    OpenedWindow w([](TestWindow& win) {
        win.onCreate = [](TestWindow& self) {
            auto go = self.add<fw::PushButton>("PBGo", 10, 10, 84, 20);
            go->Action.addHandler(
                [](fw::PushButton&) { throw fw::NilObjectException("no folder"); });
        };
    });
    auto* go = dynamic_cast<fw::PushButton*>(w->ControlByName("PBGo"));
    ::testing::internal::CaptureStderr();
    soon([go] { fw::testing::click(*go); });
    const int code = fw::RuntimeRun();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(code, 1);
    EXPECT_EQ(fw::RuntimeExitCode(), 1);
    EXPECT_NE(err.find("vimbel: unhandled exception: no folder"), std::string::npos) << err;
}

TEST_F(Runtime, AQuitBeforeTheLoopMakesItReturnAtOnce) {
    OpenedWindow w([](TestWindow&) {});
    fw::Quit(0);
    EXPECT_FALSE(w->isOpen());
    EXPECT_EQ(fw::RuntimeRun(), 0);
}

}  // namespace
