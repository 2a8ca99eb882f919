#pragma once

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include <memory>

#include "platform/picture/picturesource.h"

namespace fw::pic {

// Any other format Qt's image plugins read (PNG, GIF, BMP, netpbm, TIFF, WebP, TGA, ICNS, SVG...),
// recognised by content. The file's own orientation is applied by Qt.
class QtPictureReader final : public PictureSource {
public:
    // Takes over the descriptor. The format that the name's extension gives is tried first when
    // its plugin accepts the content (formats without a signature, such as TGA, are otherwise
    // taken for another), then any plugin that recognises the content. Nil when none does.
    [[nodiscard]] static std::unique_ptr<QtPictureReader> open(int fd, const QByteArray& extension);
    ~QtPictureReader() override;
    QtPictureReader(const QtPictureReader&) = delete;
    QtPictureReader& operator=(const QtPictureReader&) = delete;

    [[nodiscard]] QSize storedSize() const override { return m_size; }
    [[nodiscard]] int orientation() const override { return 1; }
    [[nodiscard]] bool mayHaveAlpha() const override { return m_mayHaveAlpha; }
    // Full size, except vector formats, which render at the size needed.
    [[nodiscard]] QImage decode(double needWidth, double needHeight) override;
    [[nodiscard]] QByteArray iccProfile() const override { return m_icc; }

private:
    QtPictureReader() = default;
    bool readHeader(const QByteArray& extension);
    void newReader(const QByteArray& format);
    [[nodiscard]] QImage read(QImageReader& reader);

    QFile m_file;
    std::unique_ptr<QImageReader> m_reader;
    QSize m_size;
    bool m_mayHaveAlpha = true;
    bool m_vector = false;
    bool m_used = false;
    QByteArray m_format;
    QImage m_early;  // read at once when the header gives no size
    QByteArray m_icc;
};

// The picture (Grayscale8, RGBX8888 or RGBA8888) as PNG bytes, with the colour profile as an iCCP
// chunk; quality maps to compression as Qt does. Empty on failure.
[[nodiscard]] QByteArray encodePng(const QImage& image, int quality, const QByteArray& icc);

}  // namespace fw::pic
