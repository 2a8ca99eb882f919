#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/framework/folderitem.h"
#include "engine/framework/picture.h"
#include "engine/framework/text.h"
#include "platform/testing/testing.h"
#include "tests/engine/recordingworker.h"
#include "tests/engine/suitehome.h"
#include "tests/engine/testfolder.h"

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t PNG = fw::Picture::FormatPNG;
constexpr std::int64_t JPEG = fw::Picture::FormatJPEG;
const std::string kSizeError = "Error='Width/Height needs to be in the range 1-32767'";
// Stands for an "Error" message with any non-empty text.
const std::string kAnyError = "Error=?";

using Messages = std::vector<std::string>;

std::string status(int n, int of) {
    return "Status='Processing picture " + std::to_string(n) + " of " + std::to_string(of) + "'";
}

bool matches(const Messages& got, const Messages& expected) {
    if (got.size() != expected.size())
        return false;
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (expected[i] == kAnyError) {
            if (!got[i].starts_with("Error='") || got[i] == "Error=''")
                return false;
        } else if (got[i] != expected[i]) {
            return false;
        }
    }
    return true;
}

std::string show(const Messages& messages) {
    std::string text;
    for (const auto& m : messages)
        text += "\n  " + m;
    return text;
}

#define EXPECT_MESSAGES(got, ...)                                       \
    do {                                                                \
        const Messages expected_ = __VA_ARGS__;                         \
        EXPECT_TRUE(matches(got, expected_))                            \
            << "got:" << show(got) << "\nexpected:" << show(expected_); \
    } while (false)

void expectPicture(const fw::FolderItemPtr& file, std::int64_t width, std::int64_t height) {
    const fw::PicturePtr picture = fw::Picture::Open(file);
    ASSERT_TRUE(picture) << file->NativePath() << " does not open";
    EXPECT_EQ(picture->Width(), width) << file->NativePath();
    EXPECT_EQ(picture->Height(), height) << file->NativePath();
}

bool inTrash(const std::string& name) {
    std::error_code error;
    return fs::exists(suitehome::trashFiles() + "/" + name, error);
}

// Settings of a plain run: proportional, biggest side 20 pixels, JPEG.
void biggest20(RecordingWorker& worker) {
    worker.resizeType = 0;
    worker.proportionalMode = 0;
    worker.proportionalSize = 20;
    worker.jpegQuality = 80;
}

TEST(Batch, PostsOneStatusPerEntryAndNbDoneForEachSavedPicture) {
    TestFolder tmp;
    tmp.makeFolder("Holidays");
    tmp.writePicture("Holidays/a.png", 40, 30, PNG);
    tmp.writeFile("Holidays/b.txt", "not a picture");
    tmp.writePicture("Holidays/c.jpg", 30, 40, JPEG);

    RecordingWorker worker;
    biggest20(worker);
    worker.dir = tmp.item("Holidays");
    const int beeps = beepCount();
    const Messages messages = worker.runBatch();

    EXPECT_MESSAGES(
        messages, {status(1, 3), "NbDone=1", status(2, 3), status(3, 3), "NbDone=3", "Done=true"});
    EXPECT_EQ(worker.beepsAtEnd - beeps, 1) << "one beep, before the last message";
    EXPECT_EQ(beepCount() - beeps, 1);
    EXPECT_EQ(tmp.names("Holidays (B20)"), (std::vector<std::string>{"a.jpg", "c.jpg"}));
    expectPicture(tmp.item("Holidays (B20)/a.jpg"), 20, 15);
    expectPicture(tmp.item("Holidays (B20)/c.jpg"), 15, 20);
}

TEST(Batch, EmptyFolderStillGetsItsOutputFolder) {
    TestFolder tmp;
    tmp.makeFolder("Empty");
    RecordingWorker worker;
    biggest20(worker);
    worker.dir = tmp.item("Empty");
    const int beeps = beepCount();

    EXPECT_MESSAGES(worker.runBatch(), {"Done=true"});
    EXPECT_EQ(beepCount() - beeps, 1);
    EXPECT_TRUE(tmp.item("Empty (B20)")->Directory());
    EXPECT_TRUE(tmp.names("Empty (B20)").empty());
}

// Every kind of entry is tried; only pictures are saved, subfolders are not descended into, and
// transparency survives the scaling.
TEST(Batch, TriesEveryEntryAndKeepsTransparency) {
    TestFolder tmp;
    tmp.makeFolder("Mixed/sub");
    tmp.writePicture("Mixed/a.png", 64, 48, PNG);
    tmp.writePicture("Mixed/b.png", 64, 48, PNG, /*transparent=*/true);
    tmp.writePicture("Mixed/c.jpg", 48, 64, JPEG);
    tmp.writeFile("Mixed/damaged.jpg", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00garbage", 17));
    tmp.writeFile("Mixed/notes.txt", "some notes\n");
    tmp.writePicture("Mixed/sub/inner.png", 64, 48, PNG);

    RecordingWorker worker;
    worker.pictureType = 1;  // PNG
    worker.proportionalMode = 4;
    worker.proportionalSize = 50;
    worker.jpegQuality = 80;  // handed to the PNG save as well
    worker.dir = tmp.item("Mixed");

    EXPECT_MESSAGES(worker.runBatch(),
                    {status(1, 6), "NbDone=1", status(2, 6), "NbDone=2", status(3, 6), "NbDone=3",
                     status(4, 6), status(5, 6), status(6, 6), "Done=true"});
    EXPECT_EQ(tmp.names("Mixed (50%)"), (std::vector<std::string>{"a.png", "b.png", "c.png"}));
    expectPicture(tmp.item("Mixed (50%)/a.png"), 32, 24);
    expectPicture(tmp.item("Mixed (50%)/c.png"), 24, 32);
    const fw::PicturePtr transparent = fw::Picture::Open(tmp.item("Mixed (50%)/b.png"));
    ASSERT_TRUE(transparent);
    EXPECT_EQ(transparent->Width(), 32);
    EXPECT_TRUE(transparent->hasMask()) << "the source's transparency is lost";
    // The mask is scaled with the picture: the source's clear left half is the output's.
    const std::string saved = tmp.path("Mixed (50%)/b.png");
    for (const int y : {0, 11, 23}) {
        for (const int x : {0, 7, 14})
            EXPECT_LE(fw::testing::alphaAt(saved, x, y), 8) << x << "," << y << " is not clear";
        for (const int x : {17, 24, 31})
            EXPECT_GE(fw::testing::alphaAt(saved, x, y), 247) << x << "," << y << " is not opaque";
    }
}

// Documents alone: every entry is tried and reported, nothing is saved, and the batch still ends
// with "Done" and its output folder.
TEST(Batch, FolderOfDocumentsWithoutPictures) {
    TestFolder tmp;
    tmp.makeFolder("Papers/old");
    tmp.writeFile("Papers/letter.txt", "Dear all,\n");
    tmp.writeFile("Papers/fake.png", "not really a picture");
    RecordingWorker worker;
    biggest20(worker);
    worker.dir = tmp.item("Papers");

    EXPECT_MESSAGES(worker.runBatch(), {status(1, 3), status(2, 3), status(3, 3), "Done=true"});
    EXPECT_TRUE(tmp.item("Papers (B20)")->Directory());
    EXPECT_TRUE(tmp.names("Papers (B20)").empty());
}

// A folder that is there but cannot be read must not pass for an empty one.
TEST(Batch, UnreadableSourceFolderEndsWithAnError) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads folders without read permission";
    TestFolder tmp;
    tmp.makeFolder("Shut");
    tmp.writePicture("Shut/a.png", 40, 30, PNG);
    ASSERT_EQ(chmod(tmp.path("Shut").c_str(), 0300), 0);
    RecordingWorker worker;
    biggest20(worker);
    worker.dir = tmp.item("Shut");
    const int beeps = beepCount();
    const Messages messages = worker.runBatch();
    chmod(tmp.path("Shut").c_str(), 0755);

    EXPECT_MESSAGES(messages, {kAnyError});
    ASSERT_FALSE(messages.empty());
    EXPECT_NE(messages.back().find("\"Shut\""), std::string::npos) << messages.back();
    EXPECT_EQ(worker.beepsAtEnd - beeps, 1);
}

// A source folder that is not there must not pass for an empty one: the batch ends through
// "Error" naming it, whether it was gone before the start (then nothing is created) or went away
// during the run.
TEST(Batch, MissingSourceFolderEndsWithAnErrorNamingIt) {
    struct Row {
        const char* what;
        std::function<void(TestFolder&, RecordingWorker&)> setup;
        Messages expected;
        std::vector<std::string> left;  // the entries of the test folder afterwards
    };
    const Row rows[] = {
        {"gone before the start",
         [](TestFolder& tmp, RecordingWorker& w) { w.dir = tmp.item("Trip"); },
         {kAnyError},
         {}},
        {"gone during the run",
         [](TestFolder& tmp, RecordingWorker& w) {
             tmp.makeFolder("Trip");
             for (const char* name : {"a.png", "b.png", "c.png"})
                 tmp.writePicture(std::string("Trip/") + name, 40, 30, PNG);
             w.dir = tmp.item("Trip");
             w.onSetname = [&tmp](int call) {
                 if (call == 1)
                     fs::rename(tmp.path("Trip"), tmp.path("moved away"));
             };
         },
         {status(1, 3), "NbDone=1", kAnyError},
         {"Trip (B20)", "moved away"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TestFolder tmp;
        RecordingWorker worker;
        biggest20(worker);
        row.setup(tmp, worker);
        const int beeps = beepCount();
        const Messages messages = worker.runBatch();
        EXPECT_MESSAGES(messages, row.expected);
        ASSERT_FALSE(messages.empty());
        EXPECT_NE(messages.back().find("\"Trip\""), std::string::npos) << messages.back();
        EXPECT_EQ(worker.beepsAtEnd - beeps, 1);
        EXPECT_EQ(tmp.names(""), row.left);
    }
}

// Output names must fit the file system's 255 bytes: a Latin-1 name grows threefold once shown as
// text, and a name that fits may not fit once it needs a collision number. Names that fit as they
// are saved are not cut.
TEST(Batch, LongNamesAreCutOnlyWhenTheSavedNameWouldNotFit) {
    TestFolder tmp;
    tmp.makeFolder("Long");
    const std::string latin1 = std::string(100, '\xE9') + ".png";  // 104 bytes
    const std::string valid = std::string(250, 'v');               // + ".jpg": 254 bytes
    for (const std::string& name : {valid + ".jpg", valid + ".png", latin1})
        tmp.writePicture("Long/" + name, 40, 30, PNG);
    RecordingWorker worker;
    biggest20(worker);
    worker.dir = tmp.item("Long");

    EXPECT_MESSAGES(worker.runBatch(), {status(1, 3), "NbDone=1", status(2, 3), "NbDone=2",
                                        status(3, 3), "NbDone=3", "Done=true"});
    std::string replaced;  // what each byte of the Latin-1 name shows as
    for (int i = 0; i < 83; ++i)
        replaced += "\xEF\xBF\xBD";
    const std::string cut(249, 'v');
    EXPECT_EQ(tmp.names("Long (B20)"),
              (std::vector<std::string>{cut + "-2.jpg", valid + ".jpg", replaced + ".jpg"}));
    expectPicture(tmp.item("Long (B20)/" + cut + "-2.jpg"), 20, 15);
}

TEST(Batch, NamesOutputFilesByTheNamingRules) {
    struct Row {
        const char* what;
        std::vector<std::string> sources;
        std::function<void(RecordingWorker&)> settings;
        std::vector<std::string> outputs;
    };
    const Row rows[] = {
        {"collision: the entry listed first keeps the name",
         {"a.jpg", "a.png"},
         [](RecordingWorker&) {},
         {"a-2.jpg", "a.jpg"}},
        {"web-ready DOS names that collide",
         {"My Photo 1.png", "My Photo 2.png"},
         [](RecordingWorker& w) { w.nameWeb = w.nameDOS = true; },
         {"my_photo-2.jpg", "my_photo.jpg"}},
        {"empty base names", {".hidden", ".secret"}, [](RecordingWorker&) {}, {"-2.jpg", ".jpg"}},
        {"PNG export", {"x.jpg"}, [](RecordingWorker& w) { w.pictureType = 1; }, {"x.png"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TestFolder tmp;
        tmp.makeFolder("Names");
        for (const auto& name : row.sources)
            tmp.writePicture("Names/" + name, 40, 20, PNG);
        RecordingWorker worker;
        biggest20(worker);
        row.settings(worker);
        worker.dir = tmp.item("Names");
        const Messages messages = worker.runBatch();
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back(), "Done=true");
        EXPECT_EQ(tmp.names("Names (B20)"), row.outputs);
    }
}

TEST(Batch, FirstListedEntryOfACollisionIsTheOneSavedUnderTheName) {
    TestFolder tmp;
    tmp.makeFolder("Pair");
    tmp.writePicture("Pair/a.jpg", 40, 20, JPEG);
    tmp.writePicture("Pair/a.png", 20, 40, PNG);
    RecordingWorker worker;
    biggest20(worker);
    worker.dir = tmp.item("Pair");
    (void)worker.runBatch();
    expectPicture(tmp.item("Pair (B20)/a.jpg"), 20, 10);
    expectPicture(tmp.item("Pair (B20)/a-2.jpg"), 10, 20);
}

TEST(Batch, SavesAtTheTruncatedBoxSize) {
    TestFolder tmp;
    tmp.makeFolder("Square");
    tmp.writePicture("Square/s.png", 1250, 1250, PNG);
    RecordingWorker worker;
    worker.resizeType = 2;
    worker.boxWidth = 1024;
    worker.boxHeight = 768;
    worker.jpegQuality = 80;
    worker.dir = tmp.item("Square");
    EXPECT_MESSAGES(worker.runBatch(), {status(1, 1), "NbDone=1", "Done=true"});
    expectPicture(tmp.item("Square (1024x768)/s.jpg"), 767, 768);
}

// Cancel while the second picture is being made: it is still saved and reported, then the batch
// ends like a complete one and the flag is down again. The same object then serves a new batch,
// which replaces the earlier output folder.
TEST(Batch, StopRequestEndsTheBatchAfterTheCurrentPicture) {
    TestFolder tmp;
    tmp.makeFolder("Four");
    for (const char* name : {"p1.png", "p2.png", "p3.png", "p4.png"})
        tmp.writePicture(std::string("Four/") + name, 40, 30, PNG);
    RecordingWorker worker;
    biggest20(worker);
    worker.dir = tmp.item("Four");
    worker.onSetname = [&worker](int call) {
        if (call == 2)
            worker.requestStop();
    };
    const int beeps = beepCount();

    EXPECT_MESSAGES(worker.runBatch(),
                    {status(1, 4), "NbDone=1", status(2, 4), "NbDone=2", "Done=true"});
    EXPECT_EQ(beepCount() - beeps, 1);
    EXPECT_FALSE(worker.stopFlag());
    EXPECT_EQ(tmp.names("Four (B20)"), (std::vector<std::string>{"p1.jpg", "p2.jpg"}));

    worker.onSetname = nullptr;
    EXPECT_MESSAGES(worker.runBatch(),
                    {status(1, 4), "NbDone=1", status(2, 4), "NbDone=2", status(3, 4), "NbDone=3",
                     status(4, 4), "NbDone=4", "Done=true"});
    EXPECT_EQ(tmp.names("Four (B20)").size(), 4u);
}

TEST(Batch, StartClearsAStopRequestLeftFromAnEarlierBatch) {
    TestFolder tmp;
    tmp.makeFolder("Left");
    for (const char* name : {"a.png", "b.png", "c.png"})
        tmp.writePicture(std::string("Left/") + name, 40, 30, PNG);
    RecordingWorker worker;
    biggest20(worker);
    worker.dir = tmp.item("Left");
    worker.requestStop();  // e.g. a Cancel that came after the last picture of the earlier batch

    EXPECT_MESSAGES(worker.runBatch(), {status(1, 3), "NbDone=1", status(2, 3), "NbDone=2",
                                        status(3, 3), "NbDone=3", "Done=true"});
    EXPECT_EQ(tmp.names("Left (B20)").size(), 3u);
}

TEST(Batch, ReplacesAnItemOfTheOutputFolderNameThroughTheTrash) {
    struct Row {
        const char* source;
        bool folderInTheWay;
    };
    for (const Row& row : {Row{"TripFolder", true}, Row{"TripFile", false}}) {
        SCOPED_TRACE(row.source);
        const std::string source = row.source;
        const std::string output = source + " (B20)";
        TestFolder tmp;
        tmp.makeFolder(source);
        tmp.writePicture(source + "/a.png", 40, 30, PNG);
        if (row.folderInTheWay) {
            tmp.makeFolder(output);
            tmp.writeFile(output + "/old.txt", "from an earlier run");
        } else {
            tmp.writeFile(output, "a file in the way");
        }

        RecordingWorker worker;
        biggest20(worker);
        worker.dir = tmp.item(source);
        EXPECT_MESSAGES(worker.runBatch(), {status(1, 1), "NbDone=1", "Done=true"});
        EXPECT_EQ(tmp.names(output), (std::vector<std::string>{"a.jpg"}));
        EXPECT_TRUE(inTrash(output)) << "the replaced item is not in the trash";
        if (row.folderInTheWay) {
            EXPECT_TRUE(inTrash(output + "/old.txt"));
        }
    }
}

// Makes a folder unwritable: read-only permissions, or for root (whom permissions do not stop)
// the immutable attribute.
class FolderLock {
public:
    explicit FolderLock(std::string path) : m_path(std::move(path)) {
        if (geteuid() != 0) {
            m_locked = chmod(m_path.c_str(), 0555) == 0 && access(m_path.c_str(), W_OK) != 0;
            m_byMode = m_locked;
            return;
        }
        const int fd = open(m_path.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return;
        int flags = 0;
        if (ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            m_locked = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        close(fd);
    }
    ~FolderLock() {
        if (!m_locked)
            return;
        if (m_byMode) {
            chmod(m_path.c_str(), 0755);
            return;
        }
        const int fd = open(m_path.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return;
        int flags = 0;
        if (ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        close(fd);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    [[nodiscard]] bool locked() const { return m_locked; }

private:
    std::string m_path;
    bool m_locked = false;
    bool m_byMode = false;
};

TEST(Batch, LockedPlaceBesideTheSourceFallsBackToTheDesktop) {
    TestFolder tmp;
    tmp.makeFolder("shut/Locked");
    tmp.writePicture("shut/Locked/a.png", 40, 30, PNG);
    const std::string onDesktop = suitehome::desktop() + "/Locked (B20)";
    fs::create_directories(onDesktop);
    TestFolder::writeFileAt(onDesktop + "/stale.txt", "from an earlier run");
    FolderLock lock(tmp.path("shut"));
    if (!lock.locked())
        GTEST_SKIP() << "cannot make a folder unwritable here (no chmod effect "
                        "and no immutable attribute on this file system)";

    RecordingWorker worker;
    biggest20(worker);
    worker.dir = tmp.item("shut/Locked");
    EXPECT_MESSAGES(worker.runBatch(), {status(1, 1), "NbDone=1", "Done=true"});
    EXPECT_EQ(tmp.names("shut"), (std::vector<std::string>{"Locked"}));
    std::vector<std::string> desktopNames;
    for (const auto& entry : fs::directory_iterator(onDesktop))
        desktopNames.push_back(entry.path().filename().string());
    EXPECT_EQ(desktopNames, (std::vector<std::string>{"a.jpg"}));
    fs::remove_all(onDesktop);
}

// When the output folder cannot be made, the error says so, where and why, before any picture is
// tried (rather than each save failing on its picture).
TEST(Batch, OutputFolderThatCannotBeCreatedIsTheError) {
    struct Row {
        const char* what;
        bool lockBeside;    // the source's parent cannot be written: the desktop is tried
        bool fileInTheWay;  // a file of the output folder's name that the trash cannot take
        std::string where;  // the place the text names
    };
    const Row rows[] = {
        {"a file in the way beside the source", false, true, "in \""},
        {"neither beside the source nor on the desktop", true, false,
         "beside the source folder, where its place is locked, nor on the desktop \"" +
             suitehome::desktop() + "\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TestFolder tmp;
        tmp.makeFolder("shut/Trip");
        tmp.writePicture("shut/Trip/a.png", 40, 30, PNG);
        if (row.fileInTheWay)
            tmp.writeFile("shut/Trip (B20)", "in the way");
        // The trash is out of reach: its data folder is a file.
        tmp.writeFile("no-data-folder", "");
        ScopedEnv noTrash("XDG_DATA_HOME", tmp.path("no-data-folder"));
        std::optional<FolderLock> beside;
        std::optional<FolderLock> desktop;
        if (row.lockBeside) {
            beside.emplace(tmp.path("shut"));
            desktop.emplace(suitehome::desktop());
            if (!beside->locked() || !desktop->locked())
                GTEST_SKIP() << "cannot make a folder unwritable here";
        }

        RecordingWorker worker;
        biggest20(worker);
        worker.dir = tmp.item("shut/Trip");
        const Messages messages = worker.runBatch();
        EXPECT_MESSAGES(messages, {kAnyError});
        ASSERT_FALSE(messages.empty());
        const std::string& text = messages.back();
        EXPECT_NE(text.find("The output folder \"Trip (B20)\" could not be created " + row.where),
                  std::string::npos)
            << text;
        EXPECT_EQ(text.find("picture"), std::string::npos) << text;
        EXPECT_FALSE(tmp.exists("shut/Trip (B20)") && tmp.item("shut/Trip (B20)")->Directory());
    }
}

// On the desktop, the place of the output folder may hold the source folder itself; replacing it
// would throw the source away.
TEST(Batch, DesktopFallbackNeverReplacesAFolderHoldingTheSource) {
    const std::string holder = suitehome::desktop() + "/Held (B20)";
    fs::create_directories(holder + "/shut/Held");
    TestFolder::writeFileAt(holder + "/keep.txt", "keep me");
    {
        TestFolder pictures;  // made by the framework, then moved into place
        pictures.writePicture("a.png", 40, 30, PNG);
        fs::rename(pictures.path("a.png"), holder + "/shut/Held/a.png");
    }
    {
        FolderLock lock(holder + "/shut");
        if (!lock.locked()) {
            fs::remove_all(holder);
            GTEST_SKIP() << "cannot make a folder unwritable here";
        }
        RecordingWorker worker;
        biggest20(worker);
        worker.dir = fw::FolderItem::fromNativePath(holder + "/shut/Held");
        EXPECT_MESSAGES(worker.runBatch(), {kAnyError});
    }
    EXPECT_TRUE(fs::exists(holder + "/keep.txt"));
    EXPECT_TRUE(fs::exists(holder + "/shut/Held/a.png"));
    EXPECT_FALSE(inTrash("Held (B20)"));
    fs::remove_all(holder);
}

// A failure ends the run with a beep and one "Error" message instead of "Done"; what was saved
// before stays.
TEST(Batch, FailureEndsTheRunWithAnErrorMessage) {
    struct Row {
        const char* what;
        std::function<void(TestFolder&, RecordingWorker&)> setup;
        Messages expected;
        std::string output;                // folder of the pictures saved before the failure
        std::vector<std::string> outputs;  // its entries afterwards
    };
    const Row rows[] = {
        {"a target side of 0",
         [](TestFolder& tmp, RecordingWorker& w) {
             tmp.makeFolder("Thin");
             tmp.writePicture("Thin/a.png", 100, 100, PNG);
             tmp.writePicture("Thin/b.png", 1, 1, PNG);
             w.proportionalMode = 4;
             w.proportionalSize = 50;
             w.dir = tmp.item("Thin");
         },
         {status(1, 2), "NbDone=1", status(2, 2), kSizeError},
         "Thin (50%)",
         {"a.jpg"}},
        {"a negative size",
         [](TestFolder& tmp, RecordingWorker& w) {
             tmp.makeFolder("Neg");
             tmp.writePicture("Neg/a.png", 40, 30, PNG);
             w.proportionalSize = -10;
             w.dir = tmp.item("Neg");
         },
         {status(1, 1), kSizeError},
         "Neg (B-10)",
         {}},
        {"an unknown mode leaves 0 x 0 for the first picture",
         [](TestFolder& tmp, RecordingWorker& w) {
             tmp.makeFolder("A folder name longer than 31 chars");
             tmp.writePicture("A folder name longer than 31 chars/a.png", 40, 30, PNG);
             w.proportionalMode = 7;
             w.dir = tmp.item("A folder name longer than 31 chars");
         },
         {status(1, 1), kSizeError},
         "A folder name longer than 31 ch",
         {}},
        {"no source folder",
         [](TestFolder&, RecordingWorker& w) { w.dir = nullptr; },
         {kAnyError},
         "",
         {}},
        {"a source folder without a parent",
         [](TestFolder&, RecordingWorker& w) { w.dir = fw::FolderItem::fromNativePath("/"); },
         {kAnyError},
         "",
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TestFolder tmp;
        // The trash is out of reach: its data folder is a file.
        tmp.writeFile("no-data-folder", "");
        ScopedEnv noTrash("XDG_DATA_HOME", tmp.path("no-data-folder"));
        RecordingWorker worker;
        biggest20(worker);
        row.setup(tmp, worker);
        const int beeps = beepCount();
        const Messages messages = worker.runBatch();
        EXPECT_MESSAGES(messages, row.expected);
        EXPECT_EQ(worker.beepsAtEnd - beeps, 1);
        if (!row.output.empty()) {
            EXPECT_EQ(tmp.names(row.output), row.outputs);
        }
    }
}

// When the output folder's name is the source folder's own, nothing is deleted or created.
TEST(Batch, OutputFolderThatWouldBeTheSourceEndsTheRunUntouched) {
    struct Row {
        const char* what;
        std::string source;
        std::int64_t mode;
    };
    const Row rows[] = {
        {"empty suffix", "Holidays", 5},
        {"name already ends with the suffix", "Twenty-five characters ok (B20)", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_EQ(fw::Len(row.source), row.mode == 5 ? 8 : 31);
        TestFolder tmp;
        tmp.makeFolder(row.source);
        tmp.writePicture(row.source + "/a.png", 40, 30, PNG);
        RecordingWorker worker;
        biggest20(worker);
        worker.proportionalMode = row.mode;
        worker.dir = tmp.item(row.source);

        EXPECT_MESSAGES(worker.runBatch(), {kAnyError});
        EXPECT_EQ(tmp.names(""), (std::vector<std::string>{row.source}));
        EXPECT_EQ(tmp.names(row.source), (std::vector<std::string>{"a.png"}));
        EXPECT_FALSE(inTrash(row.source));
    }
}

// A name that is not valid UTF-8 still opens and is saved inside the output folder.
TEST(Batch, NameThatIsNotUtf8IsProcessedInsideTheOutputFolder) {
    for (const bool web : {false, true}) {
        SCOPED_TRACE(web ? "web-ready" : "plain");
        TestFolder tmp;
        tmp.makeFolder("Raw");
        const std::string latin1 = "caf\xE9.png";  // 'café' in ISO 8859-1
        tmp.writePicture("Raw/" + latin1, 40, 30, PNG);
        ASSERT_EQ(tmp.names("Raw"), (std::vector<std::string>{latin1}));
        RecordingWorker worker;
        biggest20(worker);
        worker.nameWeb = web;
        worker.dir = tmp.item("Raw");

        EXPECT_MESSAGES(worker.runBatch(), {status(1, 1), "NbDone=1", "Done=true"});
        EXPECT_EQ(tmp.names(""), (std::vector<std::string>{"Raw", "Raw (B20)"}));
        const std::vector<std::string> saved = tmp.names("Raw (B20)");
        ASSERT_EQ(saved.size(), 1u);
        EXPECT_EQ(fw::sanitizedUtf8(saved[0]), saved[0]) << "saved under an invalid name";
        if (web) {
            EXPECT_EQ(saved[0], "caf.jpg");
        } else {
            EXPECT_TRUE(saved[0].starts_with("caf") && saved[0].ends_with(".jpg")) << saved[0];
        }
        expectPicture(tmp.item("Raw (B20)/" + saved[0]), 20, 15);
    }
}

}  // namespace
