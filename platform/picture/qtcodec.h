#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include <memory>

#include "platform/picture/picturesource.h"

namespace fw::pic {

// Any other format Qt's image plugins read (PNG, GIF, BMP, netpbm, TIFF, WebP, TGA, ICNS, SVG...),
// recognised by content. These formats decode whole, so a raster picture is decoded at open: a
// file that does not decode does not open, and one whose pixels would take more than
// pictureMemoryLimit() is not even tried. A vector picture is parsed at open and rendered at the
// size a draw needs; one that refers to anything outside itself does not open. The file's
// orientation is applied by Qt where its plug-in reads it, otherwise (WebP's EXIF) reported.
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
    [[nodiscard]] int orientation() const override { return m_orientation; }
    [[nodiscard]] bool mayHaveAlpha() const override { return m_mayHaveAlpha; }
    // Full size, except vector formats, which render at the size needed.
    [[nodiscard]] QImage decode(double needWidth, double needHeight) override;
    [[nodiscard]] QByteArray iccProfile() const override { return m_icc; }

private:
    QtPictureReader() = default;
    bool findFormat(const QByteArray& extension);
    bool openRaster();
    bool openVector();
    [[nodiscard]] std::unique_ptr<QImageReader> newReader();
    // A raster picture; null when the plug-in fails or reaches none of the file's pixels.
    [[nodiscard]] QImage readRaster(QImageReader& reader);
    [[nodiscard]] QImage read(QImageReader& reader);

    QFile m_file;
    QBuffer m_document;  // a vector picture's checked document, which the renderer reads
    QByteArray m_format;
    bool m_vector = false;
    QImage m_pixels;  // a raster picture, decoded at open, until the first decode takes it
    QSize m_size;
    int m_orientation = 1;
    bool m_mayHaveAlpha = true;
    QByteArray m_icc;
};

}  // namespace fw::pic
