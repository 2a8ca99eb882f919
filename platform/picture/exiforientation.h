#pragma once

#include <cstddef>
#include <cstdint>

namespace fw::pic {

// The orientation tag (1..8) of an APP1 Exif payload ("Exif\0\0" and a TIFF structure); 1 when
// the payload is not Exif, has no such tag, or is malformed.
[[nodiscard]] int exifOrientation(const std::uint8_t* data, std::size_t size);

// The same for the TIFF structure alone, as PNG's eXIf chunk holds it.
[[nodiscard]] int tiffOrientation(const std::uint8_t* data, std::size_t size);

}  // namespace fw::pic
