#pragma once

#include <string>

namespace fw::pic {

// A file written under a temporary name in its destination folder and renamed into place only
// when complete, so that a crash or a refused write never leaves a truncated file behind (and an
// existing file stays as it was). Failures raise fw::IOException naming the file.
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();  // removes the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    [[nodiscard]] int descriptor() const { return m_fd; }
    // Closes the temporary file and renames it over the destination.
    void commit();
    // Removes the temporary file and raises the IOException for that errno.
    [[noreturn]] void fail(int errorNumber);

private:
    void discard();

    std::string m_path;
    std::string m_temporary;
    int m_fd = -1;
};

}  // namespace fw::pic
