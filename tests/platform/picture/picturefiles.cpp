#include "tests/platform/picture/picturefiles.h"

#include <QByteArray>
#include <QColor>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "tests/platform/picture/codecfixtures.h"
#include "tests/platform/picture/picturefixtures.h"

namespace picturefiles {

namespace {

using fixtures::quadrants;

void putBig16(Bytes& out, unsigned value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

void putLittle16(Bytes& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void putLittle32(Bytes& out, std::uint32_t value) {
    putLittle16(out, value & 0xFFFF);
    putLittle16(out, value >> 16);
}

Bytes fromQt(const QByteArray& bytes) {
    return bytes.toStdString();
}

Bytes encodeQt(const QImage& image, const char* format, int quality) {
    const QByteArray bytes = fixtures::encode(image, format, quality);
    if (bytes.isEmpty())
        throw std::runtime_error(std::string("Qt cannot write ") + format);
    return fromQt(bytes);
}

// libjpeg writes into a growing memory buffer.
struct JpegWriter {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;

    JpegWriter() {
        cinfo.err = jpeg_std_error(&errors);
        jpeg_create_compress(&cinfo);
        jpeg_mem_dest(&cinfo, &buffer, &size);
    }
    ~JpegWriter() {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
    }
    JpegWriter(const JpegWriter&) = delete;
    JpegWriter& operator=(const JpegWriter&) = delete;
};

// A marker segment: FF, the marker, the length and the body.
void segment(Bytes& out, unsigned marker, const Bytes& body) {
    out += '\xFF';
    out += static_cast<char>(marker);
    putBig16(out, static_cast<unsigned>(body.size() + 2));
    out += body;
}

// Writes bits most significant first, with the 0xFF byte stuffing of entropy-coded data.
class BitWriter {
public:
    void put(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            m_byte = static_cast<std::uint8_t>(m_byte << 1 | ((value >> i) & 1));
            if (++m_count == 8)
                flushByte();
        }
    }
    // Pads the last byte with ones, as JPEG asks.
    Bytes finish() {
        if (m_count > 0)
            put((1u << (8 - m_count)) - 1, 8 - m_count);
        return std::move(m_out);
    }

private:
    void flushByte() {
        m_out += static_cast<char>(m_byte);
        if (m_byte == 0xFF)
            m_out += '\0';
        m_byte = 0;
        m_count = 0;
    }
    Bytes m_out;
    std::uint8_t m_byte = 0;
    int m_count = 0;
};

// The markers of a grey JPEG up to its first scan's header: quantisation by 1, a DC table whose
// only code "0" means "no change", and an AC table of end-of-band runs whose 4-bit codes are the
// run's size class (EOBn covers 2^n blocks plus n further bits).
Bytes greyJpegHeader(int w, int h, bool progressive) {
    Bytes out("\xFF\xD8", 2);
    segment(out, 0xDB, Bytes(1, '\0') + Bytes(64, '\x01'));
    Bytes frame(1, '\x08');
    putBig16(frame, static_cast<unsigned>(h));
    putBig16(frame, static_cast<unsigned>(w));
    frame += Bytes("\x01\x01\x11\x00", 4);
    segment(out, progressive ? 0xC2 : 0xC0, frame);
    Bytes dc(1, '\x00');
    dc += '\x01';
    dc += Bytes(15, '\0');
    dc += '\0';
    segment(out, 0xC4, dc);
    Bytes ac(1, '\x10');
    ac += Bytes(3, '\0');
    ac += '\x0F';  // fifteen codes of four bits
    ac += Bytes(12, '\0');
    for (int n = 0; n < 15; ++n)
        ac += static_cast<char>(n << 4);
    segment(out, 0xC4, ac);
    return out;
}

std::int64_t blocksOf(int w, int h) {
    return std::int64_t{(w + 7) / 8} * ((h + 7) / 8);
}

Bytes scanHeader(int ss, int se, int ah, int al) {
    Bytes body("\x01\x01\x00", 3);
    body += static_cast<char>(ss);
    body += static_cast<char>(se);
    body += static_cast<char>(ah << 4 | al);
    Bytes out;
    segment(out, 0xDA, body);
    return out;
}

// Every DC coefficient "no change": one bit a block.
Bytes dcScanData(std::int64_t blocks) {
    BitWriter bits;
    for (std::int64_t i = 0; i < blocks; ++i)
        bits.put(0, 1);
    return bits.finish();
}

// End-of-band runs that skip that many blocks.
Bytes skipAllBlocks(std::int64_t blocks) {
    BitWriter bits;
    while (blocks > 0) {
        const std::int64_t run = std::min<std::int64_t>(blocks, 32767);
        int n = 0;
        while ((std::int64_t{2} << n) <= run)
            ++n;
        bits.put(static_cast<std::uint32_t>(n), 4);
        bits.put(static_cast<std::uint32_t>(run - (std::int64_t{1} << n)), n);
        blocks -= run;
    }
    return bits.finish();
}

void requireJpegSide(int side) {
    if (side < 1 || side > 65535)
        throw std::invalid_argument("a JPEG side lies in 1..65535");
}

// An uncompressed RGB TIFF with its directory first.
Bytes rgbTiff(const QImage& image) {
    const int w = image.width();
    const int h = image.height();
    struct Entry {
        unsigned tag, type;
        std::uint32_t count, value;
    };
    constexpr unsigned SHORT = 3;
    constexpr unsigned LONG = 4;
    const std::uint32_t entries = 10;
    const std::uint32_t bitsAt = 8 + 2 + entries * 12 + 4;
    const std::uint32_t dataAt = bitsAt + 6;
    const auto dataSize = static_cast<std::uint32_t>(w) * static_cast<std::uint32_t>(h) * 3;
    const Entry directory[] = {
        {256, LONG, 1, static_cast<std::uint32_t>(w)},
        {257, LONG, 1, static_cast<std::uint32_t>(h)},
        {258, SHORT, 3, bitsAt},  // 8 bits a sample, the three values stored apart
        {259, SHORT, 1, 1},       // no compression
        {262, SHORT, 1, 2},       // RGB
        {273, LONG, 1, dataAt},
        {277, SHORT, 1, 3},
        {278, LONG, 1, static_cast<std::uint32_t>(h)},
        {279, LONG, 1, dataSize},
        {284, SHORT, 1, 1},  // samples interleaved
    };
    Bytes out("II*\0", 4);
    putLittle32(out, 8);
    putLittle16(out, entries);
    for (const Entry& e : directory) {
        putLittle16(out, e.tag);
        putLittle16(out, e.type);
        putLittle32(out, e.count);
        if (e.type == SHORT && e.count == 1) {
            putLittle16(out, e.value);
            putLittle16(out, 0);
        } else {
            putLittle32(out, e.value);
        }
    }
    putLittle32(out, 0);  // no further directory
    for (int i = 0; i < 3; ++i)
        putLittle16(out, 8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb p = image.pixel(x, y);
            out += static_cast<char>(qRed(p));
            out += static_cast<char>(qGreen(p));
            out += static_cast<char>(qBlue(p));
        }
    return out;
}

}  // namespace

Bytes jpeg(int w, int h, const Colour& top, const Colour& bottom, const JpegOptions& options) {
    if (top.size() != bottom.size() || (top.size() != 1 && top.size() != 3 && top.size() != 4))
        throw std::invalid_argument("colours of 1, 3 or 4 components");
    const int components = static_cast<int>(top.size());
    Bytes out;
    {
        JpegWriter writer;
        jpeg_compress_struct& cinfo = writer.cinfo;
        cinfo.image_width = static_cast<JDIMENSION>(w);
        cinfo.image_height = static_cast<JDIMENSION>(h);
        cinfo.input_components = components;
        cinfo.in_color_space =
            components == 1 ? JCS_GRAYSCALE : (components == 3 ? JCS_RGB : JCS_CMYK);
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, options.quality, TRUE);
        if (components == 4)
            cinfo.write_Adobe_marker = options.adobeMarker ? TRUE : FALSE;
        if (options.progressive)
            jpeg_simple_progression(&cinfo);
        jpeg_start_compress(&cinfo, TRUE);
        if (options.orientation > 0) {
            const Bytes exif = fromQt(fixtures::exifPayload(options.orientation, true));
            jpeg_write_marker(&cinfo, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(exif.data()),
                              static_cast<unsigned>(exif.size()));
        }
        std::vector<JSAMPLE> row(static_cast<std::size_t>(w) * components);
        while (cinfo.next_scanline < cinfo.image_height) {
            const Colour& colour =
                cinfo.next_scanline < static_cast<JDIMENSION>(h / 2) ? top : bottom;
            for (std::size_t i = 0; i < row.size(); ++i)
                row[i] = colour[i % colour.size()];
            JSAMPROW p = row.data();
            jpeg_write_scanlines(&cinfo, &p, 1);
        }
        jpeg_finish_compress(&cinfo);
        out.assign(reinterpret_cast<const char*>(writer.buffer), writer.size);
    }
    return out;
}

Bytes qtPicture(int w, int h, const char* format, int quality) {
    return encodeQt(quadrants(w, h), format, quality);
}

Bytes png(int w, int h, PngKind kind) {
    QImage image = quadrants(w, h);
    switch (kind) {
        case PngKind::Alpha:
            image.convertTo(QImage::Format_ARGB32);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w / 2; ++x)
                    image.setPixel(x, y, qRgba(0, 0, 255, 0));
            break;
        case PngKind::Palette:
            image.convertTo(QImage::Format_Indexed8);
            break;
        case PngKind::Deep:
            image.convertTo(QImage::Format_RGBA64);
            break;
        case PngKind::Interlaced:
            return fromQt(codecfixtures::png(image, {.interlaced = true}));
    }
    return encodeQt(image, "png", 80);
}

Bytes gif(int w, int h, int screenWidth, int screenHeight) {
    Bytes out("GIF89a", 6);
    putLittle16(out, static_cast<unsigned>(screenWidth));
    putLittle16(out, static_cast<unsigned>(screenHeight));
    out += Bytes("\x81\x00\x00", 3);  // a global table of 4 colours
    out += Bytes("\xE6\x00\x00\x00\xC8\x00\x00\x00\xE6\xF0\xDC\x00", 12);
    out += ',';
    putLittle16(out, 0);
    putLittle16(out, 0);
    putLittle16(out, static_cast<unsigned>(w));
    putLittle16(out, static_cast<unsigned>(h));
    out += '\0';
    // LZW with 2-bit pixels: a clear code before every two pixels keeps the codes 3 bits wide.
    out += '\x02';
    Bytes data;
    std::uint32_t acc = 0;
    int bits = 0;
    auto code = [&](unsigned value) {
        acc |= value << bits;
        bits += 3;
        while (bits >= 8) {
            data += static_cast<char>(acc & 0xFF);
            acc >>= 8;
            bits -= 8;
        }
    };
    const std::int64_t pixels = std::int64_t{w} * h;
    for (std::int64_t i = 0; i < pixels; ++i) {
        if (i % 2 == 0)
            code(4);
        const std::int64_t x = i % w;
        const std::int64_t y = i / w;
        code(static_cast<unsigned>((y >= h / 2 ? 2 : 0) + (x >= w / 2 ? 1 : 0)));
    }
    code(5);
    if (bits > 0)
        data += static_cast<char>(acc & 0xFF);
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const Bytes block = data.substr(at, 255);
        out += static_cast<char>(block.size());
        out += block;
    }
    out += '\0';
    out += ';';
    return out;
}

Bytes tga(int w, int h, bool pixels) {
    Bytes out(Bytes("\x00\x00\x02", 3) + Bytes(9, '\0'));
    putLittle16(out, static_cast<unsigned>(w));
    putLittle16(out, static_cast<unsigned>(h));
    out += '\x18';  // 24 bits
    out += '\x20';  // top-left origin
    if (pixels) {
        const QImage image = quadrants(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const QRgb p = image.pixel(x, y);
                out += static_cast<char>(qBlue(p));
                out += static_cast<char>(qGreen(p));
                out += static_cast<char>(qRed(p));
            }
    }
    // The TGA 2.0 footer, which Qt's plug-in requires: no extension or developer area.
    out += Bytes(8, '\0');
    out += Bytes("TRUEVISION-XFILE.\0", 18);
    return out;
}

Bytes tiff(int w, int h) {
    return rgbTiff(quadrants(w, h));
}

Bytes photographLike(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    std::uint32_t noise = 12345;
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = static_cast<int>(noise >> 28) - 8;
            auto wave = [&](double fx, double fy, double phase) {
                const double v = 128 + 100 * std::sin(x * fx + y * fy + phase);
                return std::clamp(static_cast<int>(v) + grain, 0, 255);
            };
            row[x] = qRgb(wave(0.004, 0.003, 0), wave(0.002, 0.005, 1), wave(0.006, 0.001, 2));
        }
    }
    return rgbTiff(image);
}

Bytes webpWithOrientation(int w, int h, int orientation) {
    const Bytes simple = encodeQt(quadrants(w, h), "webp", 100);
    if (simple.compare(12, 4, "VP8L") != 0 && simple.compare(12, 4, "VP8 ") != 0)
        throw std::runtime_error("Qt wrote an extended WebP");
    auto chunk = [](const char* id, const Bytes& data) {
        Bytes c(id, 4);
        putLittle32(c, static_cast<std::uint32_t>(data.size()));
        c += data;
        if (data.size() % 2 != 0)
            c += '\0';
        return c;
    };
    Bytes header(1, '\x08');  // an EXIF chunk follows
    header += Bytes(3, '\0');
    for (int side : {w - 1, h - 1}) {
        header += static_cast<char>(side & 0xFF);
        header += static_cast<char>((side >> 8) & 0xFF);
        header += static_cast<char>((side >> 16) & 0xFF);
    }
    const Bytes body = "WEBP" + chunk("VP8X", header) + simple.substr(12) +
                       chunk("EXIF", fromQt(fixtures::exifTiff(orientation, true)));
    Bytes out("RIFF", 4);
    putLittle32(out, static_cast<std::uint32_t>(body.size()));
    return out + body;
}

Bytes svg(int w, int h) {
    const std::string ws = std::to_string(w);
    const std::string hs = std::to_string(h);
    const std::string half = std::to_string(w / 2);
    return "<svg xmlns='http://www.w3.org/2000/svg' width='" + ws + "' height='" + hs +
           "'><rect width='" + half + "' height='" + hs + "' fill='#ff0000'/><rect x='" + half +
           "' width='" + half + "' height='" + hs + "' fill='#0000ff'/></svg>\n";
}

Bytes svgWithText(int w, int h) {
    return "<svg xmlns='http://www.w3.org/2000/svg' width='" + std::to_string(w) + "' height='" +
           std::to_string(h) + "'><rect width='100%' height='100%' fill='#ffffff'/>" +
           "<text x='4' y='" + std::to_string(h * 2 / 3) + "' font-size='" + std::to_string(h / 2) +
           "' fill='#000000'>Vimbel</text></svg>\n";
}

Bytes svgReferencing(const std::string& reference, bool stylesheet) {
    if (stylesheet)
        return "<?xml version='1.0'?>\n<?xml-stylesheet type='text/css' href='" + reference +
               "'?>\n<svg xmlns='http://www.w3.org/2000/svg' width='64' height='64'>"
               "<rect class='outside' width='64' height='64' fill='#0000ff'/></svg>\n";
    return "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
           "width='64' height='64'><rect width='64' height='64' fill='#0000ff'/>"
           "<image x='0' y='0' width='64' height='64' xlink:href='" +
           reference + "'/></svg>\n";
}

Bytes svgEmbedding(const Bytes& document) {
    return "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
           "width='64' height='64'><image width='64' height='64' "
           "xlink:href='data:image/svg+xml;base64," +
           fromQt(QByteArray::fromStdString(document).toBase64()) + "'/></svg>\n";
}

Bytes truncated(const Bytes& bytes, std::size_t keep) {
    return bytes.substr(0, keep);
}

Bytes scanBombJpeg(int w, int h, int scans) {
    requireJpegSide(w);
    requireJpegSide(h);
    const std::int64_t blocks = blocksOf(w, h);
    Bytes out = greyJpegHeader(w, h, true);
    out += scanHeader(0, 0, 0, 0);
    out += dcScanData(blocks);
    const Bytes empty = scanHeader(1, 63, 0, 0) + skipAllBlocks(blocks);
    for (int i = 0; i < scans; ++i)
        out += empty;
    return out + "\xFF\xD9";
}

Bytes refinementBombJpeg(int w, int h, int scans) {
    requireJpegSide(w);
    requireJpegSide(h);
    const std::int64_t blocks = blocksOf(w, h);
    const Bytes skip = skipAllBlocks(blocks);
    Bytes out = greyJpegHeader(w, h, true);
    out += scanHeader(0, 0, 0, 0);
    out += dcScanData(blocks);
    out += scanHeader(1, 63, 0, 1) + skip;
    const Bytes refine = scanHeader(1, 63, 1, 0) + skip;
    for (int i = 0; i < scans; ++i)
        out += refine;
    return out + "\xFF\xD9";
}

Bytes headerOnlyJpeg(int w, int h, bool progressive) {
    requireJpegSide(w);
    requireJpegSide(h);
    return greyJpegHeader(w, h, progressive) + scanHeader(0, progressive ? 0 : 63, 0, 0);
}

Bytes garbageHuffmanJpeg(int w, int h) {
    requireJpegSide(w);
    requireJpegSide(h);
    Bytes out = greyJpegHeader(w, h, false) + scanHeader(0, 63, 0, 0);
    // All ones, which neither table holds; a stuffed FF 00 is eight of them.
    for (std::int64_t i = 0; i < blocksOf(w, h) * 8; ++i)
        out += Bytes("\xFF\x00", 2);
    return out + "\xFF\xD9";
}

Bytes firstRowOnlyJpeg(int w, int h) {
    requireJpegSide(w);
    requireJpegSide(h);
    BitWriter bits;
    for (int i = 0; i < (w + 7) / 8; ++i)
        bits.put(0, 5);  // DC "no change", then the end of the band (EOB0)
    return greyJpegHeader(w, h, false) + scanHeader(0, 63, 0, 0) + bits.finish();
}

namespace {

QImage alphaCorner() {
    return fixtures::quadrantsWithClearCorner(40, 30);
}

}  // namespace

const std::vector<Seed>& seeds() {
    static const std::vector<Seed> all = {
        {"baseline.jpg",
         [] {
             return jpeg(48, 32, {230, 0, 0}, {0, 0, 230});
         }},
        {"progressive.jpg",
         [] {
             return jpeg(48, 32, {230, 0, 0}, {0, 0, 230}, {.progressive = true});
         }},
        {"grey.jpg", [] { return jpeg(40, 24, {40}, {200}); }},
        {"cmyk.jpg",
         [] {
             return jpeg(32, 32, {255, 0, 0, 255}, {0, 0, 255, 255});
         }},
        {"cmyk-no-adobe.jpg",
         [] {
             return jpeg(32, 32, {255, 0, 0, 255}, {0, 0, 255, 255}, {.adobeMarker = false});
         }},
        {"orientation-6.jpg",
         [] {
             return jpeg(48, 32, {230, 0, 0}, {0, 0, 230}, {.orientation = 6});
         }},
        {"alpha.png", [] { return png(40, 30, PngKind::Alpha); }},
        {"palette.png", [] { return png(40, 30, PngKind::Palette); }},
        {"deep.png", [] { return png(40, 30, PngKind::Deep); }},
        {"interlaced.png", [] { return png(40, 30, PngKind::Interlaced); }},
        {"four.gif", [] { return gif(40, 30, 40, 30); }},
        {"quadrants.bmp", [] { return qtPicture(40, 30, "bmp"); }},
        {"lossless.webp", [] { return qtPicture(40, 30, "webp", 100); }},
        {"lossy.webp", [] { return qtPicture(40, 30, "webp", 70); }},
        {"orientation-6.webp", [] { return webpWithOrientation(40, 30, 6); }},
        {"quadrants.tiff", [] { return tiff(40, 30); }},
        {"compressed.tiff", [] { return qtPicture(40, 30, "tiff"); }},
        {"quadrants.tga", [] { return tga(40, 30); }},
        {"quadrants.ppm", [] { return qtPicture(40, 30, "ppm"); }},
        {"quadrants.ico", [] { return qtPicture(32, 32, "ico"); }},
        // The formats read through libpng, libheif and libjxl, with what each can carry.
        {"orientation-6-iccp.png",
         [] {
             return fromQt(codecfixtures::png(
                 alphaCorner(), {.alpha = true, .orientation = 6, .icc = fixtures::displayP3()}));
         }},
        {"grey-alpha.png",
         [] { return fromQt(codecfixtures::png(alphaCorner(), {.alpha = true, .grey = true})); }},
        {"palette-trns.png",
         [] {
             return fromQt(codecfixtures::png(alphaCorner(), {.alpha = true, .palette = true}));
         }},
        {"deep-interlaced.png",
         [] {
             return fromQt(codecfixtures::png(alphaCorner(),
                                              {.bitDepth = 16, .alpha = true, .interlaced = true}));
         }},
        {"quadrants.heic", [] { return fromQt(codecfixtures::heif(quadrants(40, 30), {})); }},
        {"alpha-orientation-6-icc.heic",
         [] {
             return fromQt(codecfixtures::heif(
                 alphaCorner(), {.alpha = true, .orientation = 6, .icc = fixtures::displayP3()}));
         }},
        {"thumbnail-two-images.heic",
         [] { return fromQt(codecfixtures::heif(quadrants(40, 30), {}, quadrants(30, 40))); }},
        {"quadrants.avif",
         [] {
             return fromQt(
                 codecfixtures::heif(quadrants(40, 30), {.codec = codecfixtures::HeifCodec::Av1}));
         }},
        {"alpha-nclx.avif",
         [] {
             return fromQt(
                 codecfixtures::heif(alphaCorner(), {.codec = codecfixtures::HeifCodec::Av1,
                                                     .alpha = true,
                                                     .orientation = 3,
                                                     .nclxPrimaries = 12,
                                                     .nclxTransfer = 13}));
         }},
        // (libaom 3.6 fails on 10-bit input: the deep seed is HEVC.)
        {"alpha-10-bit.heic",
         [] {
             return fromQt(codecfixtures::heif(alphaCorner(),
                                               {.alpha = true, .bitDepth = 10, .orientation = 8}));
         }},
        {"lossy.jxl",
         [] { return fromQt(codecfixtures::jxl(quadrants(40, 30), {.lossless = false})); }},
        {"alpha-orientation-6-icc.jxl",
         [] {
             return fromQt(codecfixtures::jxl(
                 alphaCorner(), {.alpha = true, .orientation = 6, .icc = fixtures::displayP3()}));
         }},
        {"grey-alpha-deep.jxl",
         [] {
             return fromQt(
                 codecfixtures::jxl(alphaCorner(), {.alpha = true, .grey = true, .bitDepth = 16}));
         }},
        {"animation.jxl",
         [] { return fromQt(codecfixtures::jxl(quadrants(40, 30), {}, quadrants(40, 30))); }},
        {"halves.svg", [] { return svg(60, 30); }},
        {"text.svg", [] { return svgWithText(80, 30); }},
    };
    return all;
}

}  // namespace picturefiles
