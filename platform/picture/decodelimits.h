#pragma once

#include <cstdint>

#include "platform/picture/picturesource.h"

namespace fw::pic {

// Whether a picture of that size, taking that many bytes a pixel while it decodes, fits the
// picture memory limit. Codecs refuse a file whose declared size does not before they decode
// anything: it bounds the memory of the codecs that decode whole, and the time of every decode.
// Sides beyond what an image row can address are refused too.
[[nodiscard]] inline bool decodedSizeFits(std::int64_t width, std::int64_t height,
                                          int bytesPerPixel) {
    constexpr std::int64_t maxSide = (std::int64_t{1} << 31) / 8;
    return width > 0 && height > 0 && width <= maxSide && height <= maxSide &&
           width * height <= pictureMemoryLimit() / bytesPerPixel;
}

}  // namespace fw::pic
