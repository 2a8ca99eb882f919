#include <gtest/gtest.h>

#include <QColorSpace>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "engine/framework/exceptions.h"
#include "engine/framework/picture.h"
#include "platform/picture/exiforientation.h"
#include "platform/picture/jpegcodec.h"
#include "platform/picture/jpegmemory.h"
#include "platform/picture/pictureimpl.h"
#include "platform/picture/picturesource.h"
#include "tests/platform/picture/codecfixtures.h"
#include "tests/platform/picture/picturefiles.h"
#include "tests/platform/picture/picturefixtures.h"
#include "tests/platform/scratch.h"

namespace {

using fixtures::distance;
using fixtures::item;
using fixtures::readBack;
using fixtures::resizeLikeTheEngine;
using fw::Picture;

constexpr auto PNG = Picture::FormatPNG;
constexpr auto JPEG = Picture::FormatJPEG;

std::string messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const fw::RuntimeException& e) {
        return e.Message();
    }
    return "(no exception)";
}

std::vector<std::string> temporaryFiles(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename().string().rfind(".vimbel-", 0) == 0)
            found.push_back(e.path());
    return found;
}

// A picture with a left half opaque red and a right half fully transparent (its colour blue, so
// that colour bleeding from transparent pixels would show).
QImage halfTransparent(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, x < w / 2 ? qRgba(255, 0, 0, 255) : qRgba(0, 0, 255, 0));
    return image;
}

TEST(Picture, NewPictureChecksBothSides) {
    struct Case {
        std::int64_t w, h;
        bool valid;
    };
    for (const Case& c :
         {Case{1, 1, true}, Case{32767, 32767, true}, Case{640, 480, true}, Case{0, 10, false},
          Case{10, 0, false}, Case{32768, 1, false}, Case{1, 32768, false}, Case{-5, 10, false},
          Case{10, -1, false}, Case{std::int64_t{1} << 40, 1, false}}) {
        if (c.valid) {
            Picture p(c.w, c.h, 32);
            EXPECT_EQ(p.Width(), c.w);
            EXPECT_EQ(p.Height(), c.h);
        } else {
            EXPECT_EQ(messageOf([&] { Picture p(c.w, c.h, 32); }),
                      "Width/Height needs to be in the range 1-32767")
                << c.w << "x" << c.h;
            EXPECT_THROW(Picture(c.w, c.h, 32), fw::OutOfBoundsException);
        }
    }
}

TEST(Picture, NilFilesAndBadArgumentsRaise) {
    scratch::Dir dir;
    EXPECT_THROW((void)Picture::Open(nullptr), fw::NilObjectException);
    Picture p(4, 4, 32);
    EXPECT_THROW(p.Save(nullptr, PNG, 80), fw::NilObjectException);
    for (std::int64_t q : {-2, 101, -100, 1000})
        EXPECT_THROW(p.Save(item(dir.at("q.png")), PNG, q), fw::OutOfBoundsException) << q;
    for (std::int64_t q : {-1, 0, 100}) {
        EXPECT_NO_THROW(p.Save(item(dir.at("q.jpg")), JPEG, q)) << q;
        EXPECT_NO_THROW(p.Save(item(dir.at("q.png")), PNG, q)) << q;
    }
    EXPECT_THROW(p.Save(item(dir.at("q.gif")), 152, 80), fw::UnsupportedOperationException);
}

TEST(Picture, MaskIsCreatedOpaqueOnDemand) {
    Picture p(30, 20, 32);
    EXPECT_FALSE(p.hasMask());
    EXPECT_EQ(p.Mask(false), nullptr);
    Picture* mask = p.Mask(true);
    ASSERT_NE(mask, nullptr);
    EXPECT_TRUE(p.hasMask());
    EXPECT_EQ(p.Mask(true), mask);
    EXPECT_EQ(p.Mask(false), mask);
    EXPECT_EQ(mask->Width(), 30);
    EXPECT_EQ(mask->Height(), 20);
    EXPECT_EQ(mask->Mask(true), nullptr);

    // A created mask is opaque: the saved picture has no transparency.
    scratch::Dir dir;
    p.Save(item(dir.at("m.png")), PNG, 80);
    const QImage out = readBack(dir.at("m.png"));
    EXPECT_FALSE(out.hasAlphaChannel());
    EXPECT_EQ(out.pixelColor(5, 5), QColor(Qt::white));
}

TEST(Picture, WhatIsNotAPictureOpensAsNil) {
    scratch::Dir dir;
    const QByteArray png = fixtures::encode(fixtures::quadrants(40, 30), "png");
    const QByteArray jpeg = fixtures::encode(fixtures::quadrants(40, 30), "jpeg");
    struct Case {
        const char* what;
        std::string path;
    };
    const std::vector<Case> cases = {
        {"missing", dir.at("missing.png")},
        {"empty", dir.write("empty.png", "")},
        {"text", dir.write("notes.jpg", "just some text\n")},
        {"folder", dir.mkdir("folder.png")},
        {"png signature then junk",
         dir.write("junk.png", png.left(8).toStdString() + "junkjunkjunk")},
        {"jpeg start then junk", dir.write("junk.jpg", std::string("\xFF\xD8\xFF\xE0junk", 8))},
        {"jpeg cut inside its header", fixtures::write(dir, "cut.jpg", jpeg.left(40))},
        // Formats that decode whole are decoded at open: a header is not enough.
        {"webp cut in its data",
         dir.write("cut.webp",
                   picturefiles::truncated(picturefiles::qtPicture(300, 200, "webp", 80), 300))},
        {"tiff cut in its data",
         dir.write("cut.tiff", picturefiles::truncated(picturefiles::tiff(300, 200), 90000))},
        {"gif screen of 65535 x 65535",
         dir.write("screen.gif", picturefiles::gif(1, 1, 65535, 65535))},
        // Qt's plug-ins take these for whole pictures and make up every pixel.
        {"bmp whose data ends within its first row",
         dir.write("row.bmp",
                   picturefiles::truncated(picturefiles::qtPicture(300, 200, "bmp"), 54 + 100))},
        {"tga that declares pixels it does not hold",
         dir.write("forged.tga", picturefiles::tga(300, 200, false))},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Picture::Open(item(c.path)), nullptr) << c.what;

    // Contents decide, not names; a name that is not UTF-8 still opens.
    EXPECT_NE(Picture::Open(item(fixtures::write(dir, "photo.txt", jpeg))), nullptr);
    EXPECT_NE(Picture::Open(item(fixtures::write(dir, "image.jpg", png))), nullptr);
    EXPECT_NE(Picture::Open(item(fixtures::write(dir, "\xff\xfe.png", png))), nullptr);
    EXPECT_NE(Picture::Open(item(dir.write("whole.tga", picturefiles::tga(30, 20)))), nullptr);
}

// The rows a plug-in does not reach show a filler (see CutPictureShowsNoLeftoverMemory); a file
// whose pixels are that filler's own, grey or palette index 0, is a picture all the same.
TEST(Picture, PictureOfTheFillersColourOpens) {
    scratch::Dir dir;
    QImage grey(30, 20, QImage::Format_RGB32);
    grey.fill(QColor(128, 128, 128));
    const QImage indexed = grey.convertToFormat(QImage::Format_Indexed8);
    for (const auto& [name, image] : {std::pair{"grey.bmp", grey}, {"indexed.bmp", indexed}}) {
        SCOPED_TRACE(name);
        auto src = Picture::Open(item(fixtures::write(dir, name, fixtures::encode(image, "bmp"))));
        ASSERT_NE(src, nullptr);
        resizeLikeTheEngine(src, 15, 10, dir.at("out.png"), PNG);
        EXPECT_LE(distance(readBack(dir.at("out.png")).pixelColor(7, 5), QColor(128, 128, 128)), 1);
    }
}

TEST(Picture, OtherFormatsOpenThroughQtPlugins) {
    scratch::Dir dir;
    const QImage quads = fixtures::quadrants(40, 30);
    int tried = 0;
    for (const char* format : {"png", "bmp", "ppm", "tiff", "webp", "tga", "ico"}) {
        if (!QImageWriter::supportedImageFormats().contains(format))
            continue;
        ++tried;
        SCOPED_TRACE(format);
        // Lossless, so that the colours can be checked closely (WebP at 100 is lossless).
        auto src = Picture::Open(item(fixtures::write(dir, std::string("f.") + format,
                                                      fixtures::encode(quads, format, 100))));
        ASSERT_NE(src, nullptr);
        EXPECT_EQ(src->Width(), 40);
        EXPECT_EQ(src->Height(), 30);
        resizeLikeTheEngine(src, 20, 15, dir.at("f-out.png"), PNG);
        const QImage out = readBack(dir.at("f-out.png"));
        EXPECT_LE(distance(out.pixelColor(4, 3), QColor(230, 0, 0)), 8);
        EXPECT_LE(distance(out.pixelColor(15, 11), QColor(240, 220, 0)), 8);
    }
    EXPECT_GE(tried, 5);

    // A vector picture renders at the size drawn.
    auto svg = Picture::Open(
        item(dir.write("v.svg",
                       "<svg xmlns='http://www.w3.org/2000/svg' width='200' height='100'>"
                       "<rect width='100' height='100' fill='#ff0000'/>"
                       "<rect x='100' width='100' height='100' fill='#0000ff'/></svg>")));
    ASSERT_NE(svg, nullptr);
    EXPECT_EQ(svg->Width(), 200);
    EXPECT_EQ(svg->Height(), 100);
    resizeLikeTheEngine(svg, 50, 25, dir.at("v.png"), PNG);
    const QImage out = readBack(dir.at("v.png"));
    EXPECT_LE(distance(out.pixelColor(10, 12), QColor(255, 0, 0)), 4);
    EXPECT_LE(distance(out.pixelColor(40, 12), QColor(0, 0, 255)), 4);
}

TEST(Picture, TruncatedJpegOpensAndDrawsWhatItHas) {
    scratch::Dir dir;
    const QByteArray jpeg = fixtures::encode(fixtures::quadrants(160, 120), "jpeg");
    auto src = Picture::Open(item(fixtures::write(dir, "cut.jpg", jpeg.left(jpeg.size() / 2))));
    ASSERT_NE(src, nullptr);
    EXPECT_EQ(src->Width(), 160);
    resizeLikeTheEngine(src, 80, 60, dir.at("out.png"), PNG);
    const QImage out = readBack(dir.at("out.png"));
    ASSERT_EQ(out.size(), QSize(80, 60));
    EXPECT_LE(distance(out.pixelColor(10, 5), QColor(230, 0, 0)), 40);
}

TEST(Picture, OrientationTagGivesUprightPictures) {
    scratch::Dir dir;
    const QImage stored = fixtures::quadrants(64, 40);
    const QByteArray plain = fixtures::encode(stored, "jpeg", 95);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        for (bool bigEndian : {true, false}) {
            SCOPED_TRACE(testing::Message()
                         << "orientation " << orientation << (bigEndian ? " MM" : " II"));
            const QByteArray bytes = fixtures::withExifOrientation(plain, orientation, bigEndian);
            const QImage expected = fixtures::uprightByQt(bytes);

            auto src = Picture::Open(item(fixtures::write(dir, "o.jpg", bytes)));
            ASSERT_NE(src, nullptr);
            const bool turned = orientation >= 5;
            EXPECT_EQ(src->Width(), turned ? 40 : 64);
            EXPECT_EQ(src->Height(), turned ? 64 : 40);
            ASSERT_EQ(expected.size(), QSize(src->Width(), src->Height()));

            // At full size, and reduced (through the scaled decode).
            for (double scale : {1.0, 0.5}) {
                const auto w = static_cast<std::int64_t>(src->Width() * scale);
                const auto h = static_cast<std::int64_t>(src->Height() * scale);
                auto again = Picture::Open(item(dir.at("o.jpg")));
                resizeLikeTheEngine(again, w, h, dir.at("o.png"), PNG);
                const QImage out = readBack(dir.at("o.png"));
                ASSERT_EQ(out.size(), QSize(static_cast<int>(w), static_cast<int>(h)));
                for (auto [fx, fy] : fixtures::kQuadrantCentres) {
                    const QColor got =
                        out.pixelColor(static_cast<int>(fx * w), static_cast<int>(fy * h));
                    const QColor want =
                        expected.pixelColor(static_cast<int>(fx * expected.width()),
                                            static_cast<int>(fy * expected.height()));
                    EXPECT_LE(distance(got, want), 40)
                        << "scale " << scale << " at " << fx << "," << fy;
                }
            }
        }
    }
}

TEST(Picture, ExifParserIsBoundsChecked) {
    const QByteArray good = fixtures::exifPayload(6, true);
    auto parse = [](const QByteArray& b) {
        return fw::pic::exifOrientation(reinterpret_cast<const std::uint8_t*>(b.constData()),
                                        static_cast<std::size_t>(b.size()));
    };
    EXPECT_EQ(parse(good), 6);
    EXPECT_EQ(parse(fixtures::exifPayload(8, false)), 8);
    EXPECT_EQ(parse(fixtures::exifPayload(9, true)), 1);
    EXPECT_EQ(parse(fixtures::exifPayload(0, true)), 1);
    // Every truncation before the end of the value falls back to upright without reading past
    // the end; the value's two bytes end at offset 26 of the payload.
    for (qsizetype n = 0; n <= good.size(); ++n)
        EXPECT_EQ(parse(good.left(n)), n >= 26 ? 6 : 1) << n;
    QByteArray wrongType = good;
    wrongType[6 + 8 + 2 + 3] = 4;  // LONG instead of SHORT
    EXPECT_EQ(parse(wrongType), 1);
    QByteArray farOffset = good;
    farOffset[6 + 4] = 0x7F;  // IFD offset far past the end
    EXPECT_EQ(parse(farOffset), 1);
    EXPECT_EQ(parse(QByteArray("JFIF\0\0MM\0*\0\0\0\x08", 14)), 1);
    EXPECT_EQ(fw::pic::exifOrientation(nullptr, 0), 1);
}

TEST(Picture, TransparencyIsScaledWithCleanEdges) {
    scratch::Dir dir;
    auto src = Picture::Open(
        item(fixtures::write(dir, "t.png", fixtures::encode(halfTransparent(64, 64), "png"))));
    ASSERT_NE(src, nullptr);
    EXPECT_TRUE(src->hasMask());

    resizeLikeTheEngine(src, 24, 24, dir.at("t-out.png"), PNG);
    const QImage out = readBack(dir.at("t-out.png")).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(out.size(), QSize(24, 24));
    ASSERT_TRUE(out.hasAlphaChannel());
    int edges = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 24; ++x) {
            const QRgb p = out.pixel(x, y);
            if (x < 9) {
                EXPECT_GE(qAlpha(p), 250) << x << "," << y;
            }
            if (x >= 15) {
                EXPECT_LE(qAlpha(p), 5) << x << "," << y;
            }
            if (qAlpha(p) > 10 && qAlpha(p) < 245) {
                // Partly transparent pixels keep the opaque side's colour: no white fringe and
                // no colour from the transparent side.
                ++edges;
                EXPECT_GE(qRed(p), 200) << x << "," << y;
                EXPECT_LE(qGreen(p), 40) << x << "," << y;
                EXPECT_LE(qBlue(p), 40) << x << "," << y;
            }
        }
    }
    EXPECT_GT(edges, 0);

    // As JPEG, transparency is composited over white.
    auto again = Picture::Open(item(dir.at("t.png")));
    resizeLikeTheEngine(again, 24, 24, dir.at("t-out.jpg"), JPEG, 95);
    const QImage flat = readBack(dir.at("t-out.jpg"));
    EXPECT_LE(distance(flat.pixelColor(3, 12), QColor(255, 0, 0)), 30);
    EXPECT_LE(distance(flat.pixelColor(20, 12), QColor(255, 255, 255)), 12);
}

TEST(Picture, ColourDrawAloneCompositesOverWhite) {
    scratch::Dir dir;
    auto src = Picture::Open(
        item(fixtures::write(dir, "t.png", fixtures::encode(halfTransparent(40, 40), "png"))));
    ASSERT_NE(src, nullptr);
    Picture dst(20, 20, 32);
    dst.Graphics().DrawPicture(*src, 0, 0, 20, 20, 0, 0, 40, 40);
    dst.Save(item(dir.at("flat.png")), PNG, 80);
    const QImage out = readBack(dir.at("flat.png"));
    EXPECT_FALSE(out.hasAlphaChannel());
    EXPECT_LE(distance(out.pixelColor(2, 10), QColor(255, 0, 0)), 4);
    EXPECT_LE(distance(out.pixelColor(17, 10), QColor(255, 255, 255)), 4);
}

TEST(Picture, OpaqueResultsSaveWithoutAlpha) {
    scratch::Dir dir;
    QImage opaque(30, 30, QImage::Format_ARGB32);  // an alpha channel that is all opaque
    opaque.fill(qRgba(10, 200, 30, 255));
    for (const QByteArray& bytes :
         {fixtures::encode(opaque, "png"), fixtures::encode(opaque, "jpeg")}) {
        auto src = Picture::Open(item(fixtures::write(dir, "o.img", bytes)));
        ASSERT_NE(src, nullptr);
        resizeLikeTheEngine(src, 13, 11, dir.at("o.png"), PNG);
        QImageReader reader(QString::fromStdString(dir.at("o.png")));
        EXPECT_FALSE(reader.read().hasAlphaChannel());
    }
}

TEST(Picture, ColourProfileIsCarriedAcrossFormats) {
    scratch::Dir dir;
    QImage tagged = fixtures::quadrants(48, 32);
    tagged.setColorSpace(QColorSpace(QColorSpace::AdobeRgb));
    struct Case {
        const char* in;
        std::int64_t out;
        bool profile;
    };
    for (const Case& c :
         {Case{"jpeg", JPEG, true}, Case{"jpeg", PNG, true}, Case{"png", JPEG, true},
          Case{"png", PNG, true}, Case{"jpeg", JPEG, false}, Case{"png", PNG, false}}) {
        SCOPED_TRACE(testing::Message() << c.in << " -> " << c.out << (c.profile ? " tagged" : ""));
        const QImage source = c.profile ? tagged : fixtures::quadrants(48, 32);
        auto src =
            Picture::Open(item(fixtures::write(dir, "p.in", fixtures::encode(source, c.in))));
        ASSERT_NE(src, nullptr);
        const std::string out = dir.at(c.out == PNG ? "p.png" : "p.jpg");
        resizeLikeTheEngine(src, 24, 16, out, c.out);
        const QColorSpace space = readBack(out).colorSpace();
        if (c.profile) {
            EXPECT_EQ(space, QColorSpace(QColorSpace::AdobeRgb));
        } else {
            EXPECT_TRUE(!space.isValid() || space == QColorSpace(QColorSpace::SRgb));
        }
    }
}

TEST(Picture, SaveReplacesAtomicallyAndLeavesNothingOnFailure) {
    scratch::Dir dir;
    Picture p(8, 8, 32);

    // Replacing: a new file is renamed over the old one, which stays whole for its other link.
    const std::string target = dir.write("x.jpg", "old bytes");
    ASSERT_EQ(::link(target.c_str(), dir.at("old-link").c_str()), 0);
    p.Save(item(target), JPEG, 80);
    EXPECT_EQ(readBack(target).size(), QSize(8, 8));
    EXPECT_EQ(scratch::readAll(dir.at("old-link")), "old bytes");
    EXPECT_TRUE(temporaryFiles(dir.path()).empty());

    // A missing destination folder: the errno and a message naming the file.
    try {
        p.Save(item(dir.at("missing/y.png")), PNG, 80);
        ADD_FAILURE() << "no exception";
    } catch (const fw::IOException& e) {
        EXPECT_EQ(e.ErrorNumber(), ENOENT);
        EXPECT_NE(e.Message().find("missing/y.png"), std::string::npos) << e.Message();
    }
    EXPECT_FALSE(std::filesystem::exists(dir.at("missing")));

    // A folder in the way: the rename is refused, the folder and its content stay, no temporary.
    dir.write("taken.png/inside", "keep");
    for (auto format : {PNG, JPEG}) {
        EXPECT_THROW(p.Save(item(dir.at("taken.png")), format, 80), fw::IOException);
        EXPECT_EQ(scratch::readAll(dir.at("taken.png/inside")), "keep");
        EXPECT_TRUE(temporaryFiles(dir.path()).empty());
    }
}

TEST(Picture, UniformPicturesStayUniform) {
    scratch::Dir dir;
    QImage flat(301, 203, QImage::Format_RGB32);
    flat.fill(QColor(40, 120, 200));
    struct Case {
        const char* format;
        int w, h;
        int tolerance;
    };
    for (const Case& c : {Case{"png", 97, 61, 1}, Case{"png", 777, 611, 1}, Case{"png", 1, 1, 1},
                          Case{"jpeg", 97, 61, 4}, Case{"jpeg", 33, 29, 4}}) {
        SCOPED_TRACE(testing::Message() << c.format << " " << c.w << "x" << c.h);
        auto src = Picture::Open(
            item(fixtures::write(dir, "u.img", fixtures::encode(flat, c.format, 98))));
        ASSERT_NE(src, nullptr);
        resizeLikeTheEngine(src, c.w, c.h, dir.at("u.png"), PNG);
        const QImage out = readBack(dir.at("u.png"));
        ASSERT_EQ(out.size(), QSize(c.w, c.h));
        int worst = 0;
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                worst = std::max(worst, distance(out.pixelColor(x, y), QColor(40, 120, 200)));
        EXPECT_LE(worst, c.tolerance);
    }
}

TEST(Picture, FineDetailIsFilteredNotAliased) {
    scratch::Dir dir;
    QImage checker(400, 300, QImage::Format_Grayscale8);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            checker.scanLine(y)[x] = ((x + y) % 2) ? 255 : 0;
    auto src = Picture::Open(item(fixtures::write(dir, "c.png", fixtures::encode(checker, "png"))));
    ASSERT_NE(src, nullptr);
    for (auto [w, h] : {std::pair{123, 91}, {200, 150}, {37, 300}}) {
        resizeLikeTheEngine(src, w, h, dir.at("c-out.png"), PNG);
        const QImage out = readBack(dir.at("c-out.png")).convertToFormat(QImage::Format_Grayscale8);
        int lo = 255, hi = 0;
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x) {
                lo = std::min<int>(lo, out.constScanLine(y)[x]);
                hi = std::max<int>(hi, out.constScanLine(y)[x]);
            }
        EXPECT_GE(lo, 112) << w << "x" << h;
        EXPECT_LE(hi, 143) << w << "x" << h;
    }
}

TEST(Picture, ScaledJpegDecodeCoversTheTarget) {
    // The smallest M/8 whose ceil(W * M / 8) x ceil(H * M / 8) still covers the need.
    struct Scale {
        int w, h;
        double needW, needH;
        int m;
    };
    for (const Scale& c :
         {Scale{5000, 3333, 1024, 682, 2}, Scale{8000, 6000, 1000, 750, 1},
          Scale{8000, 6000, 1001, 750, 2}, Scale{1920, 1080, 1024, 576, 5},
          Scale{3840, 2400, 1024, 640, 3}, Scale{640, 480, 641, 480, 8},
          Scale{100, 100, 12.5, 1, 1}, Scale{101, 100, 13, 1, 1}, Scale{101, 100, 13.5, 1, 2}})
        EXPECT_EQ(fw::pic::JpegReader::scaleFor(c.w, c.h, c.needW, c.needH), c.m)
            << c.w << "x" << c.h << " for " << c.needW << "x" << c.needH;

    scratch::Dir dir;
    struct Size {
        int W, H, w, h;
    };
    for (const Size& c :
         {Size{1001, 667, 333, 221}, Size{999, 1003, 7, 500}, Size{640, 480, 641, 479},
          Size{1600, 1200, 200, 150}, Size{1600, 1200, 201, 149}, Size{37, 23, 1, 1}}) {
        auto src = Picture::Open(item(fixtures::write(
            dir, "s.jpg", fixtures::encode(fixtures::quadrants(c.W, c.H), "jpeg"))));
        ASSERT_NE(src, nullptr);
        resizeLikeTheEngine(src, c.w, c.h, dir.at("s-out.jpg"), JPEG);
        const QImage out = readBack(dir.at("s-out.jpg"));
        EXPECT_EQ(out.size(), QSize(c.w, c.h)) << c.W << "x" << c.H;
        if (c.w >= 8 && c.h >= 8) {
            EXPECT_LE(distance(out.pixelColor(c.w / 4, c.h / 4), QColor(230, 0, 0)), 40);
        }
    }
}

TEST(Picture, SubRectanglesDrawWhereAsked) {
    scratch::Dir dir;
    auto src = Picture::Open(
        item(fixtures::write(dir, "q.png", fixtures::encode(fixtures::quadrants(40, 40), "png"))));
    ASSERT_NE(src, nullptr);
    Picture dst(40, 40, 32);
    // The bottom right quadrant (yellow) into the top left quarter, enlarged twice over.
    dst.Graphics().DrawPicture(*src, 0, 0, 20, 20, 30, 30, 10, 10);
    // The top left quadrant (red) into the bottom half, stretched.
    dst.Graphics().DrawPicture(*src, 0, 20, 40, 20, 0, 0, 20, 20);
    dst.Save(item(dir.at("sub.png")), PNG, 80);
    const QImage out = readBack(dir.at("sub.png"));
    EXPECT_LE(distance(out.pixelColor(10, 10), QColor(240, 220, 0)), 8);
    EXPECT_LE(distance(out.pixelColor(30, 10), QColor(Qt::white)), 2);
    EXPECT_LE(distance(out.pixelColor(5, 30), QColor(230, 0, 0)), 8);
    EXPECT_LE(distance(out.pixelColor(35, 30), QColor(230, 0, 0)), 8);

    // A mask drawn with a part of another mask: only that region turns transparent.
    auto alpha = Picture::Open(
        item(fixtures::write(dir, "a.png", fixtures::encode(halfTransparent(20, 20), "png"))));
    dst.Mask(true)->Graphics().DrawPicture(*alpha->Mask(true), 20, 0, 20, 20, 10, 0, 10, 20);
    dst.Save(item(dir.at("sub2.png")), PNG, 80);
    const QImage masked = readBack(dir.at("sub2.png")).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(masked.pixel(30, 10)), 0);
    EXPECT_EQ(qAlpha(masked.pixel(10, 10)), 255);
    EXPECT_EQ(qAlpha(masked.pixel(30, 30)), 255);
}

// Writes a JPEG row by row with libjpeg, without holding the picture in memory: the top half
// in one colour, the bottom half in another (components values as libjpeg takes them).
void writeJpegRows(const std::string& path, int w, int h, J_COLOR_SPACE space,
                   const std::vector<JSAMPLE>& top, const std::vector<JSAMPLE>& bottom) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    const int components = static_cast<int>(top.size());
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 50, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(w) * components);
    while (cinfo.next_scanline < cinfo.image_height) {
        const auto& colour = cinfo.next_scanline < static_cast<JDIMENSION>(h / 2) ? top : bottom;
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = colour[i % colour.size()];
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(file);
}

TEST(Picture, GreyAndCmykJpegsComeOutRight) {
    scratch::Dir dir;
    // Adobe CMYK stores inverted ink: (255, 0, 0, 255) is full magenta and yellow, that is red;
    // (0, 0, 255, 255) full cyan and magenta, blue.
    writeJpegRows(dir.at("cmyk.jpg"), 64, 64, JCS_CMYK, {255, 0, 0, 255}, {0, 0, 255, 255});
    writeJpegRows(dir.at("grey.jpg"), 64, 64, JCS_GRAYSCALE, {40}, {200});
    // Without Adobe's marker the inks are stored the same way, as libvips, ImageMagick and Pillow
    // read them; a progressive file decodes alike.
    dir.write("cmyk-no-adobe.jpg", picturefiles::jpeg(64, 64, {255, 0, 0, 255}, {0, 0, 255, 255},
                                                      {.adobeMarker = false}));
    dir.write("progressive.jpg",
              picturefiles::jpeg(64, 64, {230, 0, 0}, {0, 0, 230}, {.progressive = true}));
    struct Case {
        const char* file;
        QColor top, bottom;
    };
    for (const Case& c : {Case{"cmyk.jpg", QColor(255, 0, 0), QColor(0, 0, 255)},
                          Case{"cmyk-no-adobe.jpg", QColor(255, 0, 0), QColor(0, 0, 255)},
                          Case{"progressive.jpg", QColor(230, 0, 0), QColor(0, 0, 230)},
                          Case{"grey.jpg", QColor(40, 40, 40), QColor(200, 200, 200)}}) {
        auto src = Picture::Open(item(dir.at(c.file)));
        ASSERT_NE(src, nullptr) << c.file;
        for (auto format : {JPEG, PNG}) {
            const std::string out = dir.at(format == JPEG ? "out.jpg" : "out.png");
            resizeLikeTheEngine(Picture::Open(item(dir.at(c.file))), 20, 20, out, format, 95);
            const QImage image = readBack(out);
            EXPECT_LE(distance(image.pixelColor(10, 3), c.top), 12) << c.file << " " << format;
            EXPECT_LE(distance(image.pixelColor(10, 16), c.bottom), 12) << c.file << " " << format;
        }
    }
}

TEST(Picture, BigJpegDownsizesWithoutHoldingItWhole) {
    scratch::Dir dir;
    writeJpegRows(dir.at("big.jpg"), 12000, 9000, JCS_RGB, {220, 0, 0}, {0, 0, 220});
    auto src = Picture::Open(item(dir.at("big.jpg")));
    ASSERT_NE(src, nullptr);
    EXPECT_EQ(src->Width(), 12000);
    EXPECT_EQ(src->Height(), 9000);
    resizeLikeTheEngine(src, 1024, 768, dir.at("big-out.jpg"), JPEG);
    const auto* file = src->impl().as<fw::pic::FromFile>();
    ASSERT_NE(file, nullptr);
    const QImage& held = file->decoded;
    EXPECT_TRUE(held.isNull() || qint64{held.width()} * held.height() <= qint64{1500} * 1125);
    const QImage out = readBack(dir.at("big-out.jpg"));
    ASSERT_EQ(out.size(), QSize(1024, 768));
    EXPECT_LE(distance(out.pixelColor(500, 100), QColor(220, 0, 0)), 30);
    EXPECT_LE(distance(out.pixelColor(500, 700), QColor(0, 0, 220)), 30);
}

TEST(Picture, PictureAboveQtsDefaultLimitOpens) {
    // 33.6 megapixels of RGB: above the 128 MB Qt refuses by default.
    scratch::Dir dir;
    QImage big(5800, 5800, QImage::Format_RGB32);
    big.fill(QColor(0, 90, 180));
    const std::string path = fixtures::write(dir, "big.png", fixtures::encode(big, "png", 80));
    big = QImage();
    auto src = Picture::Open(item(path));
    ASSERT_NE(src, nullptr);
    resizeLikeTheEngine(src, 100, 100, dir.at("big-out.png"), PNG);
    EXPECT_LE(distance(readBack(dir.at("big-out.png")).pixelColor(50, 50), QColor(0, 90, 180)), 1);
}

// A JPEG is read as far as a draw needs it: one whose pixels turn out not to decode opens (its
// header is sound) and then raises on the draw, so that the batch skips it, and on a save.
TEST(Picture, JpegThatDoesNotDecodeRaisesWhenDrawn) {
    scratch::Dir dir;
    const std::string path = dir.write("garbage.jpg", picturefiles::garbageHuffmanJpeg(64, 48));
    auto src = Picture::Open(item(path));
    ASSERT_NE(src, nullptr);
    EXPECT_EQ(src->Width(), 64);
    Picture dst(32, 24, 32);
    EXPECT_THROW(dst.Graphics().DrawPicture(*src, 0, 0, 32, 24, 0, 0, 64, 48),
                 fw::UnsupportedFormatException);
    EXPECT_THROW(Picture::Open(item(path))->Save(item(dir.at("out.png")), PNG, 80),
                 fw::UnsupportedFormatException);
    EXPECT_FALSE(std::filesystem::exists(dir.at("out.png")));

    // Data that ends after the first row of blocks: that row is real, the rest is filled.
    auto cut = Picture::Open(item(dir.write("row.jpg", picturefiles::firstRowOnlyJpeg(640, 480))));
    ASSERT_NE(cut, nullptr);
    resizeLikeTheEngine(cut, 64, 48, dir.at("row.png"), PNG);
    EXPECT_EQ(readBack(dir.at("row.png")).size(), QSize(64, 48));
}

// WebP carries its orientation in an EXIF chunk, which Qt's plug-in ignores; the picture comes
// out upright as the JPEG with the same tag does, and Width and Height are the upright sizes.
TEST(Picture, WebpOrientationGivesUprightPictures) {
    scratch::Dir dir;
    const QByteArray plainJpeg = fixtures::encode(fixtures::quadrants(64, 40), "jpeg", 95);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const QImage expected =
            fixtures::uprightByQt(fixtures::withExifOrientation(plainJpeg, orientation));

        auto src = Picture::Open(
            item(dir.write("o.webp", picturefiles::webpWithOrientation(64, 40, orientation))));
        ASSERT_NE(src, nullptr);
        ASSERT_EQ(QSize(static_cast<int>(src->Width()), static_cast<int>(src->Height())),
                  expected.size());
        const auto w = src->Width() / 2;
        const auto h = src->Height() / 2;
        resizeLikeTheEngine(src, w, h, dir.at("o.png"), PNG);
        const QImage out = readBack(dir.at("o.png"));
        for (auto [fx, fy] : fixtures::kQuadrantCentres) {
            const QColor got = out.pixelColor(static_cast<int>(fx * w), static_cast<int>(fy * h));
            const QColor want = expected.pixelColor(static_cast<int>(fx * expected.width()),
                                                    static_cast<int>(fy * expected.height()));
            EXPECT_LE(distance(got, want), 40) << fx << "," << fy;
        }
    }
}

// An SVG is read alone: what would make Qt's renderer read another file keeps it from opening,
// while links, fragments and embedded pictures are its own.
TEST(Picture, SvgReadsNothingOutsideItself) {
    scratch::Dir dir;
    const std::string outside =
        dir.write("private.png", picturefiles::png(8, 8, picturefiles::PngKind::Palette));
    const std::string plain = picturefiles::svg(60, 30);
    auto withBody = [](const std::string& prolog, const std::string& body) {
        return prolog +
               "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
               "width='60' height='30'><rect width='60' height='30' fill='#ff0000'/>" +
               body + "</svg>";
    };
    struct Case {
        const char* what;
        std::string document;
        bool opens;
    };
    const Case cases[] = {
        {"plain", plain, true},
        {"a link",
         withBody("", "<a xlink:href='https://example.org/'><rect width='5' height='5'/></a>"),
         true},
        {"a fragment",
         withBody("", "<defs><rect id='r' width='5' height='5'/></defs><use xlink:href='#r'/>"),
         true},
        {"an embedded picture", picturefiles::svgEmbedding(plain), true},
        {"an absolute path", picturefiles::svgReferencing(outside), false},
        {"a relative path", picturefiles::svgReferencing("private.png"), false},
        {"a file URL", picturefiles::svgReferencing("file://" + outside), false},
        {"a web address", picturefiles::svgReferencing("https://example.org/a.png"), false},
        {"a plain href", withBody("", "<image width='60' height='30' href='" + outside + "'/>"),
         false},
        {"a stylesheet", picturefiles::svgReferencing(dir.at("s.css"), true), false},
        {"an external entity",
         withBody("<!DOCTYPE svg [<!ENTITY e SYSTEM '" + dir.at("e.xml") + "'>]>", "&e;"), false},
        {"an embedded picture that refers outside",
         picturefiles::svgEmbedding(picturefiles::svgReferencing(outside)), false},
    };
    for (const Case& c : cases) {
        auto src = Picture::Open(item(dir.write("d.svg", c.document)));
        EXPECT_EQ(src != nullptr, c.opens) << c.what;
        if (src) {
            resizeLikeTheEngine(src, 30, 15, dir.at("d.png"), PNG);
            EXPECT_LE(distance(readBack(dir.at("d.png")).pixelColor(5, 5), QColor(255, 0, 0)), 4)
                << c.what;
        }
    }
}

// Formats that decode whole meet the one memory cap at open.
TEST(Picture, PictureAboveTheMemoryCapDoesNotOpen) {
    scratch::Dir dir;
    const std::string path = dir.write("p.bmp", picturefiles::qtPicture(100, 100, "bmp"));
    const qint64 cap = fw::pic::pictureMemoryLimit();
    fw::pic::setPictureMemoryLimit(100 * 100 * 4 - 1);
    EXPECT_EQ(Picture::Open(item(path)), nullptr);
    fw::pic::setPictureMemoryLimit(100 * 100 * 4);
    EXPECT_NE(Picture::Open(item(path)), nullptr);
    fw::pic::setPictureMemoryLimit(cap);
}

// The zlib header of a PNG's first IDAT chunk tells the effort: its FLEVEL is 0 for level 1,
// 1 for 2..5, 2 for 6 and 3 for 7..9 (and 0 for stored data).
int zlibEffortOf(const std::string& png) {
    const QByteArray bytes = QByteArray::fromStdString(png);
    const auto idat = codecfixtures::firstChunk(bytes, "IDAT");
    if (!idat)
        return -1;
    return static_cast<unsigned char>(bytes[idat->offset + 1]) >> 6;
}

// PNG is lossless: the quality gives the same pixels and only sets zlib's effort, kept to its
// quick levels so that no quality takes many times longer than the default (the benchmark of
// hostile pictures times it).
TEST(Picture, PngQualityOnlySetsTheCompressionEffort) {
    scratch::Dir dir;
    auto src = Picture::Open(item(
        fixtures::write(dir, "q.png", fixtures::encode(fixtures::quadrants(200, 150), "png"))));
    ASSERT_NE(src, nullptr);
    const QImage reference = fixtures::quadrants(200, 150).convertToFormat(QImage::Format_RGB32);
    for (std::int64_t quality : {-1, 0, 1, 33, 34, 66, 67, 80, 100}) {
        SCOPED_TRACE(quality);
        src->Save(item(dir.at("out.png")), PNG, quality);
        const std::string bytes = scratch::readAll(dir.at("out.png"));
        EXPECT_LE(zlibEffortOf(bytes), 1);
        EXPECT_LT(bytes.size(), std::size_t{200} * 150) << "not compressed";
        EXPECT_EQ(readBack(dir.at("out.png")).convertToFormat(QImage::Format_RGB32), reference);
    }
}

QByteArray progressiveJpeg(const QImage& image) {
    return fixtures::encode(image, "jpeg", 95, /*progressive=*/true);
}

// libjpeg's big buffers (a progressive file's coefficients) come from a region kept from one
// picture to the next. A picture decoded there after another comes out as it does alone, even
// cut short, where the decoder relies on the coefficients it has not read being zero; and the
// next picture of the same size needs nothing more from the heap.
TEST(Picture, JpegMemoryIsReusedWithoutLeftovers) {
    scratch::Dir dir;
    QImage noise(800, 600, QImage::Format_RGB32);
    std::uint32_t seed = 1;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            seed = seed * 1664525 + 1013904223;
            noise.setPixel(x, y, seed >> 8);
        }
    const std::string noisy = fixtures::write(dir, "noisy.jpg", progressiveJpeg(noise));
    const QByteArray flat = progressiveJpeg(fixtures::quadrants(800, 600));
    const std::string cut = fixtures::write(dir, "cut.jpg", flat.left(flat.size() / 2));
    const auto resize = [&](const std::string& path, const std::string& out) {
        auto src = Picture::Open(item(path));
        ASSERT_NE(src, nullptr);
        resizeLikeTheEngine(src, 400, 300, dir.at(out), PNG);
    };
    fw::pic::releaseJpegMemory();
    resize(cut, "alone.png");
    resize(noisy, "noisy.png");
    const fw::pic::JpegMemoryStats before = fw::pic::jpegMemoryStats();
    resize(noisy, "noisy-again.png");
    const fw::pic::JpegMemoryStats after = fw::pic::jpegMemoryStats();
    EXPECT_GT(after.served, before.served);
    EXPECT_EQ(after.spilled, before.spilled);
    EXPECT_EQ(readBack(dir.at("noisy-again.png")), readBack(dir.at("noisy.png")));
    resize(cut, "after-noise.png");
    EXPECT_EQ(readBack(dir.at("after-noise.png")), readBack(dir.at("alone.png")));
}

// Qt's BMP plug-in takes a file cut short for a whole one and leaves the rows it did not reach
// as the allocator gave them. Whatever memory held before (here a marked pattern, freed), no
// trace of it may show in a saved picture: those rows come out mid-grey.
TEST(Picture, CutPictureShowsNoLeftoverMemory) {
    scratch::Dir dir;
    struct Case {
        const char* name;
        std::string whole;
    };
    const Case cases[] = {
        {"cut.bmp", picturefiles::qtPicture(100, 100, "bmp")},
        {"cut.ppm", picturefiles::qtPicture(100, 100, "ppm")},
        {"cut.tga", picturefiles::tga(100, 100)},
        {"cut.gif", picturefiles::gif(100, 100, 100, 100)},
        {"cut.ico", picturefiles::qtPicture(100, 100, "ico")},
        {"cut.tiff", picturefiles::tiff(100, 100)},
        {"cut.webp", picturefiles::qtPicture(100, 100, "webp", 100)},
    };
    for (const Case& c : cases) {
        for (std::size_t keep : {c.whole.size() / 3, c.whole.size() * 2 / 3}) {
            SCOPED_TRACE(testing::Message() << c.name << " " << keep);
            const std::string path = dir.write(c.name, picturefiles::truncated(c.whole, keep));
            for (int i = 0; i < 16; ++i) {
                std::vector<unsigned char> dirty(100 * 100 * 4, 0x5A);
                asm volatile("" : : "r"(dirty.data()) : "memory");
            }
            auto src = Picture::Open(item(path));
            if (src == nullptr)
                continue;  // not opening a cut file is as good
            resizeLikeTheEngine(src, 100, 100, dir.at("out.png"), PNG);
            const QImage out = readBack(dir.at("out.png")).convertToFormat(QImage::Format_RGB32);
            int leftover = 0;
            for (int y = 0; y < out.height(); ++y)
                for (int x = 0; x < out.width(); ++x)
                    leftover += out.pixel(x, y) == qRgb(0x5A, 0x5A, 0x5A);
            EXPECT_EQ(leftover, 0);
        }
    }
    // A BMP stores its bottom row first: cut at a third, its top rows are the filler.
    const std::string bmp = picturefiles::qtPicture(100, 100, "bmp");
    auto cut =
        Picture::Open(item(dir.write("top.bmp", picturefiles::truncated(bmp, bmp.size() / 3))));
    ASSERT_NE(cut, nullptr);
    resizeLikeTheEngine(cut, 100, 100, dir.at("top.png"), PNG);
    const QImage top = readBack(dir.at("top.png"));
    EXPECT_EQ(top.pixelColor(10, 5), QColor(128, 128, 128));
    EXPECT_LE(distance(top.pixelColor(10, 90), QColor(0, 0, 230)), 4);
}

}  // namespace
