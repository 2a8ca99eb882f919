#pragma once

#include <cstddef>

namespace fw::pic {

// libjpeg takes its big buffers (a progressive file's coefficients, the row buffers, the saved
// markers) through jpeg_get_large and jpeg_free_large, the system-dependent half of its memory
// manager, which a program may supply; Debian's calls malloc. Ours, defined in jpegmemory.cpp,
// serves one decoder at a time from a region that is kept from one picture to the next: pictures
// of a batch need similar amounts, and faulting fresh pages in for every picture cost more than
// a tenth of the time of a batch of progressive JPEGs. The region grows to what the last picture
// that did not fit asked for, up to largestKept; the pages of a picture that does not fit are
// given back as it spills, so that the memory in use is never more than that picture's own.

// The most memory the region keeps; a picture that needs more gets the rest from the heap.
constexpr std::size_t largestKept = std::size_t{128} << 20;

// Gives the region's pages back to the system, unless a decoder is using it (the region itself
// stays, so the next picture uses it again). Done when a thread that decoded a JPEG ends, and
// when a picture of another format is opened, so that the memory is not held meanwhile.
void releaseJpegMemory();

// What the region served since the program started, for the tests.
struct JpegMemoryStats {
    std::size_t capacity = 0;  // the region's size now
    std::size_t served = 0;    // allocations taken from it
    std::size_t spilled = 0;   // allocations of its decoder that went to the heap
};
[[nodiscard]] JpegMemoryStats jpegMemoryStats();

}  // namespace fw::pic
