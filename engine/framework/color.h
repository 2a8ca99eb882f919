#pragma once

#include <cstdint>

namespace fw {

struct Color {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 0;  // 0 is opaque
    friend bool operator==(const Color&, const Color&) = default;
};

[[nodiscard]] constexpr Color RGB(int r, int g, int b, int a = 0) {
    return Color{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                 static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(a)};
}

}  // namespace fw
