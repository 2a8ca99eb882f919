#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Separable Lanczos-3 resampling of 8-bit interleaved pixels, in fixed point.
namespace fw::pic {

// Where the output samples of one axis fall in the source: the centre of output sample a lies at
// the continuous source position offset + (a + 0.5) * scale (source pixel i spans [i, i + 1)).
struct AxisMap {
    double offset = 0;
    double scale = 1;
};

// The taps of one axis: for each output sample, a run of consecutive source samples and their
// weights, which sum to exactly 1 << weightBits.
class AxisFilter {
public:
    static constexpr int weightBits = 14;

    // Taps are restricted to the source samples [sourceBegin, sourceEnd), and renormalised there.
    AxisFilter(int outCount, AxisMap map, int sourceBegin, int sourceEnd);

    [[nodiscard]] int outCount() const { return m_outCount; }
    [[nodiscard]] int first(int out) const { return m_first[static_cast<std::size_t>(out)]; }
    [[nodiscard]] int count(int out) const { return m_count[static_cast<std::size_t>(out)]; }
    [[nodiscard]] const std::int16_t* weights(int out) const {
        return m_weights.data() +
               static_cast<std::size_t>(out) * static_cast<std::size_t>(m_stride);
    }
    // The source samples that any tap reads.
    [[nodiscard]] int sourceBegin() const { return m_sourceBegin; }
    [[nodiscard]] int sourceEnd() const { return m_sourceEnd; }
    // True when every output copies one source sample (a plain shift): no filtering needed.
    [[nodiscard]] bool isCopy() const { return m_copy; }

private:
    int m_outCount = 0;
    int m_stride = 0;
    int m_sourceBegin = 0;
    int m_sourceEnd = 0;
    bool m_copy = true;
    std::vector<int> m_first;
    std::vector<int> m_count;
    std::vector<std::int16_t> m_weights;
};

struct ConstPixels {
    const std::uint8_t* data = nullptr;
    std::ptrdiff_t stride = 0;  // bytes from one row to the next
    int width = 0;
    int height = 0;
};

struct Pixels {
    std::uint8_t* data = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
};

// An axis's weights laid out for a filter of four channels at once (see resampler.cpp).
struct PairedWeights {
    std::vector<std::int32_t> words;
    int stride = 0;  // words per output sample
};

// Resamples rows as they arrive (from a decoder, say): each source row is filtered horizontally
// into a ring of as many rows as the vertical taps span, and every output row is written as soon
// as its last source row is in, so the whole source is never held.
class RowResampler {
public:
    // The destination has fx.outCount() x fy.outCount() pixels.
    RowResampler(const AxisFilter& fx, const AxisFilter& fy, int channels,
                 const Pixels& destination);
    ~RowResampler();
    RowResampler(const RowResampler&) = delete;
    RowResampler& operator=(const RowResampler&) = delete;

    // Rows before this one are not needed (nothing to push for them).
    void skipTo(int row);
    // The next source row (the first is row 0), of the source width times the channels.
    void push(const std::uint8_t* row);
    // Writes what is left when the source ended early, repeating its last row.
    void finish();

private:
    void emitReady();

    const AxisFilter& m_fx;
    const AxisFilter& m_fy;
    int m_channels;
    Pixels m_destination;
    int m_capacity = 1;
    std::ptrdiff_t m_ringStride = 0;
    std::unique_ptr<std::uint8_t[]> m_ring;
    PairedWeights m_pairedX;  // for four channels
    PairedWeights m_pairedY;
    std::vector<const std::uint8_t*> m_rows;
    int m_nextRow = 0;
    int m_nextOut = 0;
    int m_lastStored = -1;
};

// Resamples the source into the destination (fx.outCount() x fy.outCount() pixels) with the
// given channel count (1 to 4). Values are clamped to 0..255; premultiply transparent pixels
// first so that colour does not bleed from transparent areas.
void resample(const ConstPixels& source, const Pixels& destination, int channels,
              const AxisFilter& fx, const AxisFilter& fy);

}  // namespace fw::pic
