#include "platform/picture/jxlcodec.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <jxl/decode.h>

#include "platform/picture/decodelimits.h"
#include "platform/picture/imagebuffer.h"
#include "platform/picture/pixelrows.h"

namespace fw::pic {

namespace {

constexpr std::size_t firstChunk = 64 * 1024;
// The reduced decode: the DC of a lossy frame is an eighth of the picture on each axis.
constexpr int dcRatio = 8;

enum class Layout { Grey, Rgbx, Rgba };

struct DecoderDeleter {
    void operator()(JxlDecoder* decoder) const { JxlDecoderDestroy(decoder); }
};
using DecoderPtr = std::unique_ptr<JxlDecoder, DecoderDeleter>;

// Feeds the file to a decoder in growing chunks, keeping what it has not consumed yet.
class Feeder {
public:
    explicit Feeder(int fd) : m_fd(fd) {}

    // False at the end of the file (or on a read error).
    bool more(JxlDecoder* decoder) {
        std::size_t kept = 0;
        if (m_set) {
            kept = JxlDecoderReleaseInput(decoder);
            std::memmove(m_buffer.data(), m_buffer.data() + (m_filled - kept), kept);
        }
        m_set = false;
        // Growing with what is kept makes the copying linear in the file size.
        const std::size_t chunk = std::max(firstChunk, kept);
        m_buffer.resize(kept + chunk);
        ssize_t n;
        do {
            n = ::read(m_fd, m_buffer.data() + kept, chunk);
        } while (n < 0 && errno == EINTR);
        if (n <= 0)
            return false;
        m_filled = kept + static_cast<std::size_t>(n);
        if (JxlDecoderSetInput(decoder, m_buffer.data(), m_filled) != JXL_DEC_SUCCESS)
            return false;
        m_set = true;
        return true;
    }

private:
    int m_fd;
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_filled = 0;
    bool m_set = false;
};

bool isSrgb(const JxlColorEncoding& c) {
    const bool srgbCurve = c.transfer_function == JXL_TRANSFER_FUNCTION_SRGB;
    if (c.color_space == JXL_COLOR_SPACE_GRAY)
        return srgbCurve && c.white_point == JXL_WHITE_POINT_D65;
    return c.color_space == JXL_COLOR_SPACE_RGB && srgbCurve &&
           c.white_point == JXL_WHITE_POINT_D65 && c.primaries == JXL_PRIMARIES_SRGB;
}

// Sums of the full-resolution pixels that a flushed DC gives, per 8 x 8 block, weighted by alpha
// so that transparent pixels lend no colour.
class BlockAverager {
public:
    BlockAverager(int width, int height, int channels)
        : m_width((width + dcRatio - 1) / dcRatio),
          m_height((height + dcRatio - 1) / dcRatio),
          m_channels(channels),
          m_sums(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height) * 4),
          m_counts(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height)) {}

    static void take(void* opaque, std::size_t x, std::size_t y, std::size_t count,
                     const void* pixels) {
        static_cast<BlockAverager*>(opaque)->add(x, y, count,
                                                 static_cast<const std::uint8_t*>(pixels));
    }

    void add(std::size_t x, std::size_t y, std::size_t count, const std::uint8_t* p) {
        const std::size_t rowBase = y / dcRatio * static_cast<std::size_t>(m_width);
        for (std::size_t i = 0; i < count; ++i, p += m_channels) {
            const std::size_t block = rowBase + (x + i) / dcRatio;
            std::uint32_t* sum = &m_sums[block * 4];
            if (m_channels == 4) {
                const std::uint32_t a = p[3];
                sum[0] += p[0] * a;
                sum[1] += p[1] * a;
                sum[2] += p[2] * a;
                sum[3] += a;
            } else {
                sum[0] += p[0];
            }
            ++m_counts[block];
        }
        m_visited += count;
    }

    [[nodiscard]] std::uint64_t visited() const { return m_visited; }

    [[nodiscard]] QImage result(Layout layout) const {
        QImage image = newImage(m_width, m_height,
                                layout == Layout::Grey   ? QImage::Format_Grayscale8
                                : layout == Layout::Rgba ? QImage::Format_RGBA8888
                                                         : QImage::Format_RGBX8888);
        if (image.isNull())
            return {};
        for (int by = 0; by < m_height; ++by) {
            std::uint8_t* out = image.scanLine(by);
            for (int bx = 0; bx < m_width; ++bx) {
                const std::size_t block =
                    static_cast<std::size_t>(by) * static_cast<std::size_t>(m_width) +
                    static_cast<std::size_t>(bx);
                const std::uint32_t n = std::max<std::uint32_t>(1, m_counts[block]);
                const std::uint32_t* sum = &m_sums[block * 4];
                if (m_channels == 1) {
                    out[bx] = static_cast<std::uint8_t>((sum[0] + n / 2) / n);
                    continue;
                }
                std::uint8_t* px = out + 4 * bx;
                if (m_channels == 4 && sum[3] == 0) {
                    px[0] = px[1] = px[2] = px[3] = 0;
                    continue;
                }
                const std::uint32_t weight = m_channels == 4 ? sum[3] : n;
                for (int c = 0; c < 3; ++c)
                    px[c] = static_cast<std::uint8_t>((sum[c] + weight / 2) / weight);
                px[3] = m_channels == 4 ? static_cast<std::uint8_t>((sum[3] + n / 2) / n) : 255;
            }
        }
        return image;
    }

private:
    int m_width;
    int m_height;
    int m_channels;
    std::vector<std::uint32_t> m_sums;
    std::vector<std::uint8_t> m_counts;
    std::uint64_t m_visited = 0;
};

}  // namespace

struct JxlReader::State {
    int fd = -1;
    int width = 0;
    int height = 0;
    int orientation = 1;
    Layout layout = Layout::Rgbx;
    QByteArray icc;
    bool failed = false;

    ~State() {
        if (fd >= 0)
            ::close(fd);
    }

    [[nodiscard]] JxlPixelFormat pixelFormat() const {
        // Colour comes as four channels even without alpha (libjxl fills it opaque), which is
        // how pictures keep it; grey with transparency becomes colour.
        return {layout == Layout::Grey ? 1u : 4u, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 4};
    }

    DecoderPtr newDecoder(int events) const {
        DecoderPtr decoder(JxlDecoderCreate(nullptr));
        if (!decoder || ::lseek(fd, 0, SEEK_SET) != 0)
            return nullptr;
        if (JxlDecoderSubscribeEvents(decoder.get(), events) != JXL_DEC_SUCCESS ||
            JxlDecoderSetKeepOrientation(decoder.get(), JXL_TRUE) != JXL_DEC_SUCCESS ||
            JxlDecoderSetUnpremultiplyAlpha(decoder.get(), JXL_TRUE) != JXL_DEC_SUCCESS)
            return nullptr;
        return decoder;
    }

    // At the colour encoding event: a lossy picture whose original profile libjxl cannot
    // produce comes out in sRGB instead of the linear light it would otherwise give.
    static bool chooseOutputColour(JxlDecoder* decoder, const JxlBasicInfo& info) {
        if (info.uses_original_profile ||
            JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL,
                                               nullptr) == JXL_DEC_SUCCESS)
            return true;
        JxlColorEncoding srgb{};
        srgb.color_space =
            info.num_color_channels == 1 ? JXL_COLOR_SPACE_GRAY : JXL_COLOR_SPACE_RGB;
        srgb.white_point = JXL_WHITE_POINT_D65;
        srgb.primaries = JXL_PRIMARIES_SRGB;
        srgb.transfer_function = JXL_TRANSFER_FUNCTION_SRGB;
        srgb.rendering_intent = JXL_RENDERING_INTENT_PERCEPTUAL;
        return JxlDecoderSetPreferredColorProfile(decoder, &srgb) == JXL_DEC_SUCCESS;
    }

    QByteArray outputProfile(JxlDecoder* decoder) const {
        JxlColorEncoding encoding{};
        if (JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                               &encoding) == JXL_DEC_SUCCESS &&
            isSrgb(encoding))
            return {};
        std::size_t size = 0;
        if (JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) !=
                JXL_DEC_SUCCESS ||
            size == 0)
            return {};
        QByteArray profile(static_cast<qsizetype>(size), Qt::Uninitialized);
        if (JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                           reinterpret_cast<std::uint8_t*>(profile.data()),
                                           size) != JXL_DEC_SUCCESS)
            return {};
        return iccProfileFits(profile, layout == Layout::Grey ? 1 : 3) ? profile : QByteArray();
    }

    bool readHeader() {
        DecoderPtr decoder = newDecoder(JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING);
        if (!decoder)
            return false;
        Feeder feeder(fd);
        JxlBasicInfo info{};
        for (;;) {
            switch (JxlDecoderProcessInput(decoder.get())) {
                case JXL_DEC_NEED_MORE_INPUT:
                    if (!feeder.more(decoder.get()))
                        return false;
                    break;
                case JXL_DEC_BASIC_INFO: {
                    if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS)
                        return false;
                    const bool alpha = info.alpha_bits > 0;
                    layout = alpha                          ? Layout::Rgba
                             : info.num_color_channels == 1 ? Layout::Grey
                                                            : Layout::Rgbx;
                    if (!decodedSizeFits(info.xsize, info.ysize, layout == Layout::Grey ? 1 : 4))
                        return false;
                    width = static_cast<int>(info.xsize);
                    height = static_cast<int>(info.ysize);
                    orientation = std::clamp(static_cast<int>(info.orientation), 1, 8);
                    break;
                }
                case JXL_DEC_COLOR_ENCODING:
                    if (!chooseOutputColour(decoder.get(), info))
                        return false;
                    icc = outputProfile(decoder.get());
                    return true;
                default:
                    return false;
            }
        }
    }

    // Decodes the first displayed frame, whole or (reduced) as the averaged 8 x 8 blocks of its
    // flushed DC. Sets reduced when it tried that and the file did not allow it.
    QImage decodeFrame(bool wantReduced, bool& reducedUnavailable) {
        const int events = JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE |
                           (wantReduced ? JXL_DEC_FRAME_PROGRESSION : 0);
        DecoderPtr decoder = newDecoder(events);
        if (!decoder)
            return {};
        Feeder feeder(fd);
        const JxlPixelFormat format = pixelFormat();
        JxlBasicInfo info{};
        QImage image;
        std::unique_ptr<BlockAverager> blocks;
        for (;;) {
            switch (JxlDecoderProcessInput(decoder.get())) {
                case JXL_DEC_NEED_MORE_INPUT:
                    if (!feeder.more(decoder.get()))
                        return {};
                    break;
                case JXL_DEC_BASIC_INFO:
                    // The file is read again: it must still be the picture that was opened.
                    if (JxlDecoderGetBasicInfo(decoder.get(), &info) != JXL_DEC_SUCCESS ||
                        info.xsize != static_cast<std::uint32_t>(width) ||
                        info.ysize != static_cast<std::uint32_t>(height))
                        return {};
                    break;
                case JXL_DEC_COLOR_ENCODING:
                    if (!chooseOutputColour(decoder.get(), info))
                        return {};
                    break;
                case JXL_DEC_NEED_IMAGE_OUT_BUFFER:
                    if (wantReduced) {
                        blocks = std::make_unique<BlockAverager>(
                            width, height, static_cast<int>(format.num_channels));
                        if (JxlDecoderSetImageOutCallback(decoder.get(), &format,
                                                          BlockAverager::take,
                                                          blocks.get()) != JXL_DEC_SUCCESS)
                            return {};
                    } else {
                        image = newImage(width, height,
                                         layout == Layout::Grey   ? QImage::Format_Grayscale8
                                         : layout == Layout::Rgba ? QImage::Format_RGBA8888
                                                                  : QImage::Format_RGBX8888);
                        std::size_t needed = 0;
                        if (image.isNull() ||
                            JxlDecoderImageOutBufferSize(decoder.get(), &format, &needed) !=
                                JXL_DEC_SUCCESS ||
                            needed > static_cast<std::size_t>(image.sizeInBytes()) ||
                            JxlDecoderSetImageOutBuffer(
                                decoder.get(), &format, image.bits(),
                                static_cast<std::size_t>(image.sizeInBytes())) != JXL_DEC_SUCCESS)
                            return {};
                    }
                    break;
                case JXL_DEC_FRAME_PROGRESSION:
                    if (blocks &&
                        JxlDecoderGetIntendedDownsamplingRatio(decoder.get()) == dcRatio &&
                        JxlDecoderFlushImage(decoder.get()) == JXL_DEC_SUCCESS &&
                        blocks->visited() ==
                            static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height))
                        return blocks->result(layout);
                    reducedUnavailable = true;
                    return {};
                case JXL_DEC_FULL_IMAGE:
                    if (blocks) {
                        // A lossless frame has no DC to stop at; the full decode went to the
                        // blocks.
                        return blocks->visited() == static_cast<std::uint64_t>(width) *
                                                        static_cast<std::uint64_t>(height)
                                   ? blocks->result(layout)
                                   : QImage();
                    }
                    return image;
                default:
                    return {};
            }
        }
    }
};

JxlReader::JxlReader(std::unique_ptr<State> state) : d(std::move(state)) {}
JxlReader::~JxlReader() = default;

std::unique_ptr<JxlReader> JxlReader::open(int fd) {
    auto state = std::make_unique<State>();
    state->fd = fd;
    if (!state->readHeader())
        return nullptr;
    return std::unique_ptr<JxlReader>(new JxlReader(std::move(state)));
}

QSize JxlReader::storedSize() const {
    return {d->width, d->height};
}

int JxlReader::orientation() const {
    return d->orientation;
}

bool JxlReader::mayHaveAlpha() const {
    return d->layout == Layout::Rgba;
}

QByteArray JxlReader::iccProfile() const {
    return d->icc;
}

QImage JxlReader::decode(double needWidth, double needHeight) {
    if (d->failed)
        return {};
    const bool reducedCovers = (d->width + dcRatio - 1) / dcRatio >= needWidth &&
                               (d->height + dcRatio - 1) / dcRatio >= needHeight;
    QImage image;
    if (reducedCovers) {
        bool unavailable = false;
        image = d->decodeFrame(true, unavailable);
        if (image.isNull() && !unavailable) {
            d->failed = true;
            return {};
        }
    }
    if (image.isNull()) {
        bool unused = false;
        image = d->decodeFrame(false, unused);
    }
    if (image.isNull())
        d->failed = true;
    return image;
}

}  // namespace fw::pic

namespace fw::pic {

RowsResult JxlReader::decodeRows(double needWidth, double needHeight, RowSink& sink) {
    QImage image = decode(needWidth, needHeight);
    return !image.isNull() && handRows(image, sink) ? RowsResult::Decoded : RowsResult::Failed;
}

}  // namespace fw::pic
