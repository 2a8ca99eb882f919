#pragma once

#include <QByteArray>
#include <QImage>

#include <memory>

#include "platform/picture/picturesource.h"

namespace fw::pic {

// A JPEG XL file read through libjxl: the header at once, the pixels on demand, in 8 bits
// (libjxl rounds). Its first displayed frame is the picture. The orientation is the codestream's,
// which JPEG XL applies in place of any Exif orientation.
class JxlReader final : public PictureSource {
public:
    // Takes over the descriptor. Nil when the header does not parse or the picture would be too
    // big to decode.
    [[nodiscard]] static std::unique_ptr<JxlReader> open(int fd);
    ~JxlReader() override;
    JxlReader(const JxlReader&) = delete;
    JxlReader& operator=(const JxlReader&) = delete;

    [[nodiscard]] QSize storedSize() const override;
    [[nodiscard]] int orientation() const override;
    [[nodiscard]] bool mayHaveAlpha() const override;
    // Always full size. Null when the data is damaged or missing.
    [[nodiscard]] QImage decode(double needWidth, double needHeight) override;
    // Decodes as decode does, then hands on the rows, so that the decoded picture is released
    // as soon as it is drawn.
    RowsResult decodeRows(double needWidth, double needHeight, RowSink& sink) override;
    // The profile of the decoded pixels; none for sRGB.
    [[nodiscard]] QByteArray iccProfile() const override;

    struct State;

private:
    explicit JxlReader(std::unique_ptr<State> state);
    std::unique_ptr<State> d;
};

}  // namespace fw::pic
