#pragma once

#include <QByteArray>
#include <QImage>

#include <memory>

#include "platform/picture/picturesource.h"

namespace fw::pic {

// A JPEG file read through libjpeg-turbo: the header at once, the pixels on demand with the DCT
// scaling that covers the need.
class JpegReader final : public PictureSource {
public:
    // Takes over the descriptor. Nil when the header does not parse.
    [[nodiscard]] static std::unique_ptr<JpegReader> open(int fd);
    ~JpegReader() override;
    JpegReader(const JpegReader&) = delete;
    JpegReader& operator=(const JpegReader&) = delete;

    [[nodiscard]] QSize storedSize() const override;
    [[nodiscard]] int orientation() const override;
    [[nodiscard]] bool mayHaveAlpha() const override { return false; }
    // Decodes at the smallest scale M/8 (M in 1..8) whose output covers the need on both axes.
    // Rows that damaged or missing data do not reach come out mid-grey; a file without any row
    // decoded whole and clean, or whose scans would take too long, gives nothing.
    [[nodiscard]] QImage decode(double needWidth, double needHeight) override;
    RowsResult decodeRows(double needWidth, double needHeight, RowSink& sink) override;
    [[nodiscard]] QByteArray iccProfile() const override;

    // The scale numerator (over 8) that decode picks for that need on a picture of that size.
    [[nodiscard]] static int scaleFor(int width, int height, double needWidth, double needHeight);

    struct State;

private:
    explicit JpegReader(std::unique_ptr<State> state);
    // Reads the header again when needed and sets the scale; false when it fails or the
    // decoded pixels would be unreasonably big.
    bool prepare(double needWidth, double needHeight);
    std::unique_ptr<State> d;
};

// Writes the picture (Grayscale8, RGBX8888, RGBA8888 or RGBA8888_Premultiplied; transparency is
// composited over white) as a baseline 4:2:0 JPEG to the descriptor. Quality -1 means 75.
// Returns 0, or the errno of the failure.
[[nodiscard]] int writeJpeg(int fd, const QImage& image, int quality, const QByteArray& icc);

}  // namespace fw::pic
