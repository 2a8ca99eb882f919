#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/picture/resampler.h"

namespace {

using fw::pic::AxisFilter;

// The filter as it is defined, one sample at a time: each source row filtered across into 8 bits,
// then the output rows filtered down from those.
std::vector<std::uint8_t> reference(const std::vector<std::uint8_t>& src, int w, int channels,
                                    const AxisFilter& fx, const AxisFilter& fy) {
    const int one = 1 << AxisFilter::weightBits;
    const auto clamp8 = [](int v) {
        return static_cast<std::uint8_t>(std::clamp(v >> AxisFilter::weightBits, 0, 255));
    };
    const int h = static_cast<int>(src.size()) / (w * channels);
    std::vector<std::uint8_t> across(static_cast<std::size_t>(h) * fx.outCount() * channels);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < fx.outCount(); ++x)
            for (int c = 0; c < channels; ++c) {
                int acc = one / 2;
                for (int k = 0; k < fx.count(x); ++k)
                    acc += fx.weights(x)[k] *
                           src[(static_cast<std::size_t>(y) * w + fx.first(x) + k) * channels + c];
                across[(static_cast<std::size_t>(y) * fx.outCount() + x) * channels + c] =
                    clamp8(acc);
            }
    std::vector<std::uint8_t> out(static_cast<std::size_t>(fy.outCount()) * fx.outCount() *
                                  channels);
    const int rowBytes = fx.outCount() * channels;
    for (int y = 0; y < fy.outCount(); ++y)
        for (int i = 0; i < rowBytes; ++i) {
            int acc = one / 2;
            for (int k = 0; k < fy.count(y); ++k)
                acc += fy.weights(y)[k] *
                       across[static_cast<std::size_t>(fy.first(y) + k) * rowBytes + i];
            out[static_cast<std::size_t>(y) * rowBytes + i] = clamp8(acc);
        }
    return out;
}

// The vectorised passes (four channels across, any bytes down, in pairs of taps with an odd one
// left, 16 bytes at a time with a tail) give exactly what the definition gives.
TEST(Resampler, FastPathsMatchTheDefinition) {
    struct Case {
        int srcW, srcH, dstW, dstH, channels;
    };
    const Case cases[] = {
        {1280, 40, 1024, 32, 4},  // a DCT-scaled JPEG into the box
        {1000, 37, 333, 17, 4},   // wide taps, an odd row length
        {101, 99, 203, 50, 4},    // enlarged across, reduced down
        {37, 29, 5, 3, 4},        // output rows shorter than 16 bytes
        {77, 500, 13, 31, 3},    {50, 50, 17, 49, 1}, {9, 7, 5, 3, 2},
    };
    std::uint32_t seed = 7;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.srcW << "x" << c.srcH << " -> " << c.dstW << "x"
                                        << c.dstH << ", " << c.channels << " channels");
        std::vector<std::uint8_t> src(static_cast<std::size_t>(c.srcW) * c.srcH * c.channels);
        for (auto& v : src) {
            seed = seed * 1664525 + 1013904223;
            v = static_cast<std::uint8_t>(seed >> 24);
        }
        const AxisFilter fx(c.dstW, {0, static_cast<double>(c.srcW) / c.dstW}, 0, c.srcW);
        const AxisFilter fy(c.dstH, {0, static_cast<double>(c.srcH) / c.dstH}, 0, c.srcH);
        std::vector<std::uint8_t> out(static_cast<std::size_t>(c.dstW) * c.dstH * c.channels);
        fw::pic::resample(
            {src.data(), static_cast<std::ptrdiff_t>(c.srcW) * c.channels, c.srcW, c.srcH},
            {out.data(), static_cast<std::ptrdiff_t>(c.dstW) * c.channels, c.dstW, c.dstH},
            c.channels, fx, fy);
        EXPECT_EQ(out, reference(src, c.srcW, c.channels, fx, fy));
    }
}

}  // namespace
