#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/framework/folderitem.h"

// A fresh temporary folder, removed with everything in it when the object goes. Paths given to
// its helpers are relative to it.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    [[nodiscard]] const std::string& path() const { return m_path; }
    [[nodiscard]] std::string path(const std::string& relative) const;
    [[nodiscard]] fw::FolderItemPtr item(const std::string& relative) const;

    void makeFolder(const std::string& relative) const;
    void writeFile(const std::string& relative, const std::string& bytes) const;
    static void writeFileAt(const std::string& absolutePath, const std::string& bytes);
    // A picture made and saved by the framework (PNG 150, JPEG 151); a transparent one has a
    // clear left half.
    void writePicture(const std::string& relative, std::int64_t width, std::int64_t height,
                      std::int64_t format, bool transparent = false) const;
    // A picture of noise in the binary PPM form, written without the picture layer: saving it as
    // PNG takes a while, long enough to catch a save under way.
    void writeNoise(const std::string& relative, int width, int height) const;
    // Entry names of a folder, sorted; empty when it does not exist.
    [[nodiscard]] std::vector<std::string> names(const std::string& relative) const;
    // Expects every entry of the folder to be a picture of that width that opens: no temporary
    // file of a save left, nothing cut short.
    void expectWholePictures(const std::string& relative, std::int64_t width) const;
    // Watches the folder (which may not be there yet) until a picture is being written in it, seen
    // by the temporary file of its save; false when none came within the timeout.
    [[nodiscard]] bool waitForASave(const std::string& relative,
                                    std::chrono::milliseconds timeout) const;
    [[nodiscard]] bool exists(const std::string& relative) const;
    // Whether the entry name is the temporary file of a save under way.
    [[nodiscard]] static bool isTemporary(const std::string& name);

private:
    std::string m_path;
};

// Sets an environment variable for the object's lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    bool m_had = false;
    std::string m_old;
};
