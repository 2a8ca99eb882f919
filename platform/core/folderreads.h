#pragma once

#include <cstdint>

// For the platform's own tests: folder listings are cached, and only a change to the folder should
// make one be read again.
namespace fw::platform {

// How many folder listings have been read from the file system so far, in the whole process.
[[nodiscard]] std::uint64_t folderListingReadsForTests();

}  // namespace fw::platform
