#pragma once

#include <string>

#include "engine/batchsettings.h"

// The suffix of the output folder's name, recording the resizing rule and its sizes, e.g.
// " (B800)", " (W800, H50%)" or " (1024x768)"; empty for an unknown proportional mode.
[[nodiscard]] std::string foldersuffix(const BatchSettings& settings);
