#include "platform/core/paths.h"

#include <sys/stat.h>

#include <cerrno>

namespace fw::paths {

bool isRealFolder(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool makePrivateFolders(const std::string& path) {
    if (isRealFolder(path))
        return true;
    if (path == "/" || path.empty())
        return false;
    if (!makePrivateFolders(parentOf(path)))
        return false;
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace fw::paths
