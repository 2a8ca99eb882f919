#include "platform/picture/pixelrows.h"

#include <algorithm>
#include <array>

namespace fw::pic {

void premultiplyRow(std::uint8_t* rgba, int width) {
    for (int x = 0; x < width; ++x, rgba += 4) {
        const unsigned a = rgba[3];
        if (a == 255)
            continue;
        for (int c = 0; c < 3; ++c)
            rgba[c] = static_cast<std::uint8_t>((rgba[c] * a + 127) / 255);
    }
}

void unpremultiplyRow(std::uint8_t* rgba, int width) {
    for (int x = 0; x < width; ++x, rgba += 4) {
        const unsigned a = rgba[3];
        if (a == 255)
            continue;
        if (a == 0) {
            rgba[0] = rgba[1] = rgba[2] = 0;
            continue;
        }
        for (int c = 0; c < 3; ++c)
            rgba[c] = unpremultiplied(rgba[c], a);
    }
}

void flattenRowOverWhite(const std::uint8_t* in, std::uint8_t* out, int width, bool premultiplied) {
    for (int x = 0; x < width; ++x, in += 4, out += 4) {
        const int a = in[3];
        for (int c = 0; c < 3; ++c) {
            const int colour = premultiplied ? std::min<int>(in[c], a) : (in[c] * a + 127) / 255;
            out[c] = static_cast<std::uint8_t>(colour + 255 - a);
        }
        out[3] = 255;
    }
}

void rgbToRgbx(const std::uint8_t* rgb, std::uint8_t* rgbx, int width) {
    for (int x = 0; x < width; ++x, rgb += 3, rgbx += 4) {
        rgbx[0] = rgb[0];
        rgbx[1] = rgb[1];
        rgbx[2] = rgb[2];
        rgbx[3] = 255;
    }
}

bool handRows(QImage& image, RowSink& sink) {
    const bool alpha = image.format() == QImage::Format_RGBA8888;
    if (!sink.begin(image.width(), image.height(),
                    alpha ? QImage::Format_RGBA8888_Premultiplied : image.format()))
        return false;
    for (int y = 0; y < image.height(); ++y) {
        std::uint8_t* row = image.scanLine(y);
        if (alpha)
            premultiplyRow(row, image.width());
        sink.row(row);
    }
    return true;
}

DepthReducer::DepthReducer(int bits) {
    const unsigned max = (1u << std::clamp(bits, 1, 16)) - 1;
    m_table.resize(65536);
    for (unsigned v = 0; v < 65536; ++v) {
        // Values above the depth's maximum (malformed data) saturate.
        const unsigned clamped = std::min(v, max);
        m_table[v] = static_cast<std::uint8_t>((clamped * 255u * 2 + max) / (2 * max));
    }
}

void DepthReducer::reduce(const std::uint16_t* in, std::uint8_t* out, int count) const {
    const std::uint8_t* table = m_table.data();
    for (int i = 0; i < count; ++i)
        out[i] = table[in[i]];
}

}  // namespace fw::pic
