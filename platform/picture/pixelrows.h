#pragma once

#include <QImage>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "platform/picture/picturesource.h"

// Conversions of one decoded row into the 8-bit layouts that pictures keep, for the codecs that
// hand rows to a sink or fill an image row by row.
namespace fw::pic {

// Straight RGBA -> premultiplied RGBA, in place.
void premultiplyRow(std::uint8_t* rgba, int width);
// Premultiplied RGBA -> straight RGBA, in place; colour above alpha (filter ringing) is clamped.
void unpremultiplyRow(std::uint8_t* rgba, int width);

// 255 / a in 16.16 fixed point.
inline constexpr std::array<std::uint32_t, 256> unpremultiplyReciprocals = [] {
    std::array<std::uint32_t, 256> t{};
    for (unsigned a = 1; a < 256; ++a)
        t[a] = (255u * 65536u + a / 2) / a;
    return t;
}();

// One premultiplied colour value (up to alpha, 1..255) as straight colour; inline, as the pixel
// loops call it per channel.
[[nodiscard]] inline std::uint8_t unpremultiplied(unsigned colour, unsigned alpha) {
    return static_cast<std::uint8_t>(std::min<unsigned>(
        255, (std::min(colour, alpha) * unpremultiplyReciprocals[alpha] + 32768) >> 16));
}
// RGBA, straight or premultiplied, composited over white -> RGBX. in and out may be the same row.
void flattenRowOverWhite(const std::uint8_t* in, std::uint8_t* out, int width, bool premultiplied);
// RGB -> RGBX (X = 255). The rows must not overlap.
void rgbToRgbx(const std::uint8_t* rgb, std::uint8_t* rgbx, int width);

// Hands a decoded picture (Grayscale8, RGBX8888 or RGBA8888) to a sink row by row, transparent
// rows premultiplied in place. False when the sink refuses it.
bool handRows(QImage& image, RowSink& sink);

// Maps samples of a given bit depth (9..16, in 16-bit words) to 8 bits, rounded to nearest.
class DepthReducer {
public:
    explicit DepthReducer(int bits);
    // count samples; out may be the same memory as in (it is written no faster than read).
    void reduce(const std::uint16_t* in, std::uint8_t* out, int count) const;

private:
    std::vector<std::uint8_t> m_table;
};

}  // namespace fw::pic
