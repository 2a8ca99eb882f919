#include "tests/platform/picture/samplefiles.h"

#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "tests/platform/picture/codecfixtures.h"
#include "tests/platform/picture/picturefixtures.h"

namespace samplefiles {

namespace {

// The stored pixel that an orientation shows at an upright position (Exif's definition).
void storedPosition(int orientation, int x, int y, int storedW, int storedH, int& sx, int& sy) {
    sx = x;
    sy = y;
    switch (orientation) {
        case 2:
            sx = storedW - 1 - x;
            break;
        case 3:
            sx = storedW - 1 - x;
            sy = storedH - 1 - y;
            break;
        case 4:
            sy = storedH - 1 - y;
            break;
        case 5:
            sx = y;
            sy = x;
            break;
        case 6:
            sx = y;
            sy = storedH - 1 - x;
            break;
        case 7:
            sx = storedW - 1 - y;
            sy = storedH - 1 - x;
            break;
        case 8:
            sx = storedW - 1 - y;
            sy = x;
            break;
        default:
            break;
    }
}

QImage turned(const QImage& upright, int orientation) {
    const bool swap = orientation >= 5;
    const int w = swap ? upright.height() : upright.width();
    const int h = swap ? upright.width() : upright.height();
    QImage stored(w, h, QImage::Format_RGB32);
    for (int y = 0; y < upright.height(); ++y)
        for (int x = 0; x < upright.width(); ++x) {
            int sx = 0;
            int sy = 0;
            storedPosition(orientation, x, y, w, h, sx, sy);
            stored.setPixel(sx, sy, upright.pixel(x, y));
        }
    return stored;
}

QByteArray encoded(Format format, const QImage& stored, int orientation) {
    using namespace codecfixtures;
    switch (format) {
        case Format::Jpeg:
            return fixtures::withExifOrientation(fixtures::encode(stored, "jpeg", 95), orientation);
        case Format::Png:
            return png(stored, {.orientation = orientation});
        case Format::Heic:
            return heif(stored, {.orientation = orientation});
        case Format::Avif:
            return heif(stored, {.codec = HeifCodec::Av1, .orientation = orientation});
        case Format::Jxl:
            return jxl(stored, {.lossless = false, .orientation = orientation});
    }
    return {};
}

}  // namespace

std::string upright(Format format, int orientation) {
    return encoded(format, turned(fixtures::quadrants(64, 40), orientation), orientation)
        .toStdString();
}

std::string damaged(Format format, Damage damage) {
    const QByteArray whole = encoded(format, fixtures::scrambled(160, 120), 1);
    switch (damage) {
        case Damage::CutInHalf:
            return whole.left(whole.size() / 2).toStdString();
        case Damage::Scrambled: {
            QByteArray scrambled = whole;
            for (qsizetype i = scrambled.size() / 4; i < scrambled.size(); i += 5)
                scrambled[i] = static_cast<char>(scrambled[i] ^ 0x5A);
            return scrambled.toStdString();
        }
        case Damage::BadCrc:
            return codecfixtures::withBadCrc(whole, "IDAT").toStdString();
        case Damage::HeaderClaims32767:
            return codecfixtures::pngHeaderOnly(32767, 32767).toStdString();
        case Damage::HeaderClaims100000:
            return codecfixtures::pngHeaderOnly(100000, 100000).toStdString();
        case Damage::HeaderClaims100:
            return codecfixtures::pngHeaderOnly(100, 100).toStdString();
    }
    throw std::logic_error("unknown damage");
}

Rgb colourAt(const std::string& file, int x, int y) {
    QImageReader reader(QString::fromStdString(file));
    const QImage image = reader.read();
    if (image.isNull() || !image.rect().contains(x, y))
        return {};
    const QRgb c = image.pixel(x, y);
    return {qRed(c), qGreen(c), qBlue(c)};
}

int distance(const Rgb& a, const Rgb& b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

}  // namespace samplefiles
