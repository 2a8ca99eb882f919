#pragma once

#include <cstdint>

#include "engine/batchsettings.h"
#include "engine/pixelsize.h"

// The target size of a W x H picture under the settings' resizing rule, starting from the size
// that the previous picture left (an unknown proportional mode keeps it). Divisions are done in
// double precision and truncated toward zero; nothing is rounded.
[[nodiscard]] PixelSize targetsize(const BatchSettings& settings, std::int64_t W, std::int64_t H,
                                   PixelSize previous);
