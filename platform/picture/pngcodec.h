#pragma once

#include <QByteArray>
#include <QImage>

#include <memory>

#include "platform/picture/picturesource.h"

namespace fw::pic {

// A PNG file read through libpng: the header at once, the pixels on demand. Rows go straight to a
// sink as they are inflated, so a big PNG is never held whole (an interlaced one is, since its
// passes cover the whole picture). More than 8 bits are rounded to 8, palettes and transparency
// keys expanded, grey stays one channel unless it has transparency.
class PngReader final : public PictureSource {
public:
    // Takes over the descriptor. Nil when the header does not parse, the picture would be too big
    // to decode, or the file is too short to hold its pixels.
    [[nodiscard]] static std::unique_ptr<PngReader> open(int fd);
    ~PngReader() override;
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    [[nodiscard]] QSize storedSize() const override;
    // From an eXIf chunk before the image data.
    [[nodiscard]] int orientation() const override;
    [[nodiscard]] bool mayHaveAlpha() const override;
    // Always full size. Null when any of the data is damaged or missing.
    [[nodiscard]] QImage decode(double needWidth, double needHeight) override;
    // Transparent rows come premultiplied. False when the data is damaged or missing, which may
    // be found only after some rows went to the sink.
    RowsResult decodeRows(double needWidth, double needHeight, RowSink& sink) override;
    // The iCCP profile; none for an sRGB chunk; a gAMA chunk (with cHRM) described as a profile.
    [[nodiscard]] QByteArray iccProfile() const override;

    struct State;

private:
    explicit PngReader(std::unique_ptr<State> state);
    std::unique_ptr<State> d;
};

}  // namespace fw::pic
