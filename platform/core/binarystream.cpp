#include "engine/framework/binarystream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>

#include "engine/framework/exceptions.h"
#include "engine/framework/text.h"
#include "platform/core/paths.h"
#include "platform/core/temporaryfiles.h"

namespace fw {

namespace {

// Our own error number for a read past the end; the system reports no error there.
constexpr int kPastEndError = ENODATA;

[[noreturn]] void fail(const std::string& what, const std::string& path, int error) {
    const std::size_t slash = path.rfind('/');
    const std::string name =
        sanitizedUtf8(slash == std::string::npos ? path : path.substr(slash + 1));
    throw IOException(what + " \"" + name + "\": " + std::generic_category().message(error), error);
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The process's umask, read without changing it (umask() itself would race other threads).
mode_t currentUmask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    return 022;
}

}  // namespace

struct BinaryStream::Impl {
    ~Impl() {
        if (fd >= 0)
            close(fd);
        // Destroyed without Close: the target stays as it was.
        if (!temporary.empty())
            temporaryfiles::settle(temporary, [this] { return unlink(temporary.c_str()); });
    }

    void requireOpen() const {
        if (fd < 0)
            fail("The stream is closed for", path, EBADF);
    }

    void writeBytes(const unsigned char* bytes, std::size_t count) {
        requireOpen();
        while (count > 0) {
            const ssize_t n = pwrite(fd, bytes, count, position);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                fail("Cannot write to", path, errno);
            }
            bytes += n;
            count -= static_cast<std::size_t>(n);
            position += n;
        }
    }

    void readBytes(unsigned char* bytes, std::size_t count) {
        requireOpen();
        while (count > 0) {
            const ssize_t n = pread(fd, bytes, count, position);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                fail("Cannot read from", path, errno);
            }
            if (n == 0)
                fail("Read past the end of", path, kPastEndError);
            bytes += n;
            count -= static_cast<std::size_t>(n);
            position += n;
        }
    }

    int fd = -1;
    off_t position = 0;
    std::string path;       // the file as the caller named it, for messages
    std::string target;     // Create: the file that the temporary replaces at Close
    std::string temporary;  // Create: the file being written
    bool replace = true;
    mode_t mode = 0644;
    uid_t owner = static_cast<uid_t>(-1);
    gid_t group = static_cast<gid_t>(-1);
};

BinaryStream::BinaryStream(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
BinaryStream::~BinaryStream() = default;

BinaryStreamPtr BinaryStream::Create(const FolderItemPtr& file, bool replace) {
    if (!file)
        throw NilObjectException();
    auto impl = std::make_unique<Impl>();
    impl->path = file->NativePath();
    impl->target = impl->path;

    struct stat st {};
    const bool exists = lstat(impl->target.c_str(), &st) == 0;
    if (exists && !replace)
        fail("Cannot create", impl->path, EEXIST);
    impl->replace = replace;
    if (exists && S_ISLNK(st.st_mode)) {
        // The link stays; the file it points to gets the new bytes.
        if (std::string resolved = paths::canonical(impl->target); !resolved.empty()) {
            impl->target = std::move(resolved);
            stat(impl->target.c_str(), &st);
        }
    }
    if (exists && S_ISDIR(st.st_mode))
        fail("Cannot create", impl->path, EISDIR);
    if (exists && !S_ISLNK(st.st_mode)) {
        impl->mode = st.st_mode & 07777;
        impl->owner = st.st_uid;
        impl->group = st.st_gid;
    } else {
        impl->mode = 0666 & ~currentUmask();
    }

    // Written beside the target so that the final rename stays on one file system.
    impl->fd = temporaryfiles::create([&](std::string& temporary) {
        std::string pattern = folderOf(impl->target) + "/.vimbel-save-XXXXXX";
        const int fd = mkostemp(pattern.data(), O_CLOEXEC);
        temporary = pattern;
        if (fd >= 0)
            impl->temporary = pattern;
        return fd;
    });
    if (impl->fd < 0)
        fail("Cannot create", impl->path, errno);
    return std::make_shared<BinaryStream>(std::move(impl));
}

BinaryStreamPtr BinaryStream::Open(const FolderItemPtr& file, bool readWrite) {
    if (!file)
        throw NilObjectException();
    auto impl = std::make_unique<Impl>();
    impl->path = file->NativePath();
    int fd = open(impl->path.c_str(), (readWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    // Reading is what the caller needs first; a file it may not write is still read.
    if (fd < 0 && readWrite && (errno == EACCES || errno == EROFS || errno == EPERM))
        fd = open(impl->path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail("Cannot open", impl->path, errno);
    impl->fd = fd;
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
        fail("Cannot open", impl->path, EISDIR);
    return std::make_shared<BinaryStream>(std::move(impl));
}

void BinaryStream::WriteBoolean(bool value) {
    const unsigned char byte = value ? 1 : 0;
    d->writeBytes(&byte, 1);
}

void BinaryStream::WriteUInt16(std::uint16_t value) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(value & 0xFF),
                                    static_cast<unsigned char>(value >> 8)};
    d->writeBytes(bytes, 2);
}

bool BinaryStream::ReadBoolean() {
    unsigned char byte = 0;
    d->readBytes(&byte, 1);
    return byte != 0;
}

std::int16_t BinaryStream::ReadInt16() {
    unsigned char bytes[2] = {0, 0};
    d->readBytes(bytes, 2);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8)));
}

std::int64_t BinaryStream::Length() const {
    d->requireOpen();
    struct stat st {};
    if (fstat(d->fd, &st) != 0)
        fail("Cannot read the length of", d->path, errno);
    return static_cast<std::int64_t>(st.st_size);
}

void BinaryStream::Close() {
    if (d->fd < 0)
        return;
    const int fd = d->fd;
    d->fd = -1;
    if (d->temporary.empty()) {
        if (close(fd) != 0)
            fail("Cannot close", d->path, errno);
        return;
    }
    // The whole file reaches the disk before it takes the target's place.
    int error = 0;
    if (fsync(fd) != 0)
        error = errno;
    if (error == 0 && d->owner != static_cast<uid_t>(-1))
        (void)fchown(fd, d->owner, d->group);
    if (error == 0 && fchmod(fd, d->mode) != 0)
        error = errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    // Renamed into place, or removed when it cannot be: either way in one step.
    const std::string temporary = std::exchange(d->temporary, std::string());
    temporaryfiles::settle(temporary, [&] {
        if (error == 0) {
            // Without replace, a file that appeared meanwhile is not overwritten either.
            const unsigned flags = d->replace ? 0 : RENAME_NOREPLACE;
            if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, d->target.c_str(), flags) != 0)
                error = errno;
            if (error == EINVAL && !d->replace) {
                // A file system without the flag: check, then rename.
                struct stat st {};
                error = lstat(d->target.c_str(), &st) == 0 ? EEXIST : 0;
                if (error == 0 && rename(temporary.c_str(), d->target.c_str()) != 0)
                    error = errno;
            }
        }
        if (error != 0)
            unlink(temporary.c_str());
        return error == 0 ? 0 : -1;
    });
    if (error != 0)
        fail("Cannot save", d->path, error);
}

}  // namespace fw
