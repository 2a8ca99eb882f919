#pragma once

#include <cstdlib>
#include <string>

#include <limits.h>
#include <stdlib.h>

namespace fw::paths {

// The canonical path (links and ".." resolved), or empty when some component does not resolve.
[[nodiscard]] inline std::string canonical(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return {};
    std::string out(resolved);
    std::free(resolved);
    return out;
}

// Whether the path is a folder itself, not a link to one.
[[nodiscard]] bool isRealFolder(const std::string& path);

// The folder that holds the path: "/" for an item at the top and for "/" itself.
[[nodiscard]] std::string parentOf(const std::string& path);

// Makes the folder and every missing folder above it (mkdir -p), each new one for the user alone
// (mode 0700, as the XDG base directory rules ask); folders already there keep their mode. True
// when the path is a folder afterwards, also through a link.
[[nodiscard]] bool makePrivateFolders(const std::string& path);

}  // namespace fw::paths
