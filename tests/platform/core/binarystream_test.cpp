#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/framework/binarystream.h"
#include "engine/framework/exceptions.h"
#include "tests/platform/scratch.h"

namespace {

using fw::BinaryStream;
using fw::FolderItem;

int errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const fw::IOException& e) {
        EXPECT_FALSE(e.Message().empty());
        return e.ErrorNumber();
    }
    return 0;
}

std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(BinaryStream, WritesOneByteBooleansAndLittleEndianShortsThatReadBack) {
    scratch::Dir dir;
    auto file = FolderItem::fromNativePath(dir.at("prefs"));
    auto out = BinaryStream::Create(file, true);
    out->WriteBoolean(true);
    out->WriteUInt16(1);
    out->WriteUInt16(65531);  // -5 as stored by a caller
    out->WriteBoolean(false);
    out->WriteUInt16(0xFFFF);
    out->WriteUInt16(40000);
    out->Close();
    EXPECT_EQ(scratch::readAll(dir.at("prefs")),
              std::string("\x01\x01\x00\xFB\xFF\x00\xFF\xFF\x40\x9C", 10));

    auto in = BinaryStream::Open(file, true);
    EXPECT_EQ(in->Length(), 10);
    EXPECT_TRUE(in->ReadBoolean());
    EXPECT_EQ(in->ReadInt16(), 1);
    EXPECT_EQ(in->ReadInt16(), -5);
    EXPECT_FALSE(in->ReadBoolean());
    EXPECT_EQ(in->ReadInt16(), -1);
    EXPECT_EQ(in->ReadInt16(), 40000 - 65536);
    EXPECT_EQ(errorOf([&] { (void)in->ReadBoolean(); }), ENODATA);
    in->Close();
}

TEST(BinaryStream, AnyNonZeroByteReadsTrueAndAShortFileEndsInAnError) {
    scratch::Dir dir;
    dir.write("f", std::string("\x00\x02\xFF\x07", 4));
    auto in = BinaryStream::Open(FolderItem::fromNativePath(dir.at("f")));
    EXPECT_FALSE(in->ReadBoolean());
    EXPECT_TRUE(in->ReadBoolean());
    EXPECT_TRUE(in->ReadBoolean());
    EXPECT_EQ(errorOf([&] { (void)in->ReadInt16(); }), ENODATA);  // one byte left of two
}

TEST(BinaryStream, ReplacesTheTargetOnlyAtClose) {
    scratch::Dir dir;
    const std::string path = dir.write("prefs", "old contents, longer than the record");
    auto file = FolderItem::fromNativePath(path);

    auto out = BinaryStream::Create(file, true);
    out->WriteBoolean(true);
    EXPECT_EQ(scratch::readAll(path), "old contents, longer than the record");
    out->Close();
    EXPECT_EQ(scratch::readAll(path), "\x01");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"prefs"});
    out->Close();  // a second close changes nothing
}

TEST(BinaryStream, AStreamDroppedWithoutCloseLeavesTheOldFileAndNoLeftovers) {
    scratch::Dir dir;
    const std::string path = dir.write("prefs", "old");
    {
        auto out = BinaryStream::Create(FolderItem::fromNativePath(path), true);
        out->WriteUInt16(7);
    }
    EXPECT_EQ(scratch::readAll(path), "old");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"prefs"});

    {
        auto out = BinaryStream::Create(FolderItem::fromNativePath(dir.at("fresh")), false);
        out->WriteUInt16(7);
    }
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"prefs"});
}

TEST(BinaryStream, WithoutReplaceAFileThatAppearedMeanwhileIsKept) {
    scratch::Dir dir;
    auto out = BinaryStream::Create(FolderItem::fromNativePath(dir.at("prefs")), false);
    out->WriteBoolean(true);
    dir.write("prefs", "someone else's");
    EXPECT_EQ(errorOf([&] { out->Close(); }), EEXIST);
    EXPECT_EQ(scratch::readAll(dir.at("prefs")), "someone else's");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"prefs"});
}

TEST(BinaryStream, KeepsTheModeAndWritesThroughALink) {
    scratch::Dir dir;
    const std::string real = dir.write("real", "old");
    chmod(real.c_str(), 0640);
    ASSERT_EQ(symlink("real", dir.at("link").c_str()), 0);
    auto out = BinaryStream::Create(FolderItem::fromNativePath(dir.at("link")), true);
    out->WriteBoolean(true);
    out->Close();
    struct stat st {};
    ASSERT_EQ(lstat(dir.at("link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(scratch::readAll(real), "\x01");
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(BinaryStream, FailuresCarryTheSystemErrorNumber) {
    scratch::Dir dir;
    dir.write("existing", "x");
    dir.mkdir("folder");
    auto at = [&](const std::string& name) { return FolderItem::fromNativePath(dir.at(name)); };

    EXPECT_THROW((void)BinaryStream::Create(nullptr, true), fw::NilObjectException);
    EXPECT_THROW((void)BinaryStream::Open(nullptr, true), fw::NilObjectException);

    struct Case {
        const char* what;
        std::function<void()> action;
        int error;
    };
    const Case cases[] = {
        {"create over an existing file without replace",
         [&] { (void)BinaryStream::Create(at("existing"), false); }, EEXIST},
        {"create in a missing folder", [&] { (void)BinaryStream::Create(at("no/file"), true); },
         ENOENT},
        {"create over a folder", [&] { (void)BinaryStream::Create(at("folder"), true); }, EISDIR},
        {"create where nothing may be written",
         [&] { (void)BinaryStream::Create(FolderItem::fromNativePath("/proc/self/vimbel"), true); },
         0},
        {"open a missing file", [&] { (void)BinaryStream::Open(at("missing"), true); }, ENOENT},
        {"open a folder", [&] { (void)BinaryStream::Open(at("folder"), false); }, EISDIR},
    };
    for (const auto& c : cases) {
        const int error = errorOf(c.action);
        if (c.error == 0)
            EXPECT_NE(error, 0) << c.what;
        else
            EXPECT_EQ(error, c.error) << c.what;
    }
    EXPECT_EQ(scratch::readAll(dir.at("existing")), "x");

    auto closed = BinaryStream::Open(at("existing"));
    closed->Close();
    EXPECT_EQ(errorOf([&] { (void)closed->ReadBoolean(); }), EBADF);
    EXPECT_EQ(errorOf([&] { closed->WriteBoolean(true); }), EBADF);
}

TEST(BinaryStream, OpenReadsAFileItMayNotWrite) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write every file";
    scratch::Dir dir;
    const std::string path = dir.write("ro", "\x01");
    chmod(path.c_str(), 0444);
    auto in = BinaryStream::Open(FolderItem::fromNativePath(path), true);
    EXPECT_TRUE(in->ReadBoolean());
}

}  // namespace
