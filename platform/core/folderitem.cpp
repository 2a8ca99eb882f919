#include "engine/framework/folderitem.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include "engine/framework/exceptions.h"
#include "engine/framework/text.h"
#include "platform/core/folderreads.h"
#include "platform/core/paths.h"
#include "platform/core/trash.h"

namespace fw {

namespace {

// What identifies one state of a folder's entries. Any entry added, removed or renamed changes
// the folder's mtime and ctime; inode and device catch a folder replaced under the same path.
struct FolderStamp {
    dev_t device = 0;
    ino_t inode = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    off_t size = 0;
    nlink_t links = 0;

    bool operator==(const FolderStamp&) const = default;
};

std::int64_t nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

FolderStamp stampOf(const struct stat& st) {
    return {st.st_dev,  st.st_ino,  nanoseconds(st.st_mtim), nanoseconds(st.st_ctim),
            st.st_size, st.st_nlink};
}

// File systems stamp times at a coarse granularity (a clock tick here, two seconds on FAT): a
// change within the same granule as the last read leaves the stamp unchanged. A listing read that
// soon after the folder's last change is therefore re-read on its next use.
constexpr std::int64_t kTimestampGranuleNs = 2'000'000'000;

// Whether a change made after a read at readAt could be stamped with this same time. Any entry
// added, removed or renamed stamps both times with the current time, so a stamp well in the future
// (a folder touched ahead, a clock set back) changes with the next change and is trusted; one
// granule ahead is still suspect, for a file server whose clock runs slightly ahead of ours.
bool withinAGranule(std::int64_t stampNs, const timespec& readAt) {
    const std::int64_t read = nanoseconds(readAt);
    return stampNs >= read - kTimestampGranuleNs && stampNs <= read + kTimestampGranuleNs;
}

// Listings read from the file system, for the cache's tests.
std::atomic<std::uint64_t> folderListingReads{0};

std::string normalizedAbsolute(const std::string& path) {
    std::string absolute;
    if (!path.empty() && path.front() == '/') {
        absolute = path;
    } else {
        std::vector<char> buffer(4096);
        while (getcwd(buffer.data(), buffer.size()) == nullptr) {
            if (errno != ERANGE)
                throw RuntimeException("The current folder cannot be read");
            buffer.resize(buffer.size() * 2);
        }
        absolute = std::string(buffer.data()) + "/" + path;
    }
    // Lexical clean-up: no empty or "." components, ".." takes one back (never above the root).
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i <= absolute.size()) {
        std::size_t slash = absolute.find('/', i);
        if (slash == std::string::npos)
            slash = absolute.size();
        const std::string part = absolute.substr(i, slash - i);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = slash + 1;
    }
    std::string out;
    for (const auto& part : parts)
        out += "/" + part;
    return out.empty() ? "/" : out;
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

bool isSymlink(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool canWriteFolder(const std::string& folder) {
    return access(folder.c_str(), W_OK | X_OK) == 0;
}

bool isImmutableOrAppendOnly(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    const bool known = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    close(fd);
    return known && (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0;
}

}  // namespace

struct FolderItem::Impl {
    explicit Impl(std::string p) : path(std::move(p)) {}

    // The sorted entry names, re-read only when the folder changed. A folder that exists but
    // cannot be listed raises IOException rather than passing for an empty one. Caller holds the
    // mutex.
    const std::vector<std::string>& entries() const {
        struct stat st {};
        if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            forget();
            return names;
        }
        const FolderStamp now = stampOf(st);
        if (listed && now == stamp && !racy)
            return names;

        timespec readAt{};
        clock_gettime(CLOCK_REALTIME, &readAt);
        DIR* dir = opendir(path.c_str());
        if (dir == nullptr) {
            const int error = errno;
            forget();
            // Gone or replaced by a file since the stat: a missing folder has no entries.
            if (error == ENOENT || error == ENOTDIR)
                return names;
            throw unreadable(error);
        }
        folderListingReads.fetch_add(1, std::memory_order_relaxed);
        std::vector<std::string> fresh;
        for (;;) {
            errno = 0;
            const dirent* entry = readdir(dir);
            if (entry == nullptr)
                break;
            const std::string name(entry->d_name);
            if (name != "." && name != "..")
                fresh.push_back(name);
        }
        const int readError = errno;
        closedir(dir);
        if (readError != 0) {
            // Part of a listing would pass for the whole of it.
            forget();
            throw unreadable(readError);
        }
        // Byte order: deterministic whatever the locale or the names' encoding.
        std::sort(fresh.begin(), fresh.end());
        names = std::move(fresh);
        listed = true;
        stamp = now;
        // A change goes unseen only when it leaves both times as they were.
        racy = withinAGranule(now.modifiedNs, readAt) && withinAGranule(now.changedNs, readAt);
        return names;
    }

    void forget() const {
        listed = false;
        names.clear();
    }

    [[nodiscard]] IOException unreadable(int error) const {
        const std::size_t slash = path.rfind('/');
        const std::string name = path == "/" ? path : sanitizedUtf8(path.substr(slash + 1));
        return IOException("The folder \"" + name + "\" cannot be read (error " +
                               std::to_string(error) + ": " +
                               std::generic_category().message(error) + ")",
                           error);
    }

    const std::string path;
    std::atomic<int> lastError{0};
    mutable std::mutex mutex;
    mutable bool listed = false;
    mutable bool racy = false;
    mutable FolderStamp stamp;
    mutable std::vector<std::string> names;
};

std::uint64_t platform::folderListingReadsForTests() {
    return folderListingReads.load(std::memory_order_relaxed);
}

namespace {
FolderItemPtr makeItem(std::string normalizedPath) {
    return std::make_shared<FolderItem>(
        std::make_unique<FolderItem::Impl>(std::move(normalizedPath)));
}
}  // namespace

FolderItem::FolderItem(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
FolderItem::~FolderItem() = default;

FolderItemPtr FolderItem::fromNativePath(const std::string& path) {
    if (path.find('\0') != std::string::npos)
        throw RuntimeException("A path cannot contain a NUL character");
    return makeItem(normalizedAbsolute(path));
}

FolderItemPtr FolderItem::Child(const std::string& name, bool /*followAlias*/) const {
    // The child keeps its own path even when it is a link: replacing or deleting it then acts on
    // the link, never on what it points to.
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos)
        throw RuntimeException("\"" + sanitizedUtf8(name) + "\" is not a valid item name");
    return makeItem(joined(d->path, name));
}

FolderItemPtr FolderItem::ChildAt(std::int64_t index, bool followAlias) const {
    std::string path;
    {
        std::lock_guard lock(d->mutex);
        const auto& names = d->entries();
        if (index < 0 || index >= static_cast<std::int64_t>(names.size()))
            return nullptr;
        path = joined(d->path, names[static_cast<std::size_t>(index)]);
    }
    if (followAlias && isSymlink(path)) {
        // A broken link stays a reference to the link itself.
        if (std::string target = paths::canonical(path); !target.empty())
            path = std::move(target);
    }
    return makeItem(std::move(path));
}

std::int64_t FolderItem::Count() const {
    std::lock_guard lock(d->mutex);
    return static_cast<std::int64_t>(d->entries().size());
}

std::string FolderItem::Name() const {
    if (d->path == "/")
        return {};
    return sanitizedUtf8(d->path.substr(d->path.rfind('/') + 1));
}

FolderItemPtr FolderItem::Parent() const {
    if (d->path == "/")
        return nullptr;
    return makeItem(paths::parentOf(d->path));
}

bool FolderItem::Exists() const {
    struct stat st {};
    return lstat(d->path.c_str(), &st) == 0;
}

bool FolderItem::Directory() const {
    struct stat st {};
    return stat(d->path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FolderItem::Locked() const {
    if (d->path == "/")
        return true;
    const std::string parent = paths::parentOf(d->path);
    struct stat st {};
    if (lstat(d->path.c_str(), &st) != 0)
        return !canWriteFolder(parent);

    // Replacing an existing item means taking its entry out of the parent.
    if (!canWriteFolder(parent))
        return true;
    struct stat parentStat {};
    const uid_t me = geteuid();
    if (me != 0 && stat(parent.c_str(), &parentStat) == 0 && (parentStat.st_mode & S_ISVTX) &&
        st.st_uid != me && parentStat.st_uid != me)
        return true;
    if ((S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) && isImmutableOrAppendOnly(d->path))
        return true;
    // Moving a folder elsewhere rewrites its ".." entry, which needs write access to it.
    if (S_ISDIR(st.st_mode) && access(d->path.c_str(), W_OK) != 0)
        return true;
    return false;
}

void FolderItem::Delete() {
    // When the trash cannot take the item, it stays: nothing is ever removed for good.
    (void)trash::moveToTrash(d->path);
}

void FolderItem::CreateAsFolder() {
    int error = mkdir(d->path.c_str(), 0777) == 0 ? 0 : errno;
    if (error == EEXIST && Directory())
        error = 0;
    d->lastError = error;
}

int FolderItem::LastErrorCode() const {
    return d->lastError;
}

const std::string& FolderItem::NativePath() const {
    return d->path;
}

bool FolderItem::samePlaceAs(const FolderItem& other) const {
    const std::string mine = paths::canonical(d->path);
    const std::string theirs = paths::canonical(other.d->path);
    if (!mine.empty() && !theirs.empty())
        return mine == theirs;
    return d->path == other.d->path;
}

}  // namespace fw
