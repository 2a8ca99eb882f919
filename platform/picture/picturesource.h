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
    // The decoded size and format (Grayscale8, RGBX8888, or RGBA8888_Premultiplied for pictures
    // with transparency), before the first row; false to stop.
    virtual bool begin(int width, int height, QImage::Format format) = 0;
    virtual void row(const std::uint8_t* pixels) = 0;
};

// What a decode of rows into a sink came to.
enum class RowsResult {
    Decoded,      // every row went to the sink (rows past damaged or missing data filled)
    Unsupported,  // the codec cannot hand rows out one by one: use decode()
    Failed,       // the pixels do not decode after all (see decode), or the sink stopped
};

// A picture file whose header has been read; its pixels are decoded on demand, at the smallest
// resolution that covers what a draw needs. A file whose header reads can still turn out to be
// no picture when its pixels are decoded: decode and decodeRows then report the failure, and
// the file counts as one that did not open.
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
    // reduced size, otherwise at full size; Grayscale8, RGBX8888 or RGBA8888. Null when the pixels
    // do not decode: no row of real picture data (a file cut or damaged before its first row),
    // or more memory or work than a picture may take.
    [[nodiscard]] virtual QImage decode(double needWidth, double needHeight) = 0;
    // Like decode, but hands the rows to the sink as they come, holding only a strip of them.
    virtual RowsResult decodeRows(double needWidth, double needHeight, RowSink& sink) {
        (void)needWidth;
        (void)needHeight;
        (void)sink;
        return RowsResult::Unsupported;
    }
    // The embedded colour profile that fits the decoded pixels; empty when there is none (or not
    // yet known before the first decode).
    [[nodiscard]] virtual QByteArray iccProfile() const = 0;
};

// Opens the file at that path (bytes as the file system has them) by its content. Nil when it is
// missing, not a regular file, or not a picture that a codec recognises.
[[nodiscard]] std::unique_ptr<PictureSource> openPictureSource(const std::string& path);

// The most memory the decoded pixels of one picture may take: 2 GiB. A file read whole (every
// format but JPEG) whose pixels would take more does not open; a JPEG is decoded at the scale a
// draw needs within the same bound, and libjpeg's own working memory (a progressive file keeps
// all of its coefficients) stays within half of it.
[[nodiscard]] qint64 pictureMemoryLimit();
// For the fuzz target, which runs under a lower memory cap than a desktop.
void setPictureMemoryLimit(qint64 bytes);

// Whether an ICC profile describes the colour model of pixels with that many colour channels
// (1 grey, 3 RGB).
[[nodiscard]] bool iccProfileFits(const QByteArray& profile, int colourChannels);

}  // namespace fw::pic
