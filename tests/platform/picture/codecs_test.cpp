#include <gtest/gtest.h>

#include <QBuffer>
#include <QColorSpace>
#include <QImage>
#include <QImageReader>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/framework/picture.h"
#include "platform/picture/picturesource.h"
#include "tests/platform/picture/codecfixtures.h"
#include "tests/platform/picture/picturefixtures.h"
#include "tests/platform/scratch.h"

namespace {

using fixtures::displayP3;
using fixtures::distance;
using fixtures::item;
using fixtures::quadrantsWithClearCorner;
using fixtures::readBack;
using fixtures::resizeLikeTheEngine;
using fw::Picture;

constexpr auto PNG = Picture::FormatPNG;
constexpr auto JPEG = Picture::FormatJPEG;

const QColor kRed(230, 0, 0);

// Where the stored quadrants land once the orientation is applied: Qt's JPEG reader applying
// the same Exif tag is the reference.
QImage uprightReference(const QImage& stored, int orientation) {
    return fixtures::uprightByQt(fixtures::withExifOrientation(
        fixtures::encode(stored.convertToFormat(QImage::Format_RGB32), "jpeg", 100), orientation));
}

struct Format {
    const char* name;
    int tolerance;  // lossy codecs move colours a little
    std::function<QByteArray(const QImage&, int orientation, const QByteArray& icc)> make;
};

const std::vector<Format>& formats() {
    using namespace codecfixtures;
    static const std::vector<Format> all = {
        {"png", 2,
         [](const QImage& i, int o, const QByteArray& icc) {
             return png(i, {.alpha = true, .orientation = o, .icc = icc});
         }},
        {"heic", 24,
         [](const QImage& i, int o, const QByteArray& icc) {
             return heif(i,
                         {.codec = HeifCodec::Hevc, .alpha = true, .orientation = o, .icc = icc});
         }},
        {"avif", 24,
         [](const QImage& i, int o, const QByteArray& icc) {
             return heif(i, {.codec = HeifCodec::Av1, .alpha = true, .orientation = o, .icc = icc});
         }},
        {"jxl", 2,
         [](const QImage& i, int o, const QByteArray& icc) {
             return jxl(i, {.alpha = true, .orientation = o, .icc = icc});
         }},
        {"jxl lossy", 24,
         [](const QImage& i, int o, const QByteArray& icc) {
             return jxl(i, {.lossless = false, .alpha = true, .orientation = o, .icc = icc});
         }},
    };
    return all;
}

// Every format comes out upright by the file's own orientation, with the upright size, its
// transparency (kept in PNG, over white in JPEG) and its colour profile.
TEST(Codecs, EachFormatOpensUprightWithItsTransparencyAndProfile) {
    scratch::Dir dir;
    const QImage stored = quadrantsWithClearCorner(64, 40);
    for (const Format& format : formats()) {
        for (int orientation = 1; orientation <= 8; ++orientation) {
            SCOPED_TRACE(testing::Message() << format.name << " orientation " << orientation);
            const std::string path =
                fixtures::write(dir, "in", format.make(stored, orientation, displayP3()));
            const QImage expected = uprightReference(stored, orientation);
            auto src = Picture::Open(item(path));
            ASSERT_NE(src, nullptr);
            ASSERT_EQ(QSize(static_cast<int>(src->Width()), static_cast<int>(src->Height())),
                      expected.size());
            const int w = expected.width() / 2;
            const int h = expected.height() / 2;
            resizeLikeTheEngine(src, w, h, dir.at("out.png"), PNG);
            resizeLikeTheEngine(Picture::Open(item(path)), w, h, dir.at("out.jpg"), JPEG, 95);
            const QImage png = readBack(dir.at("out.png"));
            const QImage jpeg = readBack(dir.at("out.jpg"));
            ASSERT_EQ(png.size(), QSize(w, h));
            EXPECT_EQ(png.colorSpace(), QColorSpace(QColorSpace::DisplayP3));
            EXPECT_EQ(jpeg.colorSpace(), QColorSpace(QColorSpace::DisplayP3));
            for (auto [fx, fy] : fixtures::kQuadrantCentres) {
                const QColor want = expected.pixelColor(static_cast<int>(fx * expected.width()),
                                                        static_cast<int>(fy * expected.height()));
                const int x = static_cast<int>(fx * w);
                const int y = static_cast<int>(fy * h);
                if (distance(want, kRed) < 40) {
                    EXPECT_LE(png.pixelColor(x, y).alpha(), format.tolerance) << fx << "," << fy;
                    EXPECT_LE(distance(jpeg.pixelColor(x, y), Qt::white), 8) << fx << "," << fy;
                } else {
                    EXPECT_GE(png.pixelColor(x, y).alpha(), 255 - format.tolerance);
                    EXPECT_LE(distance(png.pixelColor(x, y), want), format.tolerance)
                        << fx << "," << fy;
                }
            }
        }
    }
}

// Rows handed to a sink, kept as an image.
class CapturingSink final : public fw::pic::RowSink {
public:
    bool begin(int width, int height, QImage::Format format) override {
        image = QImage(width, height, format);
        next = 0;
        return true;
    }
    void row(const std::uint8_t* pixels) override {
        if (next < image.height())
            std::memcpy(image.scanLine(next), pixels,
                        static_cast<std::size_t>(image.width() * image.depth() / 8));
        ++next;
    }
    QImage image;
    int next = 0;
};

// A small picture of many colours and transparency levels, with odd sides (interlacing leaves
// partial blocks).
QImage assorted(int w, int h) {
    QImage image(w, h, QImage::Format_RGBA8888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixelColor(x, y,
                                QColor(x * 255 / (w - 1), y * 255 / (h - 1), (x * y) % 256,
                                       (x + 3 * y) % 5 == 0 ? 0 : 255 - 13 * ((x + y) % 7)));
    return image;
}

QImage premultiplied(QImage straight) {
    for (int y = 0; y < straight.height(); ++y) {
        std::uint8_t* p = straight.scanLine(y);
        for (int x = 0; x < straight.width(); ++x, p += 4)
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<std::uint8_t>((p[c] * p[3] + 127) / 255);
    }
    return straight;
}

// The PNG layouts all decode to the same 8-bit pixels, whole or row by row into a sink: palettes
// and transparency keys expanded, grey kept as one channel unless transparent, 16 bits rounded
// (not cut) to 8.
TEST(Codecs, PngLayoutsDecodeToTheSamePixels) {
    scratch::Dir dir;
    const QImage colour = assorted(13, 7);
    QImage deep = colour.convertToFormat(QImage::Format_RGBA64);
    // 100 / 257 rounds down: cutting to the high byte would give one more where v >= 156.
    for (int y = 0; y < deep.height(); ++y) {
        auto* p = reinterpret_cast<std::uint16_t*>(deep.scanLine(y));
        for (int i = 0; i < deep.width() * 4; ++i)
            p[i] = static_cast<std::uint16_t>(p[i] / 257 * 257 + (p[i] < 65535 - 100 ? 100 : 0));
    }
    const QImage opaque = colour.convertToFormat(QImage::Format_RGBX8888);
    QImage grey = colour.convertToFormat(QImage::Format_Grayscale8);
    QImage greyAlpha(colour.size(), QImage::Format_RGBA8888);
    for (int y = 0; y < colour.height(); ++y)
        for (int x = 0; x < colour.width(); ++x) {
            const int g = grey.pixelColor(x, y).red();
            greyAlpha.setPixelColor(x, y, QColor(g, g, g, colour.pixelColor(x, y).alpha()));
        }
    QImage greyOpaque = greyAlpha.convertToFormat(QImage::Format_RGBX8888)
                            .convertToFormat(QImage::Format_Grayscale8);

    using codecfixtures::png;
    struct Case {
        const char* what;
        QByteArray file;
        QImage expected;  // Grayscale8, RGBX8888 or RGBA8888
    };
    const QImage greySource = greyAlpha.convertToFormat(QImage::Format_RGBA8888);
    const std::vector<Case> cases = {
        {"RGB", png(colour, {}), opaque},
        {"RGBA", png(colour, {.alpha = true}), colour},
        {"RGBA 16-bit", png(deep, {.bitDepth = 16, .alpha = true}), colour},
        {"RGB 16-bit interlaced", png(deep, {.bitDepth = 16, .interlaced = true}), opaque},
        {"RGBA interlaced", png(colour, {.alpha = true, .interlaced = true}), colour},
        {"grey", png(greySource, {.grey = true}), greyOpaque},
        {"grey 16-bit",
         png(greySource.convertToFormat(QImage::Format_RGBA64), {.bitDepth = 16, .grey = true}),
         greyOpaque},
        {"grey and alpha", png(greySource, {.alpha = true, .grey = true}), greyAlpha},
        {"palette", png(colour, {.palette = true}), opaque},
        {"palette with tRNS", png(colour, {.alpha = true, .palette = true}), colour},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto source = fw::pic::openPictureSource(fixtures::write(dir, "p.png", c.file));
        ASSERT_NE(source, nullptr);
        EXPECT_EQ(source->storedSize(), c.expected.size());
        EXPECT_EQ(source->mayHaveAlpha(), c.expected.format() == QImage::Format_RGBA8888);
        const QImage whole = source->decode(13, 7);
        ASSERT_EQ(whole.format(), c.expected.format());
        EXPECT_EQ(whole, c.expected);
        CapturingSink sink;
        ASSERT_EQ(source->decodeRows(13, 7, sink), fw::pic::RowsResult::Decoded);
        EXPECT_EQ(sink.next, 7);
        if (c.expected.format() == QImage::Format_RGBA8888) {
            ASSERT_EQ(sink.image.format(), QImage::Format_RGBA8888_Premultiplied);
            QImage rows = sink.image;
            rows.reinterpretAsFormat(QImage::Format_RGBA8888);
            EXPECT_EQ(rows, premultiplied(c.expected));
        } else {
            EXPECT_EQ(sink.image, c.expected);
        }
    }
}

// A colour profile is carried as the file gives it: an iCCP chunk as is, an sRGB chunk as none
// (it is the default), a gAMA chunk as the profile Qt's reader made of it.
TEST(Codecs, PngColourChunksGiveTheProfile) {
    scratch::Dir dir;
    const QImage image = fixtures::quadrants(8, 8);
    const QByteArray p3 = displayP3();
    auto profileOf = [&](const QByteArray& file) {
        auto source = fw::pic::openPictureSource(fixtures::write(dir, "c.png", file));
        return source ? source->iccProfile() : QByteArray("(does not open)");
    };
    EXPECT_EQ(profileOf(codecfixtures::png(image, {.icc = p3})), p3);
    EXPECT_EQ(profileOf(codecfixtures::png(image, {.srgbChunk = true})), QByteArray());
    EXPECT_EQ(profileOf(codecfixtures::png(image, {})), QByteArray());
    // A profile that libpng reads but would not write (its class unknown) does not stop a PNG
    // save: it is left out.
    QByteArray odd = p3;
    odd.replace(12, 4, "mtnr");
    QByteArray body("ICC profile\0\0", 13);
    body.append(qCompress(odd, 9).mid(4));  // a zlib stream after Qt's 4-byte length
    const std::string oddPath = fixtures::write(
        dir, "odd.png", codecfixtures::withChunk(codecfixtures::png(image, {}), "iCCP", body));
    ASSERT_EQ(profileOf(QByteArray::fromStdString(scratch::readAll(oddPath))), odd);
    resizeLikeTheEngine(Picture::Open(item(oddPath)), 4, 4, dir.at("odd-out.png"), PNG);
    EXPECT_FALSE(readBack(dir.at("odd-out.png")).isNull());

    // gAMA alone: what Qt made of it before libpng read PNGs here.
    QByteArray gamma = codecfixtures::png(image, {});
    QByteArray gama("\0\0\0\x04gAMA\0\0\xb1\x8f", 12);
    gama.append("\x0b\xfc\x61\x05", 4);  // its CRC
    gamma.insert(33, gama);
    QBuffer buffer(&gamma);
    const QColorSpace qtSpace = QImageReader(&buffer, "png").read().colorSpace();
    ASSERT_TRUE(qtSpace.isValid());
    EXPECT_EQ(QColorSpace::fromIccProfile(profileOf(gamma)), qtSpace);
}

// Damaged files, and files that declare more than they hold, are refused: not opened, or opened
// and then failing every decode (never a filled-in picture).
TEST(Codecs, DamagedFilesAreRefused) {
    scratch::Dir dir;
    const QImage small = fixtures::quadrants(64, 40);
    const QImage noisy = fixtures::scrambled(160, 120);
    const QByteArray png = codecfixtures::png(small, {});
    const QByteArray bigPng = codecfixtures::png(noisy, {.alpha = true});
    const QByteArray heic = codecfixtures::heif(small, {});
    const QByteArray avif = codecfixtures::heif(small, {.codec = codecfixtures::HeifCodec::Av1});
    const QByteArray jxl = codecfixtures::jxl(noisy, {.lossless = false});
    ASSERT_GT(bigPng.count("IDAT"), 2) << "the image data should span several chunks";
    // libheif wraps a picture whose sides are not whole blocks in a grid of one tile; its
    // descriptor (in the idat box) declares the output size, which libheif allocates.
    QByteArray hugeGrid = codecfixtures::heif(fixtures::quadrants(40, 30), {.alpha = true});
    const qsizetype idat = hugeGrid.indexOf("idat");
    ASSERT_GT(idat, 0) << "no grid";
    hugeGrid.replace(idat + 8, 4, QByteArray(4, '\xff'));
    struct Case {
        const char* what;
        QByteArray file;
    };
    const std::vector<Case> cases = {
        {"png, bad CRC in its only IDAT", codecfixtures::withBadCrc(png, "IDAT")},
        {"png, bad CRC in the first of its IDATs", codecfixtures::withBadCrc(bigPng, "IDAT")},
        {"png cut in half", bigPng.left(bigPng.size() / 2)},
        {"png cut before its last rows", bigPng.left(bigPng.size() - 200)},
        {"png header claiming 32767 x 32767", codecfixtures::pngHeaderOnly(32767, 32767)},
        {"png header claiming 100000 x 100000", codecfixtures::pngHeaderOnly(100000, 100000)},
        {"png header claiming 100 x 100", codecfixtures::pngHeaderOnly(100, 100)},
        {"heic cut in half", heic.left(heic.size() / 2)},
        {"heic cut before its end", heic.left(heic.size() - 20)},
        {"avif cut in half", avif.left(avif.size() / 2)},
        {"heic whose grid declares 65535 x 65535", hugeGrid},
        {"jxl cut in half", jxl.left(jxl.size() / 2)},
        {"jxl cut before its end", jxl.left(jxl.size() - 20)},
        {"jxl header only", jxl.left(24)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto source = fw::pic::openPictureSource(fixtures::write(dir, "d", c.file));
        if (!source)
            continue;
        CapturingSink sink;
        EXPECT_EQ(source->decodeRows(64, 40, sink), fw::pic::RowsResult::Failed);
        EXPECT_TRUE(source->decode(64, 40).isNull());
        EXPECT_TRUE(source->decode(8, 5).isNull());
    }
}

// HEIF turns its pictures with its own transformations (irot, imir); an Exif orientation that a
// phone writes beside them says the same again and is not applied a second time.
TEST(Codecs, HeifExifOrientationIsNotAppliedTwice) {
    scratch::Dir dir;
    const QImage stored = fixtures::quadrants(64, 40);
    const QImage expected = uprightReference(stored, 6);
    auto src = Picture::Open(item(fixtures::write(
        dir, "phone.heic", codecfixtures::heif(stored, {.orientation = 6, .exifOrientation = 6}))));
    ASSERT_NE(src, nullptr);
    ASSERT_EQ(src->Width(), 40);
    ASSERT_EQ(src->Height(), 64);
    resizeLikeTheEngine(src, 20, 32, dir.at("phone.png"), PNG);
    const QImage out = readBack(dir.at("phone.png"));
    for (auto [fx, fy] : fixtures::kQuadrantCentres) {
        EXPECT_LE(
            distance(out.pixelColor(static_cast<int>(fx * 20), static_cast<int>(fy * 32)),
                     expected.pixelColor(static_cast<int>(fx * 40), static_cast<int>(fy * 64))),
            24);
    }
}

// Only the primary image is the picture: not a thumbnail, not another image of the file, not a
// later frame.
TEST(Codecs, OnlyThePrimaryImageIsThePicture) {
    scratch::Dir dir;
    const QImage picture = fixtures::quadrants(64, 40);
    QImage blue(64, 40, QImage::Format_RGB32);
    blue.fill(QColor(0, 0, 255));
    for (const auto& [what, file] :
         {std::pair{"heic with a thumbnail and another image",
                    codecfixtures::heif(picture, {}, blue)},
          std::pair{"jxl animation", codecfixtures::jxl(picture, {}, blue)}}) {
        SCOPED_TRACE(what);
        auto src = Picture::Open(item(fixtures::write(dir, "m", file)));
        ASSERT_NE(src, nullptr);
        ASSERT_EQ(src->Width(), 64);
        ASSERT_EQ(src->Height(), 40);
        resizeLikeTheEngine(src, 16, 10, dir.at("m.png"), PNG);
        const QImage out = readBack(dir.at("m.png"));
        EXPECT_LE(distance(out.pixelColor(3, 2), kRed), 24);
        EXPECT_LE(distance(out.pixelColor(12, 7), QColor(240, 220, 0)), 24);
    }
}

// HEIF's nclx colour description becomes a profile unless it is sRGB; JPEG XL gives the profile
// of its decoded pixels, none for sRGB; deep and grey pictures come out in 8 bits.
TEST(Codecs, ColourDescriptionsBecomeProfiles) {
    scratch::Dir dir;
    const QImage image = fixtures::quadrants(32, 20);
    const QColorSpace p3(QColorSpace::DisplayP3);
    const QColorSpace linear2020(QPointF(0.3127, 0.3290), QPointF(0.708, 0.292),
                                 QPointF(0.170, 0.797), QPointF(0.131, 0.046),
                                 QColorSpace::TransferFunction::Linear);
    using codecfixtures::HeifCodec;
    struct Case {
        const char* what;
        QByteArray file;
        QColorSpace expected;  // invalid: no profile
    };
    const std::vector<Case> cases = {
        // libheif writes an nclx colour box for AV1 (for HEVC it writes none).
        {"avif nclx sRGB",
         codecfixtures::heif(image,
                             {.codec = HeifCodec::Av1, .nclxPrimaries = 1, .nclxTransfer = 13}),
         {}},
        {"avif nclx BT.709",
         codecfixtures::heif(image,
                             {.codec = HeifCodec::Av1, .nclxPrimaries = 1, .nclxTransfer = 1}),
         {}},
        {"avif nclx P3",
         codecfixtures::heif(image,
                             {.codec = HeifCodec::Av1, .nclxPrimaries = 12, .nclxTransfer = 13}),
         p3},
        {"avif nclx linear BT.2020",
         codecfixtures::heif(image,
                             {.codec = HeifCodec::Av1, .nclxPrimaries = 9, .nclxTransfer = 8}),
         linear2020},
        {"heic 10-bit", codecfixtures::heif(image, {.bitDepth = 10}), {}},
        {"jxl sRGB", codecfixtures::jxl(image, {}), {}},
        {"jxl lossy sRGB", codecfixtures::jxl(image, {.lossless = false}), {}},
        {"jxl 16-bit", codecfixtures::jxl(image, {.bitDepth = 16}), {}},
        {"jxl lossy P3", codecfixtures::jxl(image, {.lossless = false, .icc = displayP3()}), p3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto src = Picture::Open(item(fixtures::write(dir, "c", c.file)));
        ASSERT_NE(src, nullptr);
        resizeLikeTheEngine(src, 16, 10, dir.at("c.png"), PNG);
        const QImage out = readBack(dir.at("c.png"));
        EXPECT_EQ(out.colorSpace(), c.expected);
        if (!c.expected.isValid()) {
            EXPECT_LE(distance(out.pixelColor(3, 2), kRed), 24);
        }
    }
}

// Deep samples round to the nearest 8-bit value; grey stays one channel, grey with
// transparency becomes colour.
TEST(Codecs, JxlSamplesComeOutInEightBits) {
    scratch::Dir dir;
    QImage deep(4, 2, QImage::Format_RGBA64);
    deep.fill(QColor::fromRgba64(2800, 2800, 2800, 65535));  // 10.9 of 255: 11, not 10
    auto deepSource = fw::pic::openPictureSource(
        fixtures::write(dir, "d.jxl", codecfixtures::jxl(deep, {.bitDepth = 16})));
    ASSERT_NE(deepSource, nullptr);
    const QImage deepOut = deepSource->decode(4, 2);
    ASSERT_EQ(deepOut.format(), QImage::Format_RGBX8888);
    EXPECT_EQ(deepOut.pixelColor(1, 1), QColor(11, 11, 11));

    QImage grey(4, 2, QImage::Format_RGBA8888);
    grey.fill(QColor(90, 90, 90, 128));
    auto greySource = fw::pic::openPictureSource(
        fixtures::write(dir, "g.jxl", codecfixtures::jxl(grey, {.grey = true})));
    ASSERT_NE(greySource, nullptr);
    const QImage greyOut = greySource->decode(4, 2);
    ASSERT_EQ(greyOut.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(greyOut.pixelColor(2, 1), QColor(90, 90, 90));
    auto greyAlphaSource = fw::pic::openPictureSource(
        fixtures::write(dir, "ga.jxl", codecfixtures::jxl(grey, {.alpha = true, .grey = true})));
    ASSERT_NE(greyAlphaSource, nullptr);
    const QImage greyAlphaOut = greyAlphaSource->decode(4, 2);
    ASSERT_EQ(greyAlphaOut.format(), QImage::Format_RGBA8888);
    EXPECT_EQ(greyAlphaOut.pixelColor(2, 1), QColor(90, 90, 90, 128));
}

}  // namespace
