#include "platform/picture/resampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace fw::pic {

namespace {

constexpr int one = 1 << AxisFilter::weightBits;
constexpr int rounding = one / 2;

double lanczos3(double x) {
    x = std::fabs(x);
    if (x < 1e-9)
        return 1.0;
    if (x >= 3.0)
        return 0.0;
    const double px = std::numbers::pi * x;
    return 3.0 * std::sin(px) * std::sin(px / 3.0) / (px * px);
}

std::uint8_t clamp8(int value) {
    return static_cast<std::uint8_t>(std::clamp(value >> AxisFilter::weightBits, 0, 255));
}

template <int C>
void horizontalScalar(const std::uint8_t* src, std::uint8_t* out, const AxisFilter& fx) {
    for (int x = 0; x < fx.outCount(); ++x) {
        const std::int16_t* w = fx.weights(x);
        const std::uint8_t* p = src + static_cast<std::ptrdiff_t>(fx.first(x)) * C;
        const int n = fx.count(x);
        int acc[C];
        for (int c = 0; c < C; ++c)
            acc[c] = rounding;
        for (int k = 0; k < n; ++k)
            for (int c = 0; c < C; ++c)
                acc[c] += w[k] * p[k * C + c];
        for (int c = 0; c < C; ++c)
            out[x * C + c] = clamp8(acc[c]);
    }
}

#if defined(__SSE2__)
// Two weights as one 32-bit word, the first in the low half: what a multiply-add over pairs of
// interleaved 16-bit samples takes.
std::int32_t pairWord(std::int16_t a, std::int16_t b) {
    return static_cast<std::int32_t>(
        (static_cast<std::uint32_t>(static_cast<std::uint16_t>(b)) << 16) |
        static_cast<std::uint16_t>(a));
}

// Four channels at once: pairs of taps are interleaved per channel so that one multiply-add
// handles two taps of all four channels, with the pairs' weights as pairedWeights lays them out.
void horizontal4(const std::uint8_t* src, std::uint8_t* out, const AxisFilter& fx,
                 const PairedWeights& paired) {
    const __m128i zero = _mm_setzero_si128();
    for (int x = 0; x < fx.outCount(); ++x) {
        const auto* wp = reinterpret_cast<const __m128i*>(
            paired.words.data() + static_cast<std::ptrdiff_t>(x) * paired.stride);
        const std::uint8_t* p = src + static_cast<std::ptrdiff_t>(fx.first(x)) * 4;
        const int n = fx.count(x);
        __m128i acc = _mm_set1_epi32(rounding);
        int k = 0;
        for (; k + 4 <= n; k += 4, wp += 2) {
            __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k * 4));
            px = _mm_shuffle_epi32(px, _MM_SHUFFLE(3, 1, 2, 0));  // p0 p2 p1 p3
            const __m128i inter = _mm_unpacklo_epi8(px, _mm_srli_si128(px, 8));
            acc = _mm_add_epi32(
                acc, _mm_madd_epi16(_mm_unpacklo_epi8(inter, zero), _mm_loadu_si128(wp)));
            acc = _mm_add_epi32(
                acc, _mm_madd_epi16(_mm_unpackhi_epi8(inter, zero), _mm_loadu_si128(wp + 1)));
        }
        for (; k + 2 <= n; k += 2, ++wp) {
            const __m128i px = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + k * 4));
            const __m128i inter = _mm_unpacklo_epi8(px, _mm_srli_si128(px, 4));
            acc = _mm_add_epi32(
                acc, _mm_madd_epi16(_mm_unpacklo_epi8(inter, zero), _mm_loadu_si128(wp)));
        }
        if (k < n) {
            int word;
            std::memcpy(&word, p + k * 4, 4);
            const __m128i px =
                _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), zero);
            acc = _mm_add_epi32(acc, _mm_madd_epi16(px, _mm_loadu_si128(wp)));
        }
        acc = _mm_srai_epi32(acc, AxisFilter::weightBits);
        const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(acc, acc), zero);
        const int result = _mm_cvtsi128_si32(packed);
        std::memcpy(out + x * 4, &result, 4);
    }
}
#endif

void horizontal(const std::uint8_t* src, std::uint8_t* out, int channels, const AxisFilter& fx,
                const PairedWeights& paired) {
    switch (channels) {
        case 1:
            horizontalScalar<1>(src, out, fx);
            break;
        case 2:
            horizontalScalar<2>(src, out, fx);
            break;
        case 3:
            horizontalScalar<3>(src, out, fx);
            break;
        default:
#if defined(__SSE2__)
            horizontal4(src, out, fx, paired);
#else
            horizontalScalar<4>(src, out, fx);
#endif
            break;
    }
}

// One output row from n input rows; works on bytes, whatever the channels. With SSE2 the rows
// come in pairs (an odd last one paired with any row) whose weights `paired` holds as
// pairedWeights lays them out (that row at weight 0).
void vertical(const std::uint8_t* const* rows, const std::int16_t* w, int n,
              const std::int32_t* paired, std::uint8_t* out, int bytes) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const auto* weights = reinterpret_cast<const __m128i*>(paired);
    const int pairs = (n + 1) / 2;
    for (; i + 16 <= bytes; i += 16) {
        __m128i a0 = _mm_set1_epi32(rounding);
        __m128i a1 = a0;
        __m128i a2 = a0;
        __m128i a3 = a0;
        for (int j = 0; j < pairs; ++j) {
            const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[2 * j] + i));
            const __m128i r1 =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[2 * j + 1] + i));
            const __m128i wp = _mm_loadu_si128(weights + j);
            const __m128i lo = _mm_unpacklo_epi8(r0, r1);
            const __m128i hi = _mm_unpackhi_epi8(r0, r1);
            a0 = _mm_add_epi32(a0, _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), wp));
            a1 = _mm_add_epi32(a1, _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), wp));
            a2 = _mm_add_epi32(a2, _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), wp));
            a3 = _mm_add_epi32(a3, _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), wp));
        }
        a0 = _mm_srai_epi32(a0, AxisFilter::weightBits);
        a1 = _mm_srai_epi32(a1, AxisFilter::weightBits);
        a2 = _mm_srai_epi32(a2, AxisFilter::weightBits);
        a3 = _mm_srai_epi32(a3, AxisFilter::weightBits);
        const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(a0, a1), _mm_packs_epi32(a2, a3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packed);
    }
#else
    (void)paired;
#endif
    for (; i < bytes; ++i) {
        int acc = rounding;
        for (int k = 0; k < n; ++k)
            acc += w[k] * rows[k][i];
        out[i] = clamp8(acc);
    }
}

void gather(const std::uint8_t* src, std::uint8_t* out, int channels, const AxisFilter& fx) {
    for (int x = 0; x < fx.outCount(); ++x)
        std::memcpy(out + x * channels, src + static_cast<std::ptrdiff_t>(fx.first(x)) * channels,
                    static_cast<std::size_t>(channels));
}

void horizontalOrCopy(const std::uint8_t* src, std::uint8_t* out, int channels,
                      const AxisFilter& fx, const PairedWeights& paired) {
    if (fx.isCopy())
        gather(src, out, channels, fx);
    else
        horizontal(src, out, channels, fx, paired);
}

#if defined(__SSE2__)
// Each pair of taps of every output sample as a pair word (an odd last tap paired with 0), four
// times over: one load gives the multiply-add of four channels.
PairedWeights pairedWeights(const AxisFilter& f) {
    PairedWeights paired;
    int widest = 1;
    for (int x = 0; x < f.outCount(); ++x)
        widest = std::max(widest, f.count(x));
    paired.stride = (widest + 1) / 2 * 4;
    paired.words.assign(static_cast<std::size_t>(f.outCount()) * paired.stride, 0);
    for (int x = 0; x < f.outCount(); ++x) {
        const std::int16_t* w = f.weights(x);
        std::int32_t* word = paired.words.data() + static_cast<std::ptrdiff_t>(x) * paired.stride;
        for (int k = 0; k < f.count(x); k += 2, word += 4)
            std::fill(word, word + 4, pairWord(w[k], k + 1 < f.count(x) ? w[k + 1] : 0));
    }
    return paired;
}
#endif

}  // namespace

AxisFilter::AxisFilter(int outCount, AxisMap map, int sourceBegin, int sourceEnd)
    : m_outCount(std::max(outCount, 0)) {
    sourceEnd = std::max(sourceEnd, sourceBegin + 1);
    const double filterScale = std::max(1.0, map.scale);
    const double support = 3.0 * filterScale;
    const auto outs = static_cast<std::size_t>(m_outCount);
    m_first.resize(outs);
    m_count.resize(outs);
    std::vector<std::vector<std::int16_t>> taps(outs);
    std::vector<double> w;
    for (int a = 0; a < m_outCount; ++a) {
        const double p = map.offset + (a + 0.5) * map.scale;
        const int lo = std::max(sourceBegin, static_cast<int>(std::floor(p - support - 0.5)));
        const int hi = std::min(sourceEnd, static_cast<int>(std::ceil(p + support - 0.5)) + 1);
        w.clear();
        double sum = 0;
        for (int i = lo; i < hi; ++i) {
            w.push_back(lanczos3((i + 0.5 - p) / filterScale));
            sum += w.back();
        }
        int first = lo;
        std::vector<std::int16_t>& q = taps[static_cast<std::size_t>(a)];
        if (w.empty() || sum < 0.25) {
            // Far outside the source, or only negative lobes left at an edge: nearest sample.
            first = std::clamp(static_cast<int>(std::floor(p)), sourceBegin, sourceEnd - 1);
            q.assign(1, static_cast<std::int16_t>(one));
        } else {
            int total = 0;
            for (double v : w) {
                const auto fixed = static_cast<int>(std::lround(v / sum * one));
                q.push_back(static_cast<std::int16_t>(std::clamp(fixed, -32767, 32767)));
                total += q.back();
            }
            // Exact unity gain: the rounding error goes to the strongest tap.
            const auto strongest = std::max_element(q.begin(), q.end());
            *strongest = static_cast<std::int16_t>(*strongest + (one - total));
            while (q.size() > 1 && q.back() == 0)
                q.pop_back();
            std::size_t lead = 0;
            while (lead + 1 < q.size() && q[lead] == 0)
                ++lead;
            q.erase(q.begin(), q.begin() + static_cast<std::ptrdiff_t>(lead));
            first += static_cast<int>(lead);
        }
        m_first[static_cast<std::size_t>(a)] = first;
        m_count[static_cast<std::size_t>(a)] = static_cast<int>(q.size());
        m_stride = std::max(m_stride, static_cast<int>(q.size()));
        if (q.size() != 1)
            m_copy = false;
    }
    m_stride = std::max(m_stride, 1);
    m_weights.assign(outs * static_cast<std::size_t>(m_stride), 0);
    m_sourceBegin = sourceEnd;
    m_sourceEnd = sourceBegin;
    for (std::size_t a = 0; a < outs; ++a) {
        std::copy(taps[a].begin(), taps[a].end(),
                  m_weights.begin() + static_cast<std::ptrdiff_t>(a * m_stride));
        m_sourceBegin = std::min(m_sourceBegin, m_first[a]);
        m_sourceEnd = std::max(m_sourceEnd, m_first[a] + m_count[a]);
    }
    if (m_outCount == 0)
        m_sourceBegin = m_sourceEnd = sourceBegin;
}

RowResampler::RowResampler(const AxisFilter& fx, const AxisFilter& fy, int channels,
                           const Pixels& destination)
    : m_fx(fx), m_fy(fy), m_channels(channels), m_destination(destination) {
    // Output rows are written in order, each once all rows up to the latest last tap so far are
    // in; the ring must hold everything from its first tap on until then.
    int latestLast = -1;
    for (int y = 0; y < fy.outCount(); ++y) {
        latestLast = std::max(latestLast, fy.first(y) + fy.count(y) - 1);
        m_capacity = std::max(m_capacity, latestLast - fy.first(y) + 1);
    }
    m_ringStride = static_cast<std::ptrdiff_t>(fx.outCount()) * channels;
#if defined(__SSE2__)
    if (channels == 4 && !fx.isCopy())
        m_pairedX = pairedWeights(fx);
    m_pairedY = pairedWeights(fy);
#endif
    m_ring.reset(new std::uint8_t[static_cast<std::size_t>(m_ringStride) *
                                  static_cast<std::size_t>(m_capacity)]);
}

RowResampler::~RowResampler() = default;

void RowResampler::skipTo(int row) {
    m_nextRow = std::max(m_nextRow, row);
}

void RowResampler::push(const std::uint8_t* row) {
    const int r = m_nextRow++;
    if (r < m_fy.sourceBegin() || r >= m_fy.sourceEnd())
        return;
    horizontalOrCopy(row, m_ring.get() + (r % m_capacity) * m_ringStride, m_channels, m_fx,
                     m_pairedX);
    m_lastStored = r;
    emitReady();
}

void RowResampler::finish() {
    while (m_nextOut < m_fy.outCount()) {
        const int r = m_nextRow++;
        std::uint8_t* slot = m_ring.get() + (r % m_capacity) * m_ringStride;
        if (m_lastStored < 0)
            std::memset(slot, 0, static_cast<std::size_t>(m_ringStride));
        else if (m_lastStored % m_capacity != r % m_capacity)
            std::memcpy(slot, m_ring.get() + (m_lastStored % m_capacity) * m_ringStride,
                        static_cast<std::size_t>(m_ringStride));
        m_lastStored = r;
        emitReady();
    }
}

// Every output row is complete once the last of its taps is in; earlier rows of the ring are
// never needed again because the taps move down monotonically.
void RowResampler::emitReady() {
    const auto bytes = static_cast<int>(m_ringStride);
    while (m_nextOut < m_fy.outCount() &&
           m_fy.first(m_nextOut) + m_fy.count(m_nextOut) - 1 <= m_lastStored) {
        const int y = m_nextOut++;
        const int n = m_fy.count(y);
        std::uint8_t* out =
            m_destination.data + static_cast<std::ptrdiff_t>(y) * m_destination.stride;
        auto slot = [&](int r) { return m_ring.get() + (r % m_capacity) * m_ringStride; };
        if (n == 1) {
            std::memcpy(out, slot(m_fy.first(y)), static_cast<std::size_t>(bytes));
            continue;
        }
        m_rows.resize(static_cast<std::size_t>(n + n % 2));
        for (int k = 0; k < n; ++k)
            m_rows[static_cast<std::size_t>(k)] = slot(m_fy.first(y) + k);
        if (n % 2 != 0)
            m_rows.back() = m_rows.front();
        const std::int32_t* paired =
            m_pairedY.words.empty()
                ? nullptr
                : m_pairedY.words.data() + static_cast<std::ptrdiff_t>(y) * m_pairedY.stride;
        vertical(m_rows.data(), m_fy.weights(y), n, paired, out, bytes);
    }
}

void resample(const ConstPixels& source, const Pixels& destination, int channels,
              const AxisFilter& fx, const AxisFilter& fy) {
    if (fx.outCount() <= 0 || fy.outCount() <= 0)
        return;
    RowResampler rows(fx, fy, channels, destination);
    rows.skipTo(fy.sourceBegin());
    for (int y = fy.sourceBegin(); y < fy.sourceEnd(); ++y)
        rows.push(source.data + static_cast<std::ptrdiff_t>(y) * source.stride);
    rows.finish();
}

}  // namespace fw::pic
