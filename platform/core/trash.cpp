#include "platform/core/trash.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "platform/core/paths.h"

// The freedesktop.org trash, written with plain system calls: paths stay raw bytes, and a trash
// that cannot be set up means nothing moves (QFile::moveToTrash in Qt 6.4 then moves the item
// into "files" below the current folder instead).
namespace fw::trash {

namespace {

struct Place {
    std::string root;    // the trash folder, holding "files" and "info"
    std::string topdir;  // for a trash on another file system: the paths in it are relative to this
};

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    if (const passwd* account = getpwuid(geteuid());
        account != nullptr && account->pw_dir != nullptr && account->pw_dir[0] == '/')
        return account->pw_dir;
    return {};
}

std::string dataHome() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/')
        return data;
    const std::string home = homeFolder();
    return home.empty() ? std::string() : home + "/.local/share";
}

bool prepare(const std::string& root) {
    for (const std::string& folder : {root, root + "/files", root + "/info"}) {
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (!paths::isRealFolder(folder))
            return false;  // never a file or a link planted there
    }
    return true;
}

std::optional<dev_t> deviceOf(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return st.st_dev;
}

// The device the home trash is (or would be) on: that of its nearest existing folder.
std::optional<dev_t> homeTrashDevice(const std::string& data) {
    for (std::string p = data;; p = paths::parentOf(p)) {
        if (const auto dev = deviceOf(p))
            return dev;
        if (p == "/")
            return std::nullopt;
    }
}

// The top folder of the file system that holds the item.
std::string mountTop(const std::string& path, dev_t device) {
    std::string top = paths::parentOf(path);
    while (top != "/") {
        const auto above = deviceOf(paths::parentOf(top));
        if (!above || *above != device)
            break;
        top = paths::parentOf(top);
    }
    return top;
}

std::optional<Place> homeTrash(const std::string& data, dev_t device) {
    if (!paths::makePrivateFolders(data))
        return std::nullopt;
    const std::string root = data + "/Trash";
    if (!prepare(root) || deviceOf(root + "/files") != device)
        return std::nullopt;
    return Place{root, {}};
}

std::optional<Place> topdirTrash(const std::string& path, dev_t device) {
    const std::string top = mountTop(path, device);
    const std::string base = top == "/" ? std::string() : top;
    const std::string uid = std::to_string(geteuid());
    // A shared .Trash counts only when the administrator made it sticky and it is no link.
    struct stat st {};
    const std::string shared = base + "/.Trash";
    if (lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const std::string root = shared + "/" + uid;
        if (prepare(root) && deviceOf(root + "/files") == device)
            return Place{root, top};
    }
    const std::string own = base + "/.Trash-" + uid;
    if (prepare(own) && deviceOf(own + "/files") == device)
        return Place{own, top};
    return std::nullopt;
}

std::string percentEncoded(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == '~' ||
                           c == '/';
        if (plain) {
            out.push_back(ch);
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 0xF]);
        }
    }
    return out;
}

std::string deletionDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool moveToTrash(const std::string& path) {
    struct stat st {};
    if (path.empty() || path == "/" || lstat(path.c_str(), &st) != 0)
        return false;

    // Within the home trash's file system the home trash; elsewhere that file system's own
    // trash, never a copy across file systems.
    const std::string data = dataHome();
    if (data.empty())
        return false;
    const auto homeDevice = homeTrashDevice(data);
    const std::optional<Place> place =
        homeDevice == st.st_dev ? homeTrash(data, st.st_dev) : topdirTrash(path, st.st_dev);
    if (!place)
        return false;

    std::string original = path;
    if (!place->topdir.empty())
        original = place->topdir == "/" ? path.substr(1) : path.substr(place->topdir.size() + 1);
    const std::string info = "[Trash Info]\nPath=" + percentEncoded(original) +
                             "\nDeletionDate=" + deletionDate() + "\n";

    // Room for a number and ".trashinfo" within a file name's 255 bytes.
    const std::string name = path.substr(path.rfind('/') + 1).substr(0, 200);
    for (int n = 1; n < 10000; ++n) {
        const std::string entry = n == 1 ? name : name + "." + std::to_string(n);
        const std::string infoPath = place->root + "/info/" + entry + ".trashinfo";
        const std::string target = place->root + "/files/" + entry;
        // The info file, made exclusively, reserves the entry's name.
        const int fd = open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        struct stat taken {};
        if (lstat(target.c_str(), &taken) == 0) {
            close(fd);
            unlink(infoPath.c_str());
            continue;
        }
        const bool written = writeAll(fd, info);
        if (close(fd) != 0 || !written || rename(path.c_str(), target.c_str()) != 0) {
            unlink(infoPath.c_str());
            return false;
        }
        return true;
    }
    return false;
}

}  // namespace fw::trash
