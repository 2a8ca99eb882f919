#include "platform/picture/jxlcodec.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include <jxl/decode.h>

#include "platform/picture/decodelimits.h"
#include "platform/picture/fdio.h"
#include "platform/picture/imagebuffer.h"
#include "platform/picture/pixelrows.h"
#include "platform/picture/quietstderr.h"

namespace fw::pic {

namespace {

constexpr std::size_t firstChunk = 64 * 1024;
// The picture in 8 bits and libjxl's own buffers while it decodes (measured: under 7).
constexpr int workingBytesPerPixel = 8;

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
        const ssize_t n = readSome(m_fd, m_buffer.data() + kept, chunk);
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
        const QuietStderr quiet;
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
                    if (!decodedSizeFits(info.xsize, info.ysize, workingBytesPerPixel))
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

    // Decodes the first displayed frame whole. No smaller decode is cheaper: libjxl renders the
    // DC that a lossy frame holds first only upsampled to the full size, which costs as much.
    QImage decodeFrame() {
        const QuietStderr quiet;
        const int events = JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE;
        DecoderPtr decoder = newDecoder(events);
        if (!decoder)
            return {};
        Feeder feeder(fd);
        const JxlPixelFormat format = pixelFormat();
        JxlBasicInfo info{};
        QImage image;
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
                case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
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
                    break;
                }
                case JXL_DEC_FULL_IMAGE:
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

QImage JxlReader::decode(double, double) {
    if (d->failed)
        return {};
    QImage image = d->decodeFrame();
    if (image.isNull())
        d->failed = true;
    return image;
}

RowsResult JxlReader::decodeRows(double needWidth, double needHeight, RowSink& sink) {
    QImage image = decode(needWidth, needHeight);
    return !image.isNull() && handRows(image, sink) ? RowsResult::Decoded : RowsResult::Failed;
}

}  // namespace fw::pic
