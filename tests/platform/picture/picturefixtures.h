#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QColorSpace>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "engine/framework/folderitem.h"
#include "engine/framework/picture.h"
#include "tests/platform/scratch.h"

// Picture files made by the tests, with Qt's own codecs, and the engine's way of resizing one.
namespace fixtures {

// Empty when Qt cannot write the format.
inline QByteArray encode(const QImage& image, const char* format, int quality = 95,
                         bool progressive = false) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

inline void appendBigEndian16(QByteArray& out, unsigned value) {
    out.append(static_cast<char>((value >> 8) & 0xFF));
    out.append(static_cast<char>(value & 0xFF));
}

// The TIFF structure of Exif whose first IFD holds only the orientation tag, as PNG, WebP and
// HEIF carry it.
inline QByteArray exifTiff(int orientation, bool bigEndian) {
    auto u16 = [bigEndian](QByteArray& out, unsigned v) {
        if (bigEndian) {
            appendBigEndian16(out, v);
        } else {
            out.append(static_cast<char>(v & 0xFF));
            out.append(static_cast<char>((v >> 8) & 0xFF));
        }
    };
    auto u32 = [&](QByteArray& out, std::uint32_t v) {
        if (bigEndian) {
            u16(out, v >> 16);
            u16(out, v & 0xFFFF);
        } else {
            u16(out, v & 0xFFFF);
            u16(out, v >> 16);
        }
    };
    QByteArray p(bigEndian ? "MM" : "II");
    u16(p, 42);
    u32(p, 8);
    u16(p, 1);       // one entry
    u16(p, 0x0112);  // orientation
    u16(p, 3);       // SHORT
    u32(p, 1);
    u16(p, static_cast<unsigned>(orientation));
    u16(p, 0);
    u32(p, 0);  // no next IFD
    return p;
}

// The same in a JPEG's APP1 payload, after the "Exif\0\0" signature.
inline QByteArray exifPayload(int orientation, bool bigEndian) {
    return QByteArray("Exif\0\0", 6) + exifTiff(orientation, bigEndian);
}

// Where Qt's own JPEG reader, applying the file's Exif orientation, puts the pixels: the reference
// for upright pictures.
inline QImage uprightByQt(const QByteArray& taggedJpeg) {
    QBuffer buffer;
    buffer.setData(taggedJpeg);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(true);
    return reader.read();
}

// The centres of the four quadrants, as fractions of the width and height.
inline constexpr std::pair<double, double> kQuadrantCentres[] = {
    {0.25, 0.25}, {0.75, 0.25}, {0.25, 0.75}, {0.75, 0.75}};

// The JPEG with an Exif orientation segment inserted right after its start marker.
inline QByteArray withExifOrientation(const QByteArray& jpeg, int orientation,
                                      bool bigEndian = true) {
    const QByteArray payload = exifPayload(orientation, bigEndian);
    QByteArray segment;
    segment.append(static_cast<char>(0xFF));
    segment.append(static_cast<char>(0xE1));
    appendBigEndian16(segment, static_cast<unsigned>(payload.size() + 2));
    segment.append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

inline std::string write(const scratch::Dir& dir, const std::string& name,
                         const QByteArray& bytes) {
    return dir.write(name, bytes.toStdString());
}

inline fw::FolderItemPtr item(const std::string& path) {
    return fw::FolderItem::fromNativePath(path);
}

inline QImage readBack(const std::string& path) {
    QImageReader reader(QString::fromStdString(path));
    return reader.read();
}

// What one pass of the batch does with a picture: the scaled colour, then the scaled mask drawn
// into the new picture's mask, then the save.
inline void resizeLikeTheEngine(const fw::PicturePtr& src, std::int64_t w, std::int64_t h,
                                const std::string& out, std::int64_t format,
                                std::int64_t quality = 80) {
    const auto W = static_cast<double>(src->Width());
    const auto H = static_cast<double>(src->Height());
    auto dst = std::make_shared<fw::Picture>(w, h, 32);
    const auto dw = static_cast<double>(w);
    const auto dh = static_cast<double>(h);
    dst->Graphics().DrawPicture(*src, 0, 0, dw, dh, 0, 0, W, H);
    dst->Mask(true)->Graphics().DrawPicture(*src->Mask(true), 0, 0, dw, dh, 0, 0, W, H);
    dst->Save(item(out), format, quality);
}

// Four flat quadrants: red, green / blue, yellow.
inline QImage quadrants(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool right = x >= w / 2;
            const bool bottom = y >= h / 2;
            const QColor c = bottom ? (right ? QColor(240, 220, 0) : QColor(0, 0, 230))
                                    : (right ? QColor(0, 200, 0) : QColor(230, 0, 0));
            image.setPixelColor(x, y, c);
        }
    return image;
}

// The quadrants, with the red one (top left) fully transparent.
inline QImage quadrantsWithClearCorner(int w, int h) {
    QImage image = quadrants(w, h).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < h / 2; ++y)
        for (int x = 0; x < w / 2; ++x)
            image.setPixel(x, y, qRgba(230, 0, 0, 0));
    return image;
}

// Colours that hardly compress, so that a file's data spans many chunks.
inline QImage scrambled(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(
                x, y, qRgb((x * 7919 + y * 104729) % 251, (x * y * 31) % 253, (x + y * 13) % 255));
    return image;
}

inline QByteArray displayP3() {
    return QColorSpace(QColorSpace::DisplayP3).iccProfile();
}

inline int distance(QColor a, QColor b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                     std::abs(a.blue() - b.blue())});
}

}  // namespace fixtures
