#include "platform/picture/pixelops.h"

#include "platform/picture/imagebuffer.h"
#include "platform/picture/pixelrows.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace fw::pic {

namespace {

template <typename Pixel>
void orientPixels(const QImage& in, QImage& out, int orientation) {
    const int w = in.width();
    const int h = in.height();
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<Pixel*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            int sx = x;
            int sy = y;
            switch (orientation) {
                case 2:
                    sx = w - 1 - x;
                    break;
                case 3:
                    sx = w - 1 - x;
                    sy = h - 1 - y;
                    break;
                case 4:
                    sy = h - 1 - y;
                    break;
                case 5:
                    sx = y;
                    sy = x;
                    break;
                case 6:
                    sx = y;
                    sy = h - 1 - x;
                    break;
                case 7:
                    sx = w - 1 - y;
                    sy = h - 1 - x;
                    break;
                case 8:
                    sx = w - 1 - y;
                    sy = x;
                    break;
                default:
                    break;
            }
            row[x] = reinterpret_cast<const Pixel*>(in.constScanLine(sy))[sx];
        }
    }
}

}  // namespace

QImage orient(const QImage& image, int orientation) {
    if (orientation < 2 || orientation > 8 || image.isNull())
        return image;
    const bool swap = orientation >= 5;
    QImage out = newImage(swap ? image.height() : image.width(),
                          swap ? image.width() : image.height(), image.format());
    if (out.isNull())
        return {};
    if (image.depth() == 8)
        orientPixels<std::uint8_t>(image, out, orientation);
    else
        orientPixels<std::uint32_t>(image, out, orientation);
    return out;
}

bool hasAlpha(const QImage& image) {
    return image.format() == QImage::Format_RGBA8888 ||
           image.format() == QImage::Format_RGBA8888_Premultiplied;
}

bool allOpaque(const QImage& image) {
    if (!hasAlpha(image))
        return true;
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* p = image.constScanLine(y);
        std::uint8_t all = 255;
        for (int x = 0; x < image.width(); ++x)
            all &= p[4 * x + 3];
        if (all != 255)
            return false;
    }
    return true;
}

void unpremultiply(QImage& image) {
    if (image.format() != QImage::Format_RGBA8888_Premultiplied)
        return;
    for (int y = 0; y < image.height(); ++y)
        unpremultiplyRow(image.scanLine(y), image.width());
    image.reinterpretAsFormat(QImage::Format_RGBA8888);
}

void flattenOverWhite(QImage& image) {
    const bool straight = image.format() == QImage::Format_RGBA8888;
    if (!straight && image.format() != QImage::Format_RGBA8888_Premultiplied)
        return;
    for (int y = 0; y < image.height(); ++y)
        flattenRowOverWhite(image.scanLine(y), image.scanLine(y), image.width(), !straight);
    image.reinterpretAsFormat(QImage::Format_RGBX8888);
}

QImage alphaPlane(const QImage& image) {
    QImage plane = newImage(image.width(), image.height(), QImage::Format_Grayscale8);
    if (plane.isNull())
        return {};
    const bool alpha = hasAlpha(image);
    for (int y = 0; y < image.height(); ++y) {
        std::uint8_t* out = plane.scanLine(y);
        if (!alpha) {
            std::memset(out, 255, static_cast<std::size_t>(image.width()));
            continue;
        }
        const std::uint8_t* p = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            out[x] = p[4 * x + 3];
    }
    return plane;
}

QImage alphaFromGrey(const QImage& image) {
    QImage grey = image.format() == QImage::Format_Grayscale8
                      ? image.copy()
                      : image.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y) {
        std::uint8_t* p = grey.scanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            p[x] = static_cast<std::uint8_t>(255 - p[x]);
    }
    return grey;
}

void compositeOver(QImage& destination, const QImage& source, int x0, int y0) {
    const bool destinationAlpha = destination.format() == QImage::Format_RGBA8888;
    const bool grey = source.format() == QImage::Format_Grayscale8;
    const bool straight = source.format() == QImage::Format_RGBA8888;
    const bool premultiplied = source.format() == QImage::Format_RGBA8888_Premultiplied;
    for (int y = 0; y < source.height(); ++y) {
        const int dy = y0 + y;
        if (dy < 0 || dy >= destination.height())
            continue;
        const std::uint8_t* s = source.constScanLine(y);
        std::uint8_t* d = destination.scanLine(dy);
        for (int x = 0; x < source.width(); ++x) {
            const int dx = x0 + x;
            if (dx < 0 || dx >= destination.width())
                continue;
            std::uint8_t* q = d + 4 * dx;
            int colour[3];
            int a = 255;
            if (grey) {
                colour[0] = colour[1] = colour[2] = s[x];
            } else {
                const std::uint8_t* p = s + 4 * x;
                a = (straight || premultiplied) ? p[3] : 255;
                for (int c = 0; c < 3; ++c)
                    colour[c] = premultiplied ? std::min<int>(p[c], a) : (p[c] * a + 127) / 255;
            }
            if (grey || a == 255) {
                if (grey) {
                    q[0] = q[1] = q[2] = static_cast<std::uint8_t>(colour[0]);
                } else {
                    for (int c = 0; c < 3; ++c)
                        q[c] = s[4 * x + c];
                }
                q[3] = 255;
                continue;
            }
            // Source over, in premultiplied terms, then back to straight colour.
            const int da = destinationAlpha ? q[3] : 255;
            const int outA = a + (da * (255 - a) + 127) / 255;
            for (int c = 0; c < 3; ++c) {
                const int under = (q[c] * da + 127) / 255 * (255 - a);
                const int premul = colour[c] + (under + 127) / 255;
                q[c] = outA == 0 ? 0
                                 : unpremultiplied(static_cast<unsigned>(premul),
                                                   static_cast<unsigned>(outA));
            }
            q[3] = destinationAlpha ? static_cast<std::uint8_t>(outA) : 255;
        }
    }
}

void setAlpha(QImage& destination, const QImage& plane, int x0, int y0) {
    for (int y = 0; y < plane.height(); ++y) {
        const int dy = y0 + y;
        if (dy < 0 || dy >= destination.height())
            continue;
        const std::uint8_t* a = plane.constScanLine(y);
        std::uint8_t* d = destination.scanLine(dy);
        for (int x = 0; x < plane.width(); ++x) {
            const int dx = x0 + x;
            if (dx >= 0 && dx < destination.width())
                d[4 * dx + 3] = a[x];
        }
    }
}

}  // namespace fw::pic
