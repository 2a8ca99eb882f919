#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <cstdint>
#include <memory>
#include <string>

namespace fw::pic {

// Takes decoded rows one by one, top to bottom.
class RowSink {
public:
    virtual ~RowSink() = default;
    // The decoded size and format (Grayscale8 or RGBX8888), before the first row; false to stop.
    virtual bool begin(int width, int height, QImage::Format format) = 0;
    virtual void row(const std::uint8_t* pixels) = 0;
};

// A picture file whose header has been read; its pixels are decoded on demand, at the smallest
// resolution that covers what a draw needs.
class PictureSource {
public:
    virtual ~PictureSource() = default;

    // The size of the decoded pixels at full resolution, before the orientation is applied.
    [[nodiscard]] virtual QSize storedSize() const = 0;
    // The orientation (1..8, as the Exif tag counts) still to apply to the decoded pixels.
    [[nodiscard]] virtual int orientation() const = 0;
    // False when the file is known to have no transparency.
    [[nodiscard]] virtual bool mayHaveAlpha() const = 0;
    // Pixels covering at least needWidth x needHeight (stored axes) when the codec can decode at a
    // reduced size, otherwise at full size; Grayscale8, RGBX8888 or RGBA8888. Null on failure.
    [[nodiscard]] virtual QImage decode(double needWidth, double needHeight) = 0;
    // Like decode, but hands the rows to the sink as they come, holding only a strip of them.
    // False when the codec cannot (use decode), or when the sink stopped or nothing decoded.
    virtual bool decodeRows(double needWidth, double needHeight, RowSink& sink) {
        (void)needWidth;
        (void)needHeight;
        (void)sink;
        return false;
    }
    // The embedded colour profile that fits the decoded pixels; empty when there is none (or not
    // yet known before the first decode).
    [[nodiscard]] virtual QByteArray iccProfile() const = 0;
};

// Opens the file at that path (bytes as the file system has them) by its content. Nil when it is
// missing, not a regular file, or not a picture that a codec recognises.
[[nodiscard]] std::unique_ptr<PictureSource> openPictureSource(const std::string& path);

// Whether an ICC profile describes the colour model of pixels with that many colour channels
// (1 grey, 3 RGB).
[[nodiscard]] bool iccProfileFits(const QByteArray& profile, int colourChannels);

}  // namespace fw::pic
