#pragma once

#include <string>

// The output folder's name: the source folder's name cut so that, with the suffix, it fits in 31
// characters, then the suffix.
[[nodiscard]] std::string outputfoldername(const std::string& sourceName,
                                           const std::string& suffix);
