#pragma once

#include <QByteArray>
#include <QImage>

#include <memory>

#include "platform/picture/picturesource.h"

namespace fw::pic {

// A HEIF file (HEIC, AVIF and other codecs that libheif decodes) read through libheif: its primary
// image, upright and cropped by the file's own transformations (irot, imir, clap), which HEIF
// applies in place of any Exif orientation. Thumbnails, depth and other auxiliary images are not
// the picture. More than 8 bits are rounded to 8.
class HeifReader final : public PictureSource {
public:
    // Takes over the descriptor. Nil when libheif does not read the file's structure or the
    // picture would be too big to decode.
    [[nodiscard]] static std::unique_ptr<HeifReader> open(int fd);
    ~HeifReader() override;
    HeifReader(const HeifReader&) = delete;
    HeifReader& operator=(const HeifReader&) = delete;

    // The upright size: libheif applies the transformations while decoding.
    [[nodiscard]] QSize storedSize() const override;
    [[nodiscard]] int orientation() const override { return 1; }
    [[nodiscard]] bool mayHaveAlpha() const override;
    // Always full size (the codecs cannot decode smaller). Null when the data does not decode.
    [[nodiscard]] QImage decode(double needWidth, double needHeight) override;
    // Decodes whole, then hands on the rows (transparent ones premultiplied) without an 8-bit
    // copy of the picture.
    RowsResult decodeRows(double needWidth, double needHeight, RowSink& sink) override;
    // The ICC profile, or one made from the nclx colour description when that is not sRGB.
    [[nodiscard]] QByteArray iccProfile() const override;

    struct State;

private:
    explicit HeifReader(std::unique_ptr<State> state);
    std::unique_ptr<State> d;
};

}  // namespace fw::pic
