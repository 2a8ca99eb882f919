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

}  // namespace fw::paths
