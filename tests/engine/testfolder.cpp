#include "tests/engine/testfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "engine/framework/picture.h"

namespace fs = std::filesystem;

TestFolder::TestFolder() {
    std::string pattern = (fs::temp_directory_path() / "vimbel-engine-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TestFolder::~TestFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::string TestFolder::path(const std::string& relative) const {
    return m_path + "/" + relative;
}

fw::FolderItemPtr TestFolder::item(const std::string& relative) const {
    return fw::FolderItem::fromNativePath(relative.empty() ? m_path : path(relative));
}

void TestFolder::makeFolder(const std::string& relative) const {
    fs::create_directories(path(relative));
}

void TestFolder::writeFile(const std::string& relative, const std::string& bytes) const {
    writeFileAt(path(relative), bytes);
}

void TestFolder::writeFileAt(const std::string& absolutePath, const std::string& bytes) {
    std::ofstream out(absolutePath, std::ios::binary);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + absolutePath);
}

void TestFolder::writeNoise(const std::string& relative, int width, int height) const {
    std::string bytes = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    std::mt19937 random(7);
    const std::size_t header = bytes.size();
    bytes.resize(header + static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = header; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(random() & 0xFF);
    writeFile(relative, bytes);
}

void TestFolder::writePicture(const std::string& relative, std::int64_t width, std::int64_t height,
                              std::int64_t format, bool transparent) const {
    fw::Picture picture(width, height, 32);
    if (transparent) {
        // A blank picture is white, and white in a mask is clear.
        fw::Picture clear(width, height, 32);
        picture.Mask(true)->Graphics().DrawPicture(
            clear, 0, 0, static_cast<double>(width) / 2, static_cast<double>(height), 0, 0,
            static_cast<double>(width), static_cast<double>(height));
    }
    picture.Save(item(relative), format, 80);
}

std::vector<std::string> TestFolder::names(const std::string& relative) const {
    std::vector<std::string> result;
    std::error_code error;
    for (const auto& entry :
         fs::directory_iterator(relative.empty() ? m_path : path(relative), error))
        result.push_back(entry.path().filename().string());
    std::sort(result.begin(), result.end());
    return result;
}

bool TestFolder::waitForASave(const std::string& relative,
                              std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    // Looked at without a pause, so that a quick save is not missed.
    while (std::chrono::steady_clock::now() < deadline) {
        for (const std::string& name : names(relative))
            if (isTemporary(name))
                return true;
    }
    return false;
}

void TestFolder::expectWholePictures(const std::string& relative, std::int64_t width) const {
    for (const std::string& name : names(relative)) {
        EXPECT_FALSE(isTemporary(name)) << name << " left behind";
        if (isTemporary(name))
            continue;
        const fw::PicturePtr saved = fw::Picture::Open(item(relative + "/" + name));
        ASSERT_TRUE(saved) << name;
        EXPECT_EQ(saved->Width(), width) << name;
    }
}

bool TestFolder::isTemporary(const std::string& name) {
    return name.starts_with(".vimbel-");
}

bool TestFolder::exists(const std::string& relative) const {
    std::error_code error;
    return fs::symlink_status(path(relative), error).type() != fs::file_type::not_found && !error;
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : m_name(name) {
    if (const char* old = std::getenv(name)) {
        m_had = true;
        m_old = old;
    }
    setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (m_had)
        setenv(m_name.c_str(), m_old.c_str(), 1);
    else
        unsetenv(m_name.c_str());
}
