#include "tests/platform/picture/codecfixtures.h"

#include <QColor>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

#include <jxl/encode.h>
#include <libheif/heif.h>
#include <png.h>
#include <zlib.h>

#include "tests/platform/picture/picturefixtures.h"

namespace codecfixtures {

namespace {

void appendBigEndian32(QByteArray& out, std::uint32_t v) {
    fixtures::appendBigEndian16(out, v >> 16);
    fixtures::appendBigEndian16(out, v & 0xFFFF);
}

QByteArray pngChunk(const char* type, const QByteArray& data) {
    QByteArray body(type, 4);
    body.append(data);
    QByteArray chunk;
    appendBigEndian32(chunk, static_cast<std::uint32_t>(data.size()));
    chunk.append(body);
    appendBigEndian32(
        chunk, static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.constData()),
                                                static_cast<uInt>(body.size()))));
    return chunk;
}

void pngWrite(png_structp png, png_bytep data, std::size_t size) {
    static_cast<QByteArray*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

void pngFlush(png_structp) {}

// The samples of one pixel in the PNG's layout.
void appendPixel(std::vector<std::uint8_t>& row, const QImage& image, int x, int y,
                 const PngOptions& o) {
    const QRgba64 c = image.pixelColor(x, y).rgba64();
    auto sample = [&](std::uint16_t v16) {
        if (o.bitDepth == 16) {
            row.push_back(static_cast<std::uint8_t>(v16 >> 8));
            row.push_back(static_cast<std::uint8_t>(v16 & 0xFF));
        } else {
            row.push_back(static_cast<std::uint8_t>(v16 >> 8));
        }
    };
    if (o.grey) {
        sample(c.red());
    } else {
        sample(c.red());
        sample(c.green());
        sample(c.blue());
    }
    if (o.alpha)
        sample(c.alpha());
}

bool writePng(png_structp png, png_infop info, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

bool setPngHeader(png_structp png, png_infop info, int width, int height, int depth, int type,
                  bool interlaced) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                 depth, type, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    return true;
}

struct HeifContext {
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    ~HeifContext() {
        if (encoder != nullptr)
            heif_encoder_release(encoder);
        heif_context_free(context);
    }
};

void check(heif_error error) {
    if (error.code != heif_error_Ok)
        throw std::runtime_error(std::string("libheif: ") + error.message);
}

std::unique_ptr<heif_image, void (*)(const heif_image*)> heifImage(const QImage& source, bool alpha,
                                                                   int depth) {
    heif_image* image = nullptr;
    const bool deep = depth > 8;
    const heif_chroma chroma =
        deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
             : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    check(heif_image_create(source.width(), source.height(), heif_colorspace_RGB, chroma, &image));
    std::unique_ptr<heif_image, void (*)(const heif_image*)> owned(image, heif_image_release);
    check(heif_image_add_plane(image, heif_channel_interleaved, source.width(), source.height(),
                               depth));
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    const int channels = alpha ? 4 : 3;
    for (int y = 0; y < source.height(); ++y) {
        std::uint8_t* row = plane + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < source.width(); ++x) {
            const QRgba64 c = source.pixelColor(x, y).rgba64();
            const std::uint16_t v[4] = {c.red(), c.green(), c.blue(), c.alpha()};
            for (int k = 0; k < channels; ++k) {
                if (deep) {
                    const auto s = static_cast<std::uint16_t>(v[k] >> (16 - depth));
                    row[(x * channels + k) * 2] = static_cast<std::uint8_t>(s & 0xFF);
                    row[(x * channels + k) * 2 + 1] = static_cast<std::uint8_t>(s >> 8);
                } else {
                    row[x * channels + k] = static_cast<std::uint8_t>(v[k] >> 8);
                }
            }
        }
    }
    return owned;
}

heif_error heifWrite(heif_context*, const void* data, std::size_t size, void* userdata) {
    static_cast<QByteArray*>(userdata)->append(static_cast<const char*>(data),
                                               static_cast<qsizetype>(size));
    return {heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

}  // namespace

QByteArray png(const QImage& input, const PngOptions& o) {
    const QImage image = input.convertToFormat(QImage::Format_RGBA64);
    QByteArray out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, pngWrite, pngFlush);

    int type = o.grey ? (o.alpha ? PNG_COLOR_TYPE_GRAY_ALPHA : PNG_COLOR_TYPE_GRAY)
                      : (o.alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB);
    std::vector<QRgb> colours;
    std::vector<std::vector<std::uint8_t>> rows(static_cast<std::size_t>(image.height()));
    if (o.palette) {
        type = PNG_COLOR_TYPE_PALETTE;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                auto at = std::find(colours.begin(), colours.end(), c);
                if (at == colours.end())
                    at = colours.insert(colours.end(), c);
                rows[static_cast<std::size_t>(y)].push_back(
                    static_cast<std::uint8_t>(at - colours.begin()));
            }
        }
    } else {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                appendPixel(rows[static_cast<std::size_t>(y)], image, x, y, o);
    }
    const bool ok = setPngHeader(png, info, image.width(), image.height(),
                                 o.palette ? 8 : o.bitDepth, type, o.interlaced);
    std::vector<png_color> plte;
    std::vector<png_byte> trns;
    for (QRgb c : colours) {
        plte.push_back({static_cast<png_byte>(qRed(c)), static_cast<png_byte>(qGreen(c)),
                        static_cast<png_byte>(qBlue(c))});
        trns.push_back(static_cast<png_byte>(qAlpha(c)));
    }
    if (o.palette) {
        png_set_PLTE(png, info, plte.data(), static_cast<int>(plte.size()));
        if (o.alpha)
            png_set_tRNS(png, info, trns.data(), static_cast<int>(trns.size()), nullptr);
    }
    if (!o.icc.isEmpty())
        png_set_iCCP(png, info, "icc", PNG_COMPRESSION_TYPE_BASE,
                     reinterpret_cast<png_const_bytep>(o.icc.constData()),
                     static_cast<png_uint_32>(o.icc.size()));
    if (o.srgbChunk)
        png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    QByteArray exif;
    if (o.orientation != 0) {
        exif = fixtures::exifTiff(o.orientation, true);
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(exif.size()),
                       reinterpret_cast<png_bytep>(exif.data()));
    }
    std::vector<png_bytep> pointers;
    for (auto& row : rows)
        pointers.push_back(row.data());
    const bool written = ok && writePng(png, info, pointers.data());
    png_destroy_write_struct(&png, &info);
    if (!written)
        throw std::runtime_error("libpng could not write the fixture");
    return out;
}

QByteArray heif(const QImage& image, const HeifOptions& o, const QImage& decoy) {
    HeifContext h;
    check(heif_context_get_encoder_for_format(
        h.context, o.codec == HeifCodec::Hevc ? heif_compression_HEVC : heif_compression_AV1,
        &h.encoder));
    check(heif_encoder_set_lossy_quality(h.encoder, 95));
    if (!decoy.isNull()) {
        auto other = heifImage(decoy, false, 8);
        check(heif_context_encode_image(h.context, other.get(), h.encoder, nullptr, nullptr));
    }
    auto picture = heifImage(image, o.alpha, o.bitDepth);
    if (!o.icc.isEmpty())
        check(heif_image_set_raw_color_profile(picture.get(), "prof", o.icc.constData(),
                                               static_cast<std::size_t>(o.icc.size())));
    if (o.nclxPrimaries != 0) {
        heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
        check(heif_nclx_color_profile_set_color_primaries(
            nclx, static_cast<std::uint16_t>(o.nclxPrimaries)));
        check(heif_nclx_color_profile_set_transfer_characteristics(
            nclx, static_cast<std::uint16_t>(o.nclxTransfer)));
        nclx->full_range_flag = 1;
        const heif_error set = heif_image_set_nclx_color_profile(picture.get(), nclx);
        heif_nclx_color_profile_free(nclx);
        check(set);
    }
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = static_cast<heif_orientation>(o.orientation);
    heif_image_handle* handle = nullptr;
    const heif_error encoded =
        heif_context_encode_image(h.context, picture.get(), h.encoder, options, &handle);
    heif_encoding_options_free(options);
    check(encoded);
    if (o.exifOrientation != 0) {
        // libheif takes the TIFF structure after a 4-byte offset to it.
        const QByteArray tiff = fixtures::exifTiff(o.exifOrientation, true);
        const QByteArray exif = QByteArray(4, '\0') + tiff;
        check(heif_context_add_exif_metadata(h.context, handle, exif.constData(),
                                             static_cast<int>(exif.size())));
    }
    if (!decoy.isNull()) {
        check(heif_context_set_primary_image(h.context, handle));
        auto thumb = heifImage(decoy, false, 8);
        heif_image_handle* thumbHandle = nullptr;
        check(heif_context_encode_thumbnail(h.context, thumb.get(), handle, h.encoder, nullptr,
                                            std::max(decoy.width(), decoy.height()) / 2,
                                            &thumbHandle));
        if (thumbHandle != nullptr)
            heif_image_handle_release(thumbHandle);
    }
    heif_image_handle_release(handle);
    QByteArray out;
    heif_writer writer{1, heifWrite};
    check(heif_context_write(h.context, &writer, &out));
    return out;
}

QByteArray jxl(const QImage& input, const JxlOptions& o, const QImage& secondFrame) {
    const QImage image = input.convertToFormat(QImage::Format_RGBA64);
    std::unique_ptr<JxlEncoder, void (*)(JxlEncoder*)> encoder(JxlEncoderCreate(nullptr),
                                                               JxlEncoderDestroy);
    JxlEncoder* enc = encoder.get();
    auto ok = [](JxlEncoderStatus status) {
        if (status != JXL_ENC_SUCCESS)
            throw std::runtime_error("libjxl could not write the fixture");
    };
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = static_cast<std::uint32_t>(image.width());
    info.ysize = static_cast<std::uint32_t>(image.height());
    info.bits_per_sample = static_cast<std::uint32_t>(o.bitDepth);
    info.num_color_channels = o.grey ? 1 : 3;
    info.orientation = static_cast<JxlOrientation>(o.orientation);
    info.uses_original_profile = o.lossless ? JXL_TRUE : JXL_FALSE;
    if (!secondFrame.isNull()) {
        info.have_animation = JXL_TRUE;
        info.animation.tps_numerator = 10;
        info.animation.tps_denominator = 1;
    }
    if (o.alpha) {
        info.alpha_bits = static_cast<std::uint32_t>(o.bitDepth);
        info.num_extra_channels = 1;
    }
    ok(JxlEncoderSetBasicInfo(enc, &info));
    if (o.alpha) {
        JxlExtraChannelInfo channel;
        JxlEncoderInitExtraChannelInfo(JXL_CHANNEL_ALPHA, &channel);
        channel.bits_per_sample = static_cast<std::uint32_t>(o.bitDepth);
        ok(JxlEncoderSetExtraChannelInfo(enc, 0, &channel));
    }
    if (!o.icc.isEmpty()) {
        ok(JxlEncoderSetICCProfile(enc, reinterpret_cast<const std::uint8_t*>(o.icc.constData()),
                                   static_cast<std::size_t>(o.icc.size())));
    } else {
        JxlColorEncoding srgb;
        JxlColorEncodingSetToSRGB(&srgb, o.grey ? JXL_TRUE : JXL_FALSE);
        ok(JxlEncoderSetColorEncoding(enc, &srgb));
    }
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(enc, nullptr);
    if (o.lossless)
        ok(JxlEncoderSetFrameLossless(settings, JXL_TRUE));
    else
        ok(JxlEncoderSetFrameDistance(settings, 0.5F));

    const std::uint32_t channels = (o.grey ? 1 : 3) + (o.alpha ? 1 : 0);
    const JxlPixelFormat format{channels, o.bitDepth == 16 ? JXL_TYPE_UINT16 : JXL_TYPE_UINT8,
                                JXL_LITTLE_ENDIAN, 0};
    for (const QImage& frame : {image, secondFrame.convertToFormat(QImage::Format_RGBA64)}) {
        if (frame.isNull())
            break;
        std::vector<std::uint8_t> pixels;
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x) {
                const QRgba64 c = frame.pixelColor(x, y).rgba64();
                const std::uint16_t all[4] = {c.red(), c.green(), c.blue(), c.alpha()};
                const std::uint16_t grey[2] = {c.red(), c.alpha()};
                const std::uint16_t* v = o.grey ? grey : all;
                for (std::uint32_t k = 0; k < channels; ++k) {
                    if (o.bitDepth == 16) {
                        pixels.push_back(static_cast<std::uint8_t>(v[k] & 0xFF));
                        pixels.push_back(static_cast<std::uint8_t>(v[k] >> 8));
                    } else {
                        pixels.push_back(static_cast<std::uint8_t>(v[k] >> 8));
                    }
                }
            }
        }
        if (!secondFrame.isNull()) {
            JxlFrameHeader header;
            JxlEncoderInitFrameHeader(&header);
            header.duration = 1;
            ok(JxlEncoderSetFrameHeader(settings, &header));
        }
        ok(JxlEncoderAddImageFrame(settings, &format, pixels.data(), pixels.size()));
    }
    JxlEncoderCloseInput(enc);

    QByteArray out(4096, Qt::Uninitialized);
    std::size_t used = 0;
    for (;;) {
        auto* next = reinterpret_cast<std::uint8_t*>(out.data()) + used;
        std::size_t avail = static_cast<std::size_t>(out.size()) - used;
        const JxlEncoderStatus status = JxlEncoderProcessOutput(enc, &next, &avail);
        used = static_cast<std::size_t>(next - reinterpret_cast<std::uint8_t*>(out.data()));
        if (status == JXL_ENC_SUCCESS)
            break;
        if (status != JXL_ENC_NEED_MORE_OUTPUT)
            throw std::runtime_error("libjxl could not write the fixture");
        out.resize(out.size() * 2);
    }
    out.resize(static_cast<qsizetype>(used));
    return out;
}

QByteArray withChunk(const QByteArray& png, const char* type, const QByteArray& data) {
    constexpr qsizetype headerEnd = 8 + 4 + 4 + 13 + 4;
    return png.left(headerEnd) + pngChunk(type, data) + png.mid(headerEnd);
}

std::optional<ChunkSpan> firstChunk(const QByteArray& png, const char* type) {
    qsizetype at = 8;
    while (at + 12 <= png.size()) {
        const auto length = static_cast<qsizetype>((static_cast<std::uint8_t>(png[at]) << 24) |
                                                   (static_cast<std::uint8_t>(png[at + 1]) << 16) |
                                                   (static_cast<std::uint8_t>(png[at + 2]) << 8) |
                                                   static_cast<std::uint8_t>(png[at + 3]));
        if (png.mid(at + 4, 4) == QByteArray(type, 4))
            return ChunkSpan{at + 8, length};
        at += 12 + length;
    }
    return std::nullopt;
}

QByteArray withBadCrc(const QByteArray& png, const char* type) {
    const auto chunk = firstChunk(png, type);
    if (!chunk)
        throw std::runtime_error("no such chunk");
    QByteArray out = png;
    const qsizetype crc = chunk->offset + chunk->length;
    out[crc] = static_cast<char>(out[crc] ^ 0x5A);
    return out;
}

QByteArray pngHeaderOnly(int width, int height) {
    QByteArray header;
    appendBigEndian32(header, static_cast<std::uint32_t>(width));
    appendBigEndian32(header, static_cast<std::uint32_t>(height));
    header.append(static_cast<char>(8));  // bit depth
    header.append(static_cast<char>(6));  // RGBA
    header.append(3, '\0');
    // An image data chunk of one empty row, and the end: a complete file of 66 bytes.
    const QByteArray idat("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", idat) +
           pngChunk("IEND", {});
}

}  // namespace codecfixtures
