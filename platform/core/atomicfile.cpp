#include "platform/core/atomicfile.h"

#include <QString>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>
#include <utility>

#include "engine/framework/exceptions.h"
#include "platform/core/temporaryfiles.h"

namespace fw::pic {

namespace {

std::string randomSuffix() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char digits[] = "0123456789abcdef";
    std::string s;
    std::uint64_t value = generator();
    for (int i = 0; i < 12; ++i, value >>= 4)
        s += digits[value & 15];
    return s;
}

}  // namespace

AtomicFile::AtomicFile(std::string path) : m_path(std::move(path)) {
    const std::size_t slash = m_path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : m_path.substr(0, slash);
    // A short fixed-length name: a long picture name plus a suffix could exceed NAME_MAX.
    for (int attempt = 0; attempt < 16; ++attempt) {
        m_fd = temporaryfiles::create([&](std::string& temporary) {
            temporary = folder + "/.vimbel-" + randomSuffix() + ".tmp";
            const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0)
                m_temporary = temporary;
            return fd;
        });
        if (m_fd >= 0)
            return;
        if (errno != EEXIST)
            break;
    }
    fail(errno);
}

AtomicFile::~AtomicFile() {
    discard();
}

void AtomicFile::commit() {
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        fail(errno);
    // Renamed into place, or removed when it cannot be: either way in one step.
    const std::string temporary = std::exchange(m_temporary, std::string());
    const int renamed = temporaryfiles::settle(temporary, [&] {
        const int result = ::rename(temporary.c_str(), m_path.c_str());
        if (result != 0) {
            const int error = errno;
            ::unlink(temporary.c_str());
            errno = error;
        }
        return result;
    });
    if (renamed != 0)
        fail(errno);
}

void AtomicFile::fail(int errorNumber) {
    discard();
    // The path as text, shown with replacement characters where it is not UTF-8.
    const std::string shown =
        QString::fromUtf8(m_path.data(), static_cast<qsizetype>(m_path.size())).toStdString();
    throw IOException("Could not save the picture \"" + shown +
                          "\": " + std::error_code(errorNumber, std::generic_category()).message(),
                      errorNumber);
}

void AtomicFile::discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        const std::string temporary = std::exchange(m_temporary, std::string());
        temporaryfiles::settle(temporary, [&] { return ::unlink(temporary.c_str()); });
    }
}

}  // namespace fw::pic
