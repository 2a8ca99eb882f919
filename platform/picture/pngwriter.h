#pragma once

#include <QByteArray>
#include <QImage>

namespace fw::pic {

// zlib's level for a quality: PNG is lossless, so the quality only trades file size for time.
// Levels 1..3 keep every quality under twice the time of the default (quality 80, level 1:
// level 3 takes about 1.6 times as long); zlib's higher levels take up to 40 times as long for
// files a few percent smaller.
// Quality -1 means the default.
[[nodiscard]] int pngCompressionLevel(int quality);

// Writes the picture (Grayscale8, RGBX8888 or RGBA8888 with straight alpha, as a picture saves
// them) as PNG to the descriptor, row by row, with the colour profile as an iCCP chunk. Returns
// 0, or the errno of the failure (EINVAL for another format).
[[nodiscard]] int writePng(int fd, const QImage& image, int quality, const QByteArray& icc);

}  // namespace fw::pic
