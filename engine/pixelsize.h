#pragma once

#include <cstdint>

// A target size in pixels. Sides may be zero or negative when a rule's inputs ask for it; the
// picture operations decide what they accept.
struct PixelSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};
