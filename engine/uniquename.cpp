#include "engine/uniquename.h"

#include <cstdint>
#include <optional>

#include "engine/fitname.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/text.h"

namespace {

// The base name of the candidate with that number suffix ("" or "-n"), cut to fit, when its file
// name is free in the folder.
std::optional<std::string> freeCandidate(const fw::FolderItem& folder, const std::string& base,
                                         const std::string& number, const std::string& extension) {
    std::string candidate = fitname(base, number + "." + extension) + number;
    if (folder.Child(candidate + "." + extension, true)->Exists())
        return std::nullopt;
    return candidate;
}

}  // namespace

std::string uniquename(const fw::FolderItemPtr& folder, const std::string& base,
                       const std::string& extension) {
    if (!folder)
        throw fw::NilObjectException("No output folder");
    if (auto name = freeCandidate(*folder, base, "", extension))
        return *name;
    for (std::int64_t n = 2;; ++n) {
        if (auto name = freeCandidate(*folder, base, "-" + fw::Str(n), extension))
            return *name;
    }
}
