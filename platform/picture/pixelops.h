#pragma once

#include <QImage>

// Whole-picture pixel operations on the formats pictures keep: Grayscale8, RGBX8888, RGBA8888
// (straight alpha) and RGBA8888_Premultiplied.
namespace fw::pic {

// The pixels with the orientation (1..8, as the Exif tag counts) applied: upright.
[[nodiscard]] QImage orient(const QImage& image, int orientation);

[[nodiscard]] bool hasAlpha(const QImage& image);
// True when every pixel is fully opaque.
[[nodiscard]] bool allOpaque(const QImage& image);

// RGBA8888_Premultiplied -> RGBA8888, in place; colour above alpha (filter ringing) is clamped.
void unpremultiply(QImage& image);
// Transparent pixels composited over white -> RGBX8888, in place.
void flattenOverWhite(QImage& image);

// The transparency as Grayscale8 (255 opaque).
[[nodiscard]] QImage alphaPlane(const QImage& image);
// Grey levels as a mask shows them: dark is opaque (alpha = 255 - grey), and back.
[[nodiscard]] QImage alphaFromGrey(const QImage& image);

// Composites the source (any of the formats) over the destination (RGBX8888 or RGBA8888)
// with its top left corner at (x, y).
void compositeOver(QImage& destination, const QImage& source, int x, int y);
// Sets the alpha of the destination (RGBA8888) from a Grayscale8 plane placed at (x, y).
void setAlpha(QImage& destination, const QImage& plane, int x, int y);

}  // namespace fw::pic
