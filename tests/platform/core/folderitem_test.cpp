#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/framework/exceptions.h"
#include "engine/framework/folderitem.h"
#include "platform/core/folderreads.h"
#include "tests/platform/scratch.h"

namespace {

using fw::FolderItem;

bool exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> listing(const FolderItem& folder) {
    std::vector<std::string> names;
    for (std::int64_t i = 0; i < folder.Count(); ++i)
        names.push_back(folder.ChildAt(i, false)->Name());
    return names;
}

TEST(FolderItem, PathsAreAbsoluteAndNormalized) {
    struct Case {
        std::string given, expected;
    };
    for (const auto& c : {Case{"/", "/"}, Case{"/a/b", "/a/b"}, Case{"/a//b/", "/a/b"},
                          Case{"/a/./b/../c", "/a/c"}, Case{"/..", "/"}, Case{"//x", "/x"}})
        EXPECT_EQ(FolderItem::fromNativePath(c.given)->NativePath(), c.expected) << c.given;

    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(FolderItem::fromNativePath("rel/x")->NativePath(), cwd + "/rel/x");
    EXPECT_THROW((void)FolderItem::fromNativePath(std::string("/a\0b", 4)), fw::RuntimeException);
}

TEST(FolderItem, NameAndParentWalkUpToTheRoot) {
    auto item = FolderItem::fromNativePath("/usr/share/file.tar.gz");
    EXPECT_EQ(item->Name(), "file.tar.gz");
    auto parent = item->Parent();
    ASSERT_TRUE(parent);
    EXPECT_EQ(parent->NativePath(), "/usr/share");
    EXPECT_EQ(parent->Parent()->Parent()->NativePath(), "/");
    EXPECT_EQ(FolderItem::fromNativePath("/")->Parent(), nullptr);
    EXPECT_EQ(FolderItem::fromNativePath("/")->Name(), "");
    EXPECT_EQ(FolderItem::fromNativePath("/top")->Parent()->NativePath(), "/");
}

TEST(FolderItem, ChildRefusesNamesThatLeaveTheFolder) {
    scratch::Dir dir;
    auto folder = FolderItem::fromNativePath(dir.path());
    for (const std::string& bad :
         {std::string(""), std::string("."), std::string(".."), std::string("a/b"),
          std::string("/etc"), std::string("../x"), std::string("x\0y", 3)})
        EXPECT_THROW((void)folder->Child(bad), fw::RuntimeException) << bad;

    // Names that merely look odd are fine, also when they exist nowhere yet.
    for (const std::string ok : {"...", "..x", ".hidden", "a b", "caf\xE9"}) {
        auto child = folder->Child(ok);
        EXPECT_EQ(child->NativePath(), dir.path() + "/" + ok);
        EXPECT_FALSE(child->Exists());
        EXPECT_TRUE(child->Parent()->samePlaceAs(*folder));
    }
    EXPECT_EQ(FolderItem::fromNativePath("/")->Child("etc")->NativePath(), "/etc");
}

TEST(FolderItem, NonUtf8NamesKeepTheirBytesAndShowValidText) {
    scratch::Dir dir;
    const std::string raw = "caf\xE9.png";
    dir.write(raw, "x");
    auto folder = FolderItem::fromNativePath(dir.path());
    ASSERT_EQ(folder->Count(), 1);
    auto entry = folder->ChildAt(0);
    EXPECT_EQ(entry->Name(), "caf\xEF\xBF\xBD.png");
    EXPECT_EQ(entry->NativePath(), dir.path() + "/" + raw);
    EXPECT_TRUE(entry->Exists());
    EXPECT_TRUE(folder->Child(raw)->Exists());
}

TEST(FolderItem, ExistsAndDirectoryByKind) {
    scratch::Dir dir;
    dir.write("file", "x");
    dir.mkdir("sub");
    ASSERT_EQ(symlink("sub", dir.at("linkToSub").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", dir.at("broken").c_str()), 0);
    auto folder = FolderItem::fromNativePath(dir.path());
    struct Case {
        const char* name;
        bool exists, directory;
    };
    for (const auto& c :
         {Case{"file", true, false}, Case{"sub", true, true}, Case{"linkToSub", true, true},
          Case{"broken", true, false}, Case{"missing", false, false}}) {
        EXPECT_EQ(folder->Child(c.name)->Exists(), c.exists) << c.name;
        EXPECT_EQ(folder->Child(c.name)->Directory(), c.directory) << c.name;
    }
}

TEST(FolderItem, ListingIsSortedByBytesAndHoldsEveryEntry) {
    scratch::Dir dir;
    for (const char* name : {"b.png", "B.png", "a.jpg", ".hidden", "a.png", "10", "9", "caf\xE9"})
        dir.write(name, "x");
    dir.mkdir("sub");
    auto folder = FolderItem::fromNativePath(dir.path());
    const std::vector<std::string> expected = {
        ".hidden", "10", "9", "B.png", "a.jpg", "a.png", "b.png", "caf\xEF\xBF\xBD", "sub"};
    EXPECT_EQ(folder->Count(), static_cast<std::int64_t>(expected.size()));
    EXPECT_EQ(listing(*folder), expected);
    EXPECT_EQ(folder->ChildAt(-1), nullptr);
    EXPECT_EQ(folder->ChildAt(folder->Count()), nullptr);

    // A file and a missing folder have no entries.
    EXPECT_EQ(folder->Child("a.png")->Count(), 0);
    EXPECT_EQ(folder->Child("a.png")->ChildAt(0), nullptr);
    EXPECT_EQ(folder->Child("missing")->Count(), 0);
}

TEST(FolderItem, ListingFollowsChangesToTheFolder) {
    scratch::Dir dir;
    auto folder = FolderItem::fromNativePath(dir.path());
    EXPECT_EQ(folder->Count(), 0);
    dir.write("b", "x");
    EXPECT_EQ(listing(*folder), std::vector<std::string>{"b"});
    dir.write("a", "x");
    EXPECT_EQ(listing(*folder), (std::vector<std::string>{"a", "b"}));
    std::filesystem::rename(dir.at("b"), dir.at("c"));
    EXPECT_EQ(listing(*folder), (std::vector<std::string>{"a", "c"}));
    std::filesystem::remove(dir.at("a"));
    EXPECT_EQ(listing(*folder), std::vector<std::string>{"c"});

    // The folder replaced by another one under the same path.
    std::filesystem::remove_all(dir.path());
    EXPECT_EQ(folder->Count(), 0);
    dir.write("z", "x");
    EXPECT_EQ(listing(*folder), std::vector<std::string>{"z"});
}

// Undoes a way of making a folder unlistable when it goes.
class Restore {
public:
    explicit Restore(std::function<void()> undo) : m_undo(std::move(undo)) {}
    ~Restore() { m_undo(); }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

private:
    std::function<void()> m_undo;
};

// No read permission: opendir fails with EACCES (but not for root).
std::function<void()> withoutReadPermission(const std::string& folder) {
    chmod(folder.c_str(), 0300);
    return [folder] { chmod(folder.c_str(), 0755); };
}

// Every descriptor number below the limit in use: opendir fails with EMFILE, also for root.
std::function<void()> withoutFreeDescriptors(const std::string&) {
    rlimit old{};
    getrlimit(RLIMIT_NOFILE, &old);
    const int lowestFree = open("/dev/null", O_RDONLY | O_CLOEXEC);
    close(lowestFree);
    rlimit none = old;
    none.rlim_cur = static_cast<rlim_t>(lowestFree);
    setrlimit(RLIMIT_NOFILE, &none);
    return [old] { setrlimit(RLIMIT_NOFILE, &old); };
}

// A folder that is there but cannot be listed must not pass for an empty one: a batch over it
// would report success having done nothing.
TEST(FolderItem, FolderThatCannotBeListedRaisesIOException) {
    struct Row {
        const char* what;
        std::function<void()> (*makeUnlistable)(const std::string&);
        int error;
        bool rootBypasses;
    };
    const Row rows[] = {
        {"no read permission", withoutReadPermission, EACCES, true},
        {"no descriptor left", withoutFreeDescriptors, EMFILE, false},
    };
    bool skipped = false;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.rootBypasses && geteuid() == 0) {
            skipped = true;
            continue;
        }
        scratch::Dir dir;
        dir.write("Shut away/a.png", "x");
        auto folder = FolderItem::fromNativePath(dir.at("Shut away"));
        ASSERT_EQ(folder->Count(), 1);  // a listing read before must not hide the failure
        dir.write("Shut away/b.png", "x");
        std::int64_t count = -1;
        fw::FolderItemPtr child;
        int countError = 0, childError = 0;
        std::string message;
        {
            const Restore restore(row.makeUnlistable(folder->NativePath()));
            try {
                count = folder->Count();
            } catch (const fw::IOException& e) {
                countError = e.ErrorNumber();
                message = e.Message();
            }
            try {
                child = folder->ChildAt(0);
            } catch (const fw::IOException& e) {
                childError = e.ErrorNumber();
            }
        }
        EXPECT_EQ(count, -1) << "listed as " << count << " entries";
        EXPECT_EQ(child, nullptr);
        EXPECT_EQ(countError, row.error);
        EXPECT_EQ(childError, row.error);
        EXPECT_NE(message.find("\"Shut away\""), std::string::npos) << message;
        EXPECT_NE(message.find(std::to_string(row.error)), std::string::npos) << message;
        EXPECT_EQ(listing(*folder), (std::vector<std::string>{"a.png", "b.png"}))
            << "the folder lists again once it can";
    }
    if (skipped)
        GTEST_SKIP() << "root lists folders without read permission";
}

// Only a stamp that a later change could repeat calls for a fresh read; a folder whose time lies
// far away (ahead of the clock or long past) is read once however often it is asked.
TEST(FolderItem, ListingIsReadOnceWhenTheFolderTimeCannotRepeat) {
    for (const std::int64_t offset : {std::int64_t{3600}, std::int64_t{-3600}}) {
        SCOPED_TRACE(offset);
        scratch::Dir dir;
        for (int i = 0; i < 20; ++i)
            dir.write("d/f" + std::to_string(10 + i), "x");
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        const timespec times[2] = {now, {now.tv_sec + offset, now.tv_nsec}};
        ASSERT_EQ(utimensat(AT_FDCWD, dir.at("d").c_str(), times, 0), 0);

        auto folder = FolderItem::fromNativePath(dir.at("d"));
        const std::uint64_t before = fw::platform::folderListingReadsForTests();
        EXPECT_EQ(listing(*folder).size(), 20u);
        EXPECT_EQ(fw::platform::folderListingReadsForTests() - before, 1u);

        dir.write("d/new", "x");  // a change still shows
        EXPECT_EQ(folder->Count(), 21);
        EXPECT_EQ(folder->ChildAt(20)->Name(), "new");
    }
}

TEST(FolderItem, ListingIsSafeToShareBetweenThreads) {
    scratch::Dir dir;
    for (int i = 0; i < 200; ++i)
        dir.write("f" + std::to_string(1000 + i), "x");
    auto folder = FolderItem::fromNativePath(dir.path());
    std::vector<std::thread> readers;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t)
        readers.emplace_back([&, t] {
            for (std::int64_t i = 0; i < 200; ++i) {
                auto child = folder->ChildAt(i);
                if (!child || child->Name() != "f" + std::to_string(1000 + i))
                    ++mismatches[t];
            }
        });
    for (auto& r : readers)
        r.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

TEST(FolderItem, ChildAtFollowsLinksUnlessAskedNotTo) {
    scratch::Dir dir;
    const std::string target = dir.write("elsewhere/real.png", "x");
    dir.mkdir("src");
    ASSERT_EQ(symlink(target.c_str(), dir.at("src/a-link.png").c_str()), 0);
    ASSERT_EQ(symlink("missing.png", dir.at("src/b-broken.png").c_str()), 0);
    auto src = FolderItem::fromNativePath(dir.at("src"));
    ASSERT_EQ(src->Count(), 2);

    auto followed = src->ChildAt(0, true);
    EXPECT_EQ(followed->Name(), "real.png");
    EXPECT_TRUE(followed->samePlaceAs(*FolderItem::fromNativePath(target)));
    EXPECT_EQ(src->ChildAt(0, false)->Name(), "a-link.png");
    EXPECT_EQ(src->ChildAt(1, true)->NativePath(), dir.at("src/b-broken.png"));

    // Child keeps the link itself, so replacing it never reaches the target.
    EXPECT_EQ(src->Child("a-link.png", true)->NativePath(), dir.at("src/a-link.png"));
}

TEST(FolderItem, SamePlaceResolvesLinksOnlyWhereBothExist) {
    scratch::Dir dir;
    dir.mkdir("real");
    ASSERT_EQ(symlink("real", dir.at("alias").c_str()), 0);
    auto real = FolderItem::fromNativePath(dir.at("real"));
    EXPECT_TRUE(real->samePlaceAs(*FolderItem::fromNativePath(dir.at("alias"))));
    EXPECT_TRUE(real->samePlaceAs(*FolderItem::fromNativePath(dir.at("x/../real"))));
    EXPECT_FALSE(real->samePlaceAs(*FolderItem::fromNativePath(dir.path())));
    auto missing = FolderItem::fromNativePath(dir.at("nothing"));
    EXPECT_TRUE(missing->samePlaceAs(*FolderItem::fromNativePath(dir.at("./nothing"))));
    EXPECT_FALSE(missing->samePlaceAs(*FolderItem::fromNativePath(dir.at("alias/nothing"))));
}

TEST(FolderItem, LockedWhereNothingCanBeReplaced) {
    scratch::Dir dir;
    dir.write("file", "x");
    dir.mkdir("folder");
    struct Case {
        std::string path;
        bool locked;
    };
    const Case cases[] = {
        {dir.at("file"), false},
        {dir.at("folder"), false},
        {dir.at("nothing"), false},
        {dir.at("nothing/deeper"), true},  // no parent folder to create it in
        {dir.at("file/child"), true},      // the parent is a file
        {"/proc/self/status", true},       // even root cannot replace these
        {"/proc/self/vimbel-nothing", true},
        {"/", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FolderItem::fromNativePath(c.path)->Locked(), c.locked) << c.path;
}

TEST(FolderItem, LockedInAReadOnlyFolder) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    scratch::Dir dir;
    dir.write("ro/file", "x");
    chmod(dir.at("ro").c_str(), 0555);
    EXPECT_TRUE(FolderItem::fromNativePath(dir.at("ro/file"))->Locked());
    EXPECT_TRUE(FolderItem::fromNativePath(dir.at("ro/new"))->Locked());
    chmod(dir.at("ro").c_str(), 0755);
}

TEST(FolderItem, LockedWhenImmutable) {
    scratch::Dir dir;
    const std::string file = dir.write("file", "x");
    const int fd = open(file.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    int flags = 0;
    if (ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
        close(fd);
        GTEST_SKIP() << "this file system keeps no file flags";
    }
    int immutable = flags | FS_IMMUTABLE_FL;
    if (ioctl(fd, FS_IOC_SETFLAGS, &immutable) != 0) {
        close(fd);
        GTEST_SKIP() << "not allowed to set the immutable flag here";
    }
    const bool locked = FolderItem::fromNativePath(file)->Locked();
    ioctl(fd, FS_IOC_SETFLAGS, &flags);
    close(fd);
    EXPECT_TRUE(locked);
}

// Trash in a scratch home: the freedesktop trash lives in $XDG_DATA_HOME/Trash.
class FolderItemTrash : public ::testing::Test {
protected:
    scratch::Dir dir;
    scratch::Env home{"HOME", dir.at("home")};
    scratch::Env data{"XDG_DATA_HOME", dir.at("home/.local/share")};
    void SetUp() override { dir.mkdir("home"); }

    std::string trashed(const std::string& name) const {
        return dir.at("home/.local/share/Trash/files/" + name);
    }
};

TEST_F(FolderItemTrash, DeleteMovesFilesAndFullFoldersToTheTrash) {
    // No ~/.local/share yet: the trash is set up from nothing.
    dir.write("work/out (B800)/a.jpg", "picture");
    dir.write("work/notes.txt", "text");
    auto work = FolderItem::fromNativePath(dir.at("work"));

    work->Child("out (B800)")->Delete();
    EXPECT_FALSE(exists(dir.at("work/out (B800)")));
    EXPECT_EQ(scratch::readAll(trashed("out (B800)/a.jpg")), "picture");
    const std::string info =
        scratch::readAll(dir.at("home/.local/share/Trash/info/out (B800).trashinfo"));
    EXPECT_EQ(
        info.rfind("[Trash Info]\nPath=" + dir.at("work/out%20%28B800%29") + "\nDeletionDate=", 0),
        0u)
        << info;

    work->Child("notes.txt")->Delete();
    EXPECT_FALSE(exists(dir.at("work/notes.txt")));
    EXPECT_EQ(scratch::readAll(trashed("notes.txt")), "text");

    work->Child("missing")->Delete();  // nothing there: nothing happens
    EXPECT_EQ(work->Count(), 0);
}

TEST_F(FolderItemTrash, EqualNamesAndRawBytesFindTheirOwnPlaceInTheTrash) {
    const std::string raw = "caf\xE9";
    for (const char* content : {"first", "second"}) {
        dir.write("work/" + raw, content);
        FolderItem::fromNativePath(dir.at("work"))->Child(raw)->Delete();
        EXPECT_FALSE(exists(dir.at("work/" + raw)));
    }
    EXPECT_EQ(scratch::readAll(trashed(raw)), "first");
    EXPECT_EQ(scratch::readAll(trashed(raw + ".2")), "second");
    const std::string info =
        scratch::readAll(dir.at("home/.local/share/Trash/info/" + raw + ".2.trashinfo"));
    EXPECT_NE(info.find("Path=" + dir.at("work/caf%E9") + "\n"), std::string::npos) << info;
}

TEST_F(FolderItemTrash, DeleteKeepsTheItemWhenTheTrashCannotTakeIt) {
    // The trash's place is taken by a file, so no trash folder can be made.
    dir.write("home/.local/share/Trash", "not a folder");
    const std::string victim = dir.write("work/keep.txt", "keep");
    auto item = FolderItem::fromNativePath(victim);
    EXPECT_NO_THROW(item->Delete());
    EXPECT_EQ(scratch::readAll(victim), "keep");
    EXPECT_FALSE(exists(dir.at("work/files")));
    EXPECT_FALSE(exists("files/keep.txt"));  // nothing lands below the current folder either
}

TEST_F(FolderItemTrash, AnotherFileSystemUsesItsOwnTrash) {
    // /dev/shm is a file system of its own wherever it exists.
    struct stat shm {
    }, here{};
    if (stat("/dev/shm", &shm) != 0 || stat(dir.path().c_str(), &here) != 0 ||
        shm.st_dev == here.st_dev || access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no separate writable /dev/shm";
    const std::string trash = "/dev/shm/.Trash-" + std::to_string(geteuid());
    const bool trashExisted = exists(trash);
    char name[] = "/dev/shm/vimbel-trash-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    const std::string entry = std::string(name).substr(9);

    FolderItem::fromNativePath(name)->Delete();
    EXPECT_FALSE(exists(name));
    EXPECT_TRUE(exists(trash + "/files/" + entry));
    const std::string info = scratch::readAll(trash + "/info/" + entry + ".trashinfo");
    EXPECT_NE(info.find("Path=" + entry + "\n"), std::string::npos) << info;  // relative to the top
    EXPECT_FALSE(exists(trashed(entry)));

    std::error_code ignored;
    std::filesystem::remove_all(trash + "/files/" + entry, ignored);
    std::filesystem::remove(trash + "/info/" + entry + ".trashinfo", ignored);
    if (!trashExisted)
        std::filesystem::remove_all(trash, ignored);
}

// It raises nothing; LastErrorCode tells why a folder is not there.
TEST(FolderItem, CreateAsFolderIsQuietWhateverHappens) {
    scratch::Dir dir;
    auto folder = FolderItem::fromNativePath(dir.at("new"));
    folder->CreateAsFolder();
    EXPECT_TRUE(folder->Directory());
    EXPECT_EQ(folder->LastErrorCode(), 0);
    dir.write("new/inside", "x");
    folder->CreateAsFolder();  // already there: contents stay
    EXPECT_EQ(folder->Count(), 1);
    EXPECT_EQ(folder->LastErrorCode(), 0);

    auto impossible = FolderItem::fromNativePath("/proc/self/vimbel-new");
    EXPECT_NO_THROW(impossible->CreateAsFolder());
    EXPECT_FALSE(impossible->Exists());
    EXPECT_NE(impossible->LastErrorCode(), 0);
    auto underFile = FolderItem::fromNativePath(dir.at("new/inside/x"));
    EXPECT_NO_THROW(underFile->CreateAsFolder());
    EXPECT_FALSE(underFile->Exists());
    EXPECT_EQ(underFile->LastErrorCode(), ENOTDIR);
    auto fileInTheWay = FolderItem::fromNativePath(dir.at("new/inside"));
    fileInTheWay->CreateAsFolder();
    EXPECT_EQ(fileInTheWay->LastErrorCode(), EEXIST);
    auto missingParent = FolderItem::fromNativePath(dir.at("gone/new"));
    missingParent->CreateAsFolder();
    EXPECT_EQ(missingParent->LastErrorCode(), ENOENT);
}

}  // namespace
