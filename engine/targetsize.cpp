#include "engine/targetsize.h"

#include "engine/framework/text.h"

namespace {

// The rules' integer products. Settings can be any 64-bit value, so the product wraps as two's
// complement instead of overflowing; a wrapped size is then refused by the picture operations.
std::int64_t times(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b));
}

double dbl(std::int64_t value) {
    return static_cast<double>(value);
}

std::int64_t trunc(double value) {
    return fw::truncToInt64(value);
}

// The other side from the one that was set, keeping the aspect ratio.
std::int64_t heightFor(std::int64_t width, std::int64_t W, std::int64_t H) {
    return trunc(dbl(times(H, width)) / dbl(W));
}
std::int64_t widthFor(std::int64_t height, std::int64_t W, std::int64_t H) {
    return trunc(dbl(times(W, height)) / dbl(H));
}

std::int64_t percentOf(std::int64_t side, std::int64_t percent) {
    return trunc(dbl(times(side, percent)) / 100.0);
}

PixelSize proportional(const BatchSettings& s, std::int64_t W, std::int64_t H, PixelSize size) {
    const std::int64_t wanted = s.proportionalSize;
    const auto byWidth = [&] {
        size.width = wanted;
        size.height = heightFor(size.width, W, H);
    };
    const auto byHeight = [&] {
        size.height = wanted;
        size.width = widthFor(size.height, W, H);
    };
    const auto mode = proportionalModeOf(s.proportionalMode);
    if (!mode)
        return size;  // an unknown mode keeps the previous size
    switch (*mode) {
        case ProportionalMode::BiggestSide:  // square pictures go by height
            H < W ? byWidth() : byHeight();
            break;
        case ProportionalMode::SmallestSide:  // square pictures go by height
            W < H ? byWidth() : byHeight();
            break;
        case ProportionalMode::Width:
            byWidth();
            break;
        case ProportionalMode::Height:
            byHeight();
            break;
        case ProportionalMode::Percent:
            size.width = percentOf(W, wanted);
            size.height = percentOf(H, wanted);
            break;
    }
    return size;
}

PixelSize independent(const BatchSettings& s, std::int64_t W, std::int64_t H) {
    PixelSize size;
    size.width = sizeUnitOf(s.independentWidthMode) == SizeUnit::Pixels
                     ? s.independentWidth
                     : percentOf(W, s.independentWidth);
    size.height = sizeUnitOf(s.independentHeightMode) == SizeUnit::Pixels
                      ? s.independentHeight
                      : percentOf(H, s.independentHeight);
    return size;
}

PixelSize box(const BatchSettings& s, std::int64_t W, std::int64_t H) {
    PixelSize size;
    const double rH = dbl(H) / dbl(s.boxHeight);
    const double rW = dbl(W) / dbl(s.boxWidth);
    if (rW > rH) {
        size.width = s.boxWidth;
        size.height = heightFor(size.width, W, H);
    } else {
        size.height = s.boxHeight;
        // The quotient first, then the product: this can land one pixel below the exact width
        // (1250 x 1250 in 1024 x 768 gives 767), and that is the rule.
        const double scale = dbl(s.boxHeight) / dbl(H);
        size.width = trunc(dbl(W) * scale);
    }
    return size;
}

}  // namespace

PixelSize targetsize(const BatchSettings& settings, std::int64_t W, std::int64_t H,
                     PixelSize previous) {
    PixelSize size;
    switch (resizeRuleOf(settings.resizeType)) {
        case ResizeRule::Proportional:
            size = proportional(settings, W, H, previous);
            break;
        case ResizeRule::Independent:
            size = independent(settings, W, H);
            break;
        case ResizeRule::Box:
            size = box(settings, W, H);
            break;
    }
    // Keeps each axis within the source; the aspect ratio is not restored afterwards.
    if (settings.bigger) {
        if (W < size.width)
            size.width = W;
        if (H < size.height)
            size.height = H;
    }
    return size;
}
