// The main window's whole job: choosing the source folder, running and cancelling a batch through
// the real worker thread, and the preferences file. Real widgets and events, offscreen.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/framework/application.h"
#include "engine/framework/color.h"
#include "engine/framework/eventloop.h"
#include "engine/framework/folderitem.h"
#include "engine/framework/picture.h"
#include "engine/framework/selectfolderdialog.h"
#include "mainwindow/app.h"
#include "mainwindow/main.h"
#include "platform/testing/systemhooks.h"
#include "platform/testing/testing.h"
#include "tests/mainwindow/windowsandbox.h"
#include "tests/platform/scratch.h"

namespace fs = std::filesystem;
using fw::testing::click;
using fw::testing::waitUntil;

namespace {

[[nodiscard]] const fs::path& sandbox() {
    return windowsandbox::root();
}
[[nodiscard]] fs::path prefsPath() {
    return windowsandbox::preferencesFile();
}

[[nodiscard]] std::vector<unsigned char> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

[[nodiscard]] int u16At(const std::vector<unsigned char>& bytes, std::size_t offset) {
    return bytes[offset] | (bytes[offset + 1] << 8);
}

[[nodiscard]] fw::FolderItemPtr item(const fs::path& path) {
    return fw::FolderItem::fromNativePath(path.string());
}

void makePicture(const fs::path& path, int width, int height) {
    fw::Picture picture(width, height, 32);
    const bool png = path.extension() == ".png";
    picture.Save(item(path), png ? fw::Picture::FormatPNG : fw::Picture::FormatJPEG, 80);
}

// A folder of pictures (and, optionally, things that are not pictures) made for one test.
fs::path makeFolder(const fs::path& path, const std::vector<std::string>& names, int width = 40,
                    int height = 30) {
    fs::create_directories(path);
    for (const std::string& name : names) {
        const fs::path file = path / name;
        if (file.extension() == ".txt")
            std::ofstream(file) << "not a picture";
        else
            makePicture(file, width, height);
    }
    return path;
}

// The files of a folder, by name.
[[nodiscard]] std::set<std::string> filesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename());
    return names;
}

// The output folder that a batch made beside its source, found as the one new folder there.
[[nodiscard]] std::optional<fs::path> outputBeside(const fs::path& source) {
    for (const auto& entry : fs::directory_iterator(source.parent_path())) {
        if (entry.is_directory() && entry.path() != source &&
            entry.path().filename().string().rfind(source.filename().string(), 0) == 0)
            return entry.path();
    }
    return std::nullopt;
}

[[nodiscard]] bool running(Main& w) {
    return w.PBGo()->Cancel();
}

constexpr fw::Color kRed = fw::RGB(200, 0, 0, 0);
constexpr fw::Color kBlack = fw::RGB(0, 0, 0, 0);

class MainWindowBatch : public ::testing::Test {
protected:
    void SetUp() override {
        std::error_code ignored;
        fs::remove_all(prefsPath(), ignored);
        work = sandbox() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(work, ignored);
        fs::create_directories(work);
        beeps = 0;
        // Only the window's own beeps: the worker's end-of-batch beep, on its thread, may land
        // while a row that acts during a batch is counting.
        fw::testing::setBeepHandler([this] {
            if (fw::isMainThread())
                ++beeps;
        });
    }

    void TearDown() override {
        fw::testing::setProgressValueHandler({});  // it may hold a finished test's locals
        closeWindow();
        fw::SelectFolderDialog::setTestResponder({});
        fw::testing::setBeepHandler({});
        std::error_code ignored;
        fs::remove_all(work, ignored);
    }

    // Opens the main window as start-up does, reading the preferences file if there is one.
    Main& openWindow() {
        window = the::Main();
        return *window;
    }

    // Closes it as the title bar's close button does: the close handler saves the preferences.
    void closeWindow() {
        if (window && window->isOpen())
            fw::testing::closeFromTitleBar(*window);
        if (window)
            window->internalthread()->wait();
        window.reset();
    }

    void chooseWithDialog(const fs::path& folder) {
        fw::SelectFolderDialog::setTestResponder([f = item(folder)] { return f; });
        click(*window->PBSelect());
        fw::SelectFolderDialog::setTestResponder({});
    }

    // Waits for the end of the batch, as the window shows it.
    void waitForIdle() {
        ASSERT_TRUE(waitUntil([this] { return !running(*window); }));
    }

    fs::path work;
    std::shared_ptr<Main> window;
    std::atomic<int> beeps{0};
};

// ---- Source folder choice ----------------------------------------------------------------------

TEST_F(MainWindowBatch, CancelledDialogBeforeAnyChoiceLeavesNoFolder) {
    Main& w = openWindow();
    fw::testing::typeInto(*w.EFPSize(), "100");
    fw::SelectFolderDialog::setTestResponder([] { return fw::FolderItemPtr(); });
    click(*w.PBSelect());
    EXPECT_EQ(w.f, nullptr);
    EXPECT_EQ(w.STFolder()->Caption(), "No folder selected");
    EXPECT_FALSE(w.PBGo()->Enabled());
}

// One row per way of handing over an item; "during a batch" rows run a real batch on the folder
// chosen before and act before its end has reached the window.
TEST_F(MainWindowBatch, FolderChoiceTable) {
    enum class How { Dialog, CancelledDialog, Drop, PlainTextDrop, OpenDocument };
    struct Row {
        const char* name;
        How how;
        bool duringBatch;
        std::vector<std::string> items;  // paths below the work folder; "/" is the root
        const char* expected;            // the source folder afterwards, below the work folder
        int beeps;
    };
    const std::vector<Row> rows = {
        {"dialog", How::Dialog, false, {"A"}, "A", 0},
        {"cancelled dialog keeps the folder", How::CancelledDialog, false, {}, "P", 0},
        {"folder dropped", How::Drop, false, {"A"}, "A", 0},
        {"file dropped", How::Drop, false, {"A/a.png"}, "A", 0},
        {"only the first item counts", How::Drop, false, {"B/b.png", "A"}, "B", 0},
        {"plain text beeps", How::PlainTextDrop, false, {}, "P", 1},
        {"folder dropped during a batch", How::Drop, true, {"A"}, "A", 0},
        {"folder handed over", How::OpenDocument, false, {"A"}, "A", 0},
        {"file handed over", How::OpenDocument, false, {"A/a.png"}, "A", 0},
        {"folder handed over during a batch", How::OpenDocument, true, {"B/A"}, "B", 0},
        {"file handed over during a batch", How::OpenDocument, true, {"A/a.png"}, "A", 0},
        {"root handed over during a batch", How::OpenDocument, true, {"/"}, "P", 0},
    };
    makeFolder(work / "P", {"p.png"}, 600, 600);
    makeFolder(work / "A", {"a.png"});
    makeFolder(work / "B", {"b.png"});
    makeFolder(work / "B" / "A", {});
    App app;

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Main& w = openWindow();
        fw::testing::typeInto(*w.EFPSize(), "10");
        chooseWithDialog(work / "P");
        ASSERT_NE(w.f, nullptr);
        if (row.duringBatch) {
            click(*w.PBGo());
            ASSERT_TRUE(running(w));
        } else {
            w.PB()->setValue(0.5);  // so that a reset shows
        }
        const double progressBefore = w.PB()->Value();
        beeps = 0;
        // Size and folder are set, so only an enablego run after the action turns Go back on.
        w.PBGo()->setEnabled(false);

        std::vector<std::string> uris;
        for (const std::string& p : row.items)
            uris.push_back("file://" + (p == "/" ? std::string("/") : (work / p).string()));
        switch (row.how) {
            case How::Dialog:
                chooseWithDialog(work / row.items[0]);
                break;
            case How::CancelledDialog:
                fw::SelectFolderDialog::setTestResponder([] { return fw::FolderItemPtr(); });
                click(*w.PBSelect());
                break;
            case How::Drop:
                fw::testing::dropUris(w, uris);
                break;
            case How::PlainTextDrop:
                fw::testing::dropPlainText(w, "just some words");
                break;
            case How::OpenDocument:
                app.Event_OpenDocument(row.items[0] == "/" ? item("/") : item(work / row.items[0]));
                break;
        }

        const fs::path expected = work / row.expected;
        ASSERT_NE(w.f, nullptr);
        EXPECT_EQ(fs::path(w.f->NativePath()), expected);
        EXPECT_EQ(w.STFolder()->Caption(), expected.filename().string());
        // A folder taken resets the progress value; during a batch the next "NbDone" may follow.
        const bool taken = std::string(row.expected) != "P";
        if (!row.duringBatch) {
            EXPECT_EQ(w.PB()->Value(), taken ? 0.0 : progressBefore);
        }
        EXPECT_EQ(beeps, row.beeps);
        // enablego ran: Go (or Cancel) is enabled again.
        EXPECT_TRUE(w.PBGo()->Enabled());

        if (row.duringBatch) {
            waitForIdle();
            // The batch went on with its own folder.
            EXPECT_EQ(w.STStatus()->Caption(), "Folder 'P' processed");
        }
        closeWindow();
    }
}

// ---- Run control and progress ------------------------------------------------------------------

// The sixteen controls that a start disables, in their order.
[[nodiscard]] std::vector<fw::Control*> lockedAtStart(Main& w) {
    return {w.EFPSize(),  w.PMPType(),  w.EFIWidth(),  w.EFIHeight(), w.PMIWidth(),  w.PMIHeight(),
            w.RBType(0),  w.RBType(1),  w.RBType(2),   w.SLQuality(), w.PMQuality(), w.CBIncrease(),
            w.PBSelect(), w.EFBWidth(), w.EFBHeight(), w.CBName()};
}

TEST_F(MainWindowBatch, WholeBatchFromTheWindow) {
    // Three pictures and a document; the second entry does not open.
    const fs::path src = makeFolder(work / "Holiday", {"a.png", "b.txt", "c.jpg", "d.png"}, 80, 40);
    Main& w = openWindow();
    fw::testing::typeInto(*w.EFPSize(), "20");
    fw::testing::dropUris(w, {"file://" + src.string()});
    w.STStatus()->setCaption("earlier text");
    w.STStatus()->setTextColor(kRed);
    ASSERT_TRUE(w.PBGo()->Enabled());
    ASSERT_TRUE(w.PBGo()->Default());

    std::vector<double> progress;
    fw::testing::setProgressValueHandler([&](double v) { progress.push_back(v); });
    fw::testing::pressKeys(w, "Return");

    // Running: the sixteen locked, the rest untouched, Go turned into Cancel.
    ASSERT_TRUE(running(w));
    for (fw::Control* c : lockedAtStart(w))
        EXPECT_FALSE(c->Enabled()) << c->Name();
    EXPECT_TRUE(w.PMExportFormat()->Enabled());
    EXPECT_TRUE(w.STJPEGQuality()->Enabled());
    EXPECT_TRUE(w.DTSettings()->Enabled());
    EXPECT_FALSE(w.CBDos()->Enabled());
    EXPECT_EQ(w.PBGo()->Caption(), "Cancel");
    EXPECT_FALSE(w.PBGo()->Default());
    EXPECT_TRUE(w.PBGo()->Enabled());
    EXPECT_EQ(w.PB()->MaximumValue(), 3);
    EXPECT_EQ(w.STStatus()->TextColor(), kBlack);
    EXPECT_EQ(w.STStatus()->Caption(), "earlier text");
    EXPECT_EQ(w.internalthread()->dir, w.f);
    EXPECT_EQ(w.internalthread()->proportionalSize, 20);
    EXPECT_EQ(w.internalthread()->resizeType, 0);

    // The progress value follows "NbDone" (the index of the entry just saved) until the end.
    waitForIdle();
    fw::testing::setProgressValueHandler({});
    EXPECT_EQ(progress, (std::vector<double>{1, 3, 4, 0}));

    EXPECT_EQ(w.STStatus()->Caption(), "Folder 'Holiday' processed");
    EXPECT_EQ(w.STStatus()->TextColor(), kRed);
    EXPECT_EQ(w.PB()->Value(), 0.0);
    EXPECT_EQ(w.PB()->MaximumValue(), 1);
    EXPECT_EQ(w.PBGo()->Caption(), "Go");
    EXPECT_TRUE(w.PBGo()->Default());
    EXPECT_FALSE(w.PBGo()->Cancel());
    // Idle again: the proportional rule's size controls, the choices and Select enabled.
    const std::vector<fw::Control*> enabled = {
        w.EFPSize(),       w.PMPType(),   w.RBType(0),    w.RBType(1),       w.RBType(2),
        w.SLQuality(),     w.PMQuality(), w.CBIncrease(), w.PBSelect(),      w.CBName(),
        w.STJPEGQuality(), w.PBGo(),      w.DTSettings(), w.PMExportFormat()};
    for (fw::Control* c : enabled)
        EXPECT_TRUE(c->Enabled()) << c->Name();
    const std::vector<fw::Control*> disabled = {w.EFIWidth(),  w.EFIHeight(), w.PMIWidth(),
                                                w.PMIHeight(), w.EFBWidth(),  w.EFBHeight(),
                                                w.CBDos()};
    for (fw::Control* c : disabled)
        EXPECT_FALSE(c->Enabled()) << c->Name();

    const std::optional<fs::path> out = outputBeside(src);
    ASSERT_TRUE(out);
    EXPECT_EQ(filesIn(*out), (std::set<std::string>{"a.jpg", "c.jpg", "d.jpg"}));
    const fw::PicturePtr a = fw::Picture::Open(item(*out / "a.jpg"));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Width(), 20);
    EXPECT_EQ(a->Height(), 10);
}

// PNG, a drop during the run, and a second start that turns the finished text black again.
TEST_F(MainWindowBatch, PngBatchWithADropDuringTheRun) {
    const fs::path first = makeFolder(work / "First", {"a.png", "b.png"});
    const fs::path second = makeFolder(work / "Second", {"c.png"});
    Main& w = openWindow();
    fw::testing::typeInto(*w.EFPSize(), "10");
    fw::testing::chooseRow(*w.PMExportFormat(), 1);
    chooseWithDialog(first);

    click(*w.PBGo());
    ASSERT_TRUE(running(w));
    fw::testing::dropUris(w, {"file://" + second.string()});
    EXPECT_EQ(w.STFolder()->Caption(), "Second");
    EXPECT_EQ(w.PB()->Value(), 0.0);
    EXPECT_EQ(w.internalthread()->dir->Name(), "First");
    waitForIdle();

    EXPECT_EQ(w.STStatus()->Caption(), "Folder 'First' processed");
    EXPECT_EQ(w.STFolder()->Caption(), "Second");
    // PNG: the quality controls end disabled although the end enabled two of them first.
    EXPECT_FALSE(w.STJPEGQuality()->Enabled());
    EXPECT_FALSE(w.PMQuality()->Enabled());
    EXPECT_FALSE(w.SLQuality()->Enabled());
    EXPECT_TRUE(w.CBName()->Enabled());
    const std::optional<fs::path> out = outputBeside(first);
    ASSERT_TRUE(out);
    EXPECT_EQ(filesIn(*out), (std::set<std::string>{"a.png", "b.png"}));

    // The next start processes the new folder; the red text turns black until the first status.
    click(*w.PBGo());
    EXPECT_EQ(w.STStatus()->TextColor(), kBlack);
    EXPECT_EQ(w.PB()->MaximumValue(), 0);
    waitForIdle();
    EXPECT_EQ(w.STStatus()->Caption(), "Folder 'Second' processed");
}

// A start copies all fifteen settings, whatever the rule, with size texts truncated toward zero.
TEST_F(MainWindowBatch, StartCopiesTheFifteenSettings) {
    const fs::path src = makeFolder(work / "Settings", {"a.png"});
    Main& w = openWindow();
    click(*w.RBType(1));
    fw::testing::typeInto(*w.EFIWidth(), "-3.7");
    fw::testing::typeInto(*w.EFIHeight(), "12.9");
    fw::testing::chooseRow(*w.PMIHeight(), 1);
    w.EFPSize()->setText("abc");
    w.EFBWidth()->setText("800");
    w.PMPType()->setListIndex(3);
    fw::testing::chooseRow(*w.PMExportFormat(), 1);
    w.SLQuality()->setValue(55);
    click(*w.CBIncrease());
    w.CBDos()->setValue(true);  // ticked but disabled: still handed over
    chooseWithDialog(src);
    click(*w.PBGo());
    ASSERT_TRUE(running(w));

    const threadResize& t = *w.internalthread();
    EXPECT_EQ(t.dir, w.f);
    EXPECT_EQ(t.pictureType, 1);
    EXPECT_EQ(t.proportionalMode, 3);
    EXPECT_TRUE(t.bigger);
    EXPECT_EQ(t.proportionalSize, 0);
    EXPECT_EQ(t.independentWidth, -3);
    EXPECT_EQ(t.independentHeight, 12);
    EXPECT_EQ(t.independentWidthMode, 0);
    EXPECT_EQ(t.independentHeightMode, 1);
    EXPECT_EQ(t.boxWidth, 800);
    EXPECT_EQ(t.boxHeight, 0);
    EXPECT_EQ(t.jpegQuality, 55);
    EXPECT_FALSE(t.nameWeb);
    EXPECT_TRUE(t.nameDOS);
    EXPECT_EQ(t.resizeType, 1);
    // A negative width cannot make a picture: the batch fails and the window is idle again.
    waitForIdle();
    EXPECT_EQ(w.STStatus()->TextColor(), kRed);
}

// Each message is tested for every key, one after the other.
TEST_F(MainWindowBatch, ProgressMessagesTable) {
    struct Row {
        const char* name;
        std::vector<fw::Pair> message;
        const char* status;  // the status line afterwards
        double progress;
        bool idle;  // returned to idle (red text, bar 0 of 1)
    };
    const std::vector<Row> rows = {
        {"status and progress together",
         {{"Status", std::string("step")}, {"NbDone", std::int64_t{5}}},
         "step",
         5,
         false},
        {"progress as a 32-bit value",
         {{"NbDone", (std::int64_t{1} << 32) + 7}},
         "before",
         7,
         false},
        {"no known key", {{"Other", true}}, "before", 2, false},
        {"status, then the end",
         {{"Status", std::string("step")}, {"Done", true}},
         "Folder 'Run' processed",
         0,
         true},
        {"a failure ends like the end",
         {{"Error", std::string("Disk full")}},
         "Disk full",
         0,
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Main& w = openWindow();
        w.internalthread()->dir = item(work / "Run");
        w.STStatus()->setCaption("before");
        w.PB()->setValue(2);
        w.internalthread()->AddUserInterfaceUpdate(row.message);
        w.internalthread()->deliverPendingUpdates();
        EXPECT_EQ(w.STStatus()->Caption(), row.status);
        EXPECT_EQ(w.PB()->Value(), row.progress);
        EXPECT_EQ(w.PB()->MaximumValue(), row.idle ? 1 : 100);
        EXPECT_EQ(w.STStatus()->TextColor(), row.idle ? kRed : kBlack);
        closeWindow();
    }
}

// Cancel while the second picture is being made: it is still saved, the third is not, and the
// batch ends as a finished one does.
TEST_F(MainWindowBatch, CancelDuringTheSecondPicture) {
    const fs::path src = work / "Big";
    makeFolder(src, {"1.png"}, 40, 30);
    makeFolder(src, {"2.png"}, 3000, 3000);  // slow enough to be cancelled while it is made
    makeFolder(src, {"3.png", "4.png"}, 40, 30);
    Main& w = openWindow();
    fw::testing::typeInto(*w.EFPSize(), "16");
    chooseWithDialog(src);

    click(*w.PBGo());
    ASSERT_TRUE(waitUntil([&] { return w.STStatus()->Caption() == "Processing picture 2 of 4"; }));
    fw::testing::pressKeys(w, "Escape");  // the Cancel button while running
    EXPECT_TRUE(w.endthread);
    click(*w.PBGo());  // a second press changes nothing visible
    EXPECT_TRUE(running(w));
    EXPECT_EQ(w.PBGo()->Caption(), "Cancel");
    EXPECT_FALSE(w.PBSelect()->Enabled());
    waitForIdle();

    EXPECT_FALSE(w.endthread);
    EXPECT_EQ(w.STStatus()->Caption(), "Folder 'Big' processed");
    EXPECT_EQ(w.STStatus()->TextColor(), kRed);
    const std::optional<fs::path> out = outputBeside(src);
    ASSERT_TRUE(out);
    EXPECT_EQ(filesIn(*out), (std::set<std::string>{"1.jpg", "2.jpg"}));
}

// A batch that fails returns the window to idle with the failure's text in red.
TEST_F(MainWindowBatch, FailedBatchReturnsToIdleWithTheErrorText) {
    enum class Source { Tiny, Root, Unreadable, Gone };
    struct Row {
        const char* name;
        const char* size;
        Source source;
        const char* text;  // nullptr: any text but the finished one
        const char* part;  // a part of the text, when given
    };
    const std::vector<Row> rows = {
        // 0.5 passes the size check and reaches the worker as 0: a 0 side.
        {"zero side", "0.5", Source::Tiny, "Width/Height needs to be in the range 1-32767",
         nullptr},
        {"folder without a parent", "10", Source::Root, nullptr, nullptr},
        // The start itself fails: the folder's entries cannot be counted for the progress bar.
        {"folder that cannot be read", "10", Source::Unreadable, nullptr, "\"Shut\""},
        // Chosen, then deleted before Go: it is not taken for an empty folder.
        {"folder that is gone", "10", Source::Gone, nullptr, "\"Gone\""},
    };
    const fs::path src = makeFolder(work / "Tiny", {"a.png", "b.png"});
    const fs::path shut = makeFolder(work / "Shut", {"a.png"});
    const fs::path gone = makeFolder(work / "Gone", {"a.png"});
    bool skipped = false;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.source == Source::Unreadable && geteuid() == 0) {
            skipped = true;  // root reads folders without read permission
            continue;
        }
        Main& w = openWindow();
        fw::testing::typeInto(*w.EFPSize(), row.size);
        chooseWithDialog(row.source == Source::Root         ? fs::path("/")
                         : row.source == Source::Tiny       ? src
                         : row.source == Source::Unreadable ? shut
                                                            : gone);
        ASSERT_TRUE(w.PBGo()->Enabled());
        if (row.source == Source::Unreadable)
            fs::permissions(shut, fs::perms::owner_write | fs::perms::owner_exec);
        if (row.source == Source::Gone)
            fs::remove_all(gone);
        click(*w.PBGo());
        waitForIdle();
        fs::permissions(shut, fs::perms::owner_all);

        if (row.text)
            EXPECT_EQ(w.STStatus()->Caption(), row.text);
        else
            EXPECT_NE(w.STStatus()->Caption().find_first_not_of(' '), std::string::npos);
        if (row.part) {
            EXPECT_NE(w.STStatus()->Caption().find(row.part), std::string::npos)
                << w.STStatus()->Caption();
        }
        EXPECT_EQ(w.STStatus()->Caption().find("processed"), std::string::npos);
        EXPECT_EQ(w.STStatus()->TextColor(), kRed);
        EXPECT_EQ(w.PBGo()->Caption(), "Go");
        EXPECT_TRUE(w.PBGo()->Default());
        EXPECT_TRUE(w.PBSelect()->Enabled());
        EXPECT_TRUE(w.EFPSize()->Enabled());
        EXPECT_EQ(w.PB()->MaximumValue(), 1);
        closeWindow();
    }
    // The zero side stopped at the first picture: nothing was saved.
    const std::optional<fs::path> out = outputBeside(src);
    ASSERT_TRUE(out);
    EXPECT_TRUE(filesIn(*out).empty());
    // No output folder was made for the folder that was gone.
    EXPECT_FALSE(outputBeside(gone));
    if (skipped)
        GTEST_SKIP() << "the unreadable folder needs a user other than root";
}

// The worker object destroyed while its run goes on, with no window open: the run must still see
// the window's stop check (no window: stop) until it returns, so it ends after the picture being
// made instead of going through the whole folder.
TEST_F(MainWindowBatch, DestroyedWorkerStopsThroughTheWindowCheckUntilItsRunReturns) {
    const fs::path src =
        makeFolder(work / "Orphan", {"1.png", "2.png", "3.png", "4.png"}, 400, 300);
    {
        auto worker = std::make_unique<Main::_wrapper_internalthread>();
        worker->proportionalSize = 20;
        worker->jpegQuality = 80;
        worker->dir = item(src);
        worker->Run();
    }
    const std::optional<fs::path> out = outputBeside(src);
    ASSERT_TRUE(out);
    EXPECT_EQ(filesIn(*out), (std::set<std::string>{"1.jpg"}));
}

// Closing the window while a batch runs: the close waits for the picture being made, so every
// saved picture is whole, and the preferences are written.
TEST_F(MainWindowBatch, ClosingDuringABatchWaitsForThePictureBeingMade) {
    const fs::path src = work / "Long";
    makeFolder(src, {"1.png", "2.png", "3.png", "4.png", "5.png", "6.png"}, 1500, 1500);
    Main& w = openWindow();
    fw::testing::typeInto(*w.EFPSize(), "300");
    chooseWithDialog(src);
    click(*w.PBGo());
    ASSERT_TRUE(waitUntil([&] { return w.PB()->Value() >= 1; }));

    fw::testing::closeFromTitleBar(w);
    EXPECT_FALSE(w.internalthread()->isRunning());
    EXPECT_EQ(readBytes(prefsPath()).size(), 27u);

    const std::optional<fs::path> out = outputBeside(src);
    ASSERT_TRUE(out);
    const std::set<std::string> saved = filesIn(*out);
    EXPECT_FALSE(saved.empty());
    EXPECT_LT(saved.size(), 6u);  // it stopped early
    for (const std::string& name : saved) {
        SCOPED_TRACE(name);
        EXPECT_EQ(fs::path(name).extension(), ".jpg");
        const fw::PicturePtr p = fw::Picture::Open(item(*out / name));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Width(), 300);
        EXPECT_EQ(p->Height(), 300);
    }
    window.reset();
}

// ---- Preferences file --------------------------------------------------------------------------

// Offsets of the record's fields.
enum Offset : std::size_t {
    kShown = 0,
    kRule = 1,
    kPSize = 3,
    kPType = 5,
    kBWidth = 7,
    kBHeight = 9,
    kIWidth = 11,
    kIWidthMode = 13,
    kIHeight = 15,
    kIHeightMode = 17,
    kQuality = 19,
    kIncrease = 21,
    kReserved = 22,
    kWeb = 23,
    kDos = 24,
    kFormat = 25,
};

// A good record: settings shown, proportional, quality 80, everything else 0 or False.
[[nodiscard]] std::vector<unsigned char> goodRecord() {
    std::vector<unsigned char> r(27, 0);
    r[kShown] = 1;
    r[kQuality] = 80;
    return r;
}

// Each number text is stored as Val truncated to 32 bits, low 16 bits, and read back signed.
TEST_F(MainWindowBatch, StoredNumberTexts) {
    struct Row {
        const char* typed;
        int stored;
        const char* readBack;
    };
    const std::vector<Row> rows = {
        {"12.7", 12, "12"},      {"-5", 65531, "-5"},   {"40000", 40000, "-25536"},
        {"70000", 4464, "4464"}, {"", 0, "0"},          {"abc", 0, "0"},
        {"3000000000", 0, "0"},  {"-3.9", 65533, "-3"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        Main& w = openWindow();
        // The same text in all five fields: each lands at its own offset, in record order.
        for (fw::TextField* field :
             {w.EFPSize(), w.EFBWidth(), w.EFBHeight(), w.EFIWidth(), w.EFIHeight()})
            field->setText(row.typed);
        closeWindow();

        const std::vector<unsigned char> bytes = readBytes(prefsPath());
        ASSERT_EQ(bytes.size(), 27u);
        for (std::size_t offset : {kPSize, kBWidth, kBHeight, kIWidth, kIHeight})
            EXPECT_EQ(u16At(bytes, offset), row.stored) << "offset " << offset;

        Main& again = openWindow();
        for (fw::TextField* field : {again.EFPSize(), again.EFBWidth(), again.EFBHeight(),
                                     again.EFIWidth(), again.EFIHeight()})
            EXPECT_EQ(field->Text(), row.readBack) << field->Name();
        closeWindow();
    }
}

// Round trips of whole window states through the file.
TEST_F(MainWindowBatch, PreferencesRoundTrip) {
    // The box rule example.
    {
        Main& w = openWindow();
        click(*w.RBType(2));
        fw::testing::typeInto(*w.EFBWidth(), "800");
        fw::testing::typeInto(*w.EFBHeight(), "600");
        fw::testing::chooseRow(*w.PMExportFormat(), 1);
        w.SLQuality()->setValue(75);
        click(*w.CBName());
        click(*w.CBDos());
        w.PMIWidth()->setListIndex(1);
        click(*w.DTSettings());
        ASSERT_EQ(w.Width(), 366);
        closeWindow();

        const std::vector<unsigned char> bytes = readBytes(prefsPath());
        ASSERT_EQ(bytes.size(), 27u);
        EXPECT_EQ(bytes[kShown], 0);
        EXPECT_EQ(u16At(bytes, kRule), 2);
        EXPECT_EQ(u16At(bytes, kBWidth), 800);
        EXPECT_EQ(u16At(bytes, kBHeight), 600);
        EXPECT_EQ(u16At(bytes, kIWidthMode), 1);
        EXPECT_EQ(u16At(bytes, kQuality), 75);
        EXPECT_EQ(bytes[kReserved], 0);
        EXPECT_EQ(bytes[kWeb], 1);
        EXPECT_EQ(bytes[kDos], 1);
        EXPECT_EQ(u16At(bytes, kFormat), 1);

        Main& again = openWindow();
        EXPECT_TRUE(again.RBType(2)->Value());
        EXPECT_FALSE(again.RBType(0)->Value());
        EXPECT_EQ(again.EFBWidth()->Text(), "800");
        EXPECT_EQ(again.EFBHeight()->Text(), "600");
        EXPECT_TRUE(again.EFBWidth()->Enabled());
        EXPECT_FALSE(again.EFPSize()->Enabled());
        EXPECT_EQ(again.PMIWidth()->ListIndex(), 1);
        EXPECT_EQ(again.PMExportFormat()->ListIndex(), 1);
        EXPECT_FALSE(again.SLQuality()->Enabled());
        EXPECT_FALSE(again.PMQuality()->Enabled());
        EXPECT_FALSE(again.STJPEGQuality()->Enabled());
        EXPECT_EQ(again.SLQuality()->Value(), 75);
        EXPECT_EQ(again.STQuality()->Caption(), "75");
        EXPECT_EQ(again.PMQuality()->ListIndex(), 4);
        EXPECT_TRUE(again.CBName()->Value());
        EXPECT_TRUE(again.CBDos()->Value());
        EXPECT_TRUE(again.CBDos()->Enabled());
        EXPECT_FALSE(again.DTSettings()->Value());
        EXPECT_EQ(again.Width(), 366);
        EXPECT_EQ(again.Height(), 117);
        EXPECT_TRUE(again.DTSettings()->Enabled());
        closeWindow();
    }
    // A pop-up with no row, a ticked DOS box without web-ready names, the increase box.
    {
        fs::remove(prefsPath());
        Main& w = openWindow();
        w.PMPType()->setListIndex(-1);
        w.CBDos()->setValue(true);
        click(*w.CBIncrease());
        closeWindow();
        const std::vector<unsigned char> bytes = readBytes(prefsPath());
        ASSERT_EQ(bytes.size(), 27u);
        EXPECT_EQ(u16At(bytes, kPType), 0xFFFF);
        EXPECT_EQ(bytes[kIncrease], 1);

        Main& again = openWindow();
        EXPECT_EQ(again.PMPType()->ListIndex(), -1);
        EXPECT_TRUE(again.CBDos()->Value());
        EXPECT_FALSE(again.CBDos()->Enabled());
        EXPECT_TRUE(again.CBIncrease()->Value());
        EXPECT_EQ(again.Width(), 746);
        EXPECT_EQ(again.Height(), 322);
        closeWindow();
    }
}

TEST_F(MainWindowBatch, ReservedFieldIsIgnoredAndWrittenBackFalse) {
    std::vector<unsigned char> record = goodRecord();
    record[kReserved] = 1;
    record[kPSize] = 42;
    writeBytes(prefsPath(), record);

    Main& w = openWindow();
    EXPECT_EQ(w.EFPSize()->Text(), "42");
    closeWindow();
    const std::vector<unsigned char> bytes = readBytes(prefsPath());
    ASSERT_EQ(bytes.size(), 27u);
    EXPECT_EQ(bytes[kReserved], 0);
    EXPECT_EQ(bytes[kPSize], 42);
}

// A file that cannot be used is not applied at all, not even its first fields: the window opens
// with the layout's defaults, sized, checked and taking drops, and the next close repairs it.
TEST_F(MainWindowBatch, UnusableFileGivesTheDefaults) {
    // Each record folds the triangle and fills the size, so that a partial load would show.
    std::vector<unsigned char> folded = goodRecord();
    folded[kShown] = 0;
    folded[kPSize] = 99;
    folded[kFormat] = 1;
    struct Row {
        const char* name;
        std::vector<unsigned char> bytes;
        bool asFolder;
    };
    std::vector<unsigned char> shortRecord(folded.begin(), folded.end() - 1);
    std::vector<unsigned char> rule3 = folded;
    rule3[kRule] = 3;
    std::vector<unsigned char> ruleMinus1 = folded;
    ruleMinus1[kRule] = ruleMinus1[kRule + 1] = 0xFF;
    const std::vector<Row> rows = {
        {"one byte short", shortRecord, false},
        {"empty", {}, false},
        {"rule 3", rule3, false},
        {"rule -1", ruleMinus1, false},
        {"a folder in its place", {}, true},
    };
    const fs::path dropped = makeFolder(work / "Dropped", {});

    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::error_code ignored;
        fs::remove_all(prefsPath(), ignored);
        if (row.asFolder)
            fs::create_directories(prefsPath());
        else
            writeBytes(prefsPath(), row.bytes);

        Main& w = openWindow();
        EXPECT_EQ(w.Width(), 746);
        EXPECT_EQ(w.Height(), 322);
        EXPECT_TRUE(w.DTSettings()->Value());
        EXPECT_TRUE(w.RBType(0)->Value());
        EXPECT_EQ(w.EFPSize()->Text(), "");
        EXPECT_EQ(w.PMExportFormat()->ListIndex(), 0);
        EXPECT_EQ(w.SLQuality()->Value(), 80);
        // Checked: the empty size keeps Go and the open triangle disabled.
        EXPECT_FALSE(w.PBGo()->Enabled());
        EXPECT_FALSE(w.DTSettings()->Enabled());
        // Drops are taken.
        fw::testing::dropUris(w, {"file://" + dropped.string()});
        ASSERT_NE(w.f, nullptr);
        EXPECT_EQ(w.STFolder()->Caption(), "Dropped");

        if (row.asFolder)
            fs::remove_all(prefsPath(), ignored);
        closeWindow();
        const std::vector<unsigned char> bytes = readBytes(prefsPath());
        ASSERT_EQ(bytes.size(), 27u);
        EXPECT_EQ(bytes[kShown], 1);
        EXPECT_EQ(u16At(bytes, kRule), 0);
    }
}

// A file that cannot be written does not keep the window from closing, nor the program from
// quitting cleanly.
TEST_F(MainWindowBatch, UnwritableFileDoesNotStopTheClose) {
    fs::create_directories(prefsPath() / "in the way");
    // An earlier quit's code, which only the close's own Quit(0) replaces.
    fw::testing::resetRuntime();
    fw::Quit(7);
    ASSERT_EQ(fw::RuntimeExitCode(), 7);
    Main& w = openWindow();
    ::testing::internal::CaptureStderr();
    fw::testing::closeFromTitleBar(w);
    const std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(w.isOpen());
    EXPECT_TRUE(fs::is_directory(prefsPath()));
    EXPECT_EQ(fw::RuntimeExitCode(), 0) << report;
    EXPECT_NE(report.find("preferences not saved"), std::string::npos) << report;
    fw::testing::resetRuntime();
    window.reset();
}

// A configuration folder that is not there yet is made, with every missing folder above it, each
// for the user alone; folders that were there keep their mode.
TEST_F(MainWindowBatch, MissingConfigurationFoldersAreMadeForTheUserAlone) {
    struct Case {
        const char* name;
        const char* configHome;  // nullptr: unset, so that ~/.config is used
        const char* home;
        std::vector<const char*> made;  // relative to the case's folder
        const char* file;
    };
    const std::vector<Case> cases = {
        {"xdg",
         "xdg/deep/config",
         "home",
         {"xdg", "xdg/deep", "xdg/deep/config"},
         "xdg/deep/config/Vimbel! preferences"},
        {"home", nullptr, "home", {"home/.config"}, "home/.config/Vimbel! preferences"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path base = work / c.name;
        fs::create_directories(base / c.home);
        fs::permissions(base / c.home, fs::perms(0755), fs::perm_options::replace);
        {
            const scratch::Env home("HOME", (base / c.home).string());
            const scratch::Env configHome(
                "XDG_CONFIG_HOME", c.configHome != nullptr
                                       ? std::optional<std::string>((base / c.configHome).string())
                                       : std::nullopt);
            Main& w = openWindow();
            fw::testing::typeInto(*w.EFPSize(), "640");
            closeWindow();
        }

        std::error_code missing;
        EXPECT_EQ(fs::file_size(base / c.file, missing), 27u) << missing.message();
        for (const char* folder : c.made)
            EXPECT_EQ(fs::status(base / folder).permissions() & fs::perms::all, fs::perms(0700))
                << folder;
        EXPECT_EQ(fs::status(base / c.home).permissions() & fs::perms::all, fs::perms(0755));
    }
}

// Choosing a folder with the real dialog leaves nothing behind in the user's folders: the only
// file the program writes there is its preferences file.
TEST_F(MainWindowBatch, TheFolderDialogLeavesNothingBehind) {
    const auto userFiles = [] {
        std::set<std::string> files;
        for (const char* folder : {"config", "data", "cache", "Desktop"})
            for (const auto& entry : fs::recursive_directory_iterator(sandbox() / folder))
                files.insert(fs::relative(entry.path(), sandbox()));
        for (const auto& entry : fs::directory_iterator(sandbox()))
            if (entry.is_regular_file())
                files.insert(entry.path().filename());
        return files;
    };
    const std::set<std::string> before = userFiles();
    const fs::path pictures = makeFolder(work / "pictures", {"a.png"});

    Main& w = openWindow();
    for (const fs::path& answer : {pictures, fs::path()}) {
        fw::testing::answerNextFolderDialog(answer);
        click(*w.PBSelect());
        EXPECT_EQ(w.STFolder()->Caption(), "pictures");
    }
    closeWindow();

    std::set<std::string> written = userFiles();
    for (const std::string& name : before)
        written.erase(name);
    EXPECT_EQ(written, (std::set<std::string>{"config/Vimbel! preferences"}));
}

}  // namespace
