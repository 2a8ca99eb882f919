#include "engine/uniquename.h"

#include <cstdint>

#include "engine/framework/exceptions.h"
#include "engine/framework/text.h"

namespace {

bool taken(const fw::FolderItem& folder, const std::string& base, const std::string& extension) {
    return folder.Child(base + "." + extension, true)->Exists();
}

}  // namespace

std::string uniquename(const fw::FolderItemPtr& folder, const std::string& base,
                       const std::string& extension) {
    if (!folder)
        throw fw::NilObjectException("No output folder");
    if (!taken(*folder, base, extension))
        return base;
    for (std::int64_t n = 2;; ++n) {
        std::string candidate = base + "-" + fw::Str(n);
        if (!taken(*folder, candidate, extension))
            return candidate;
    }
}
