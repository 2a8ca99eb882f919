#include "platform/picture/qtcodec.h"

#include <QBuffer>
#include <QColor>
#include <QColorSpace>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QtEndian>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/picture/decodelimits.h"
#include "platform/picture/exiforientation.h"
#include "platform/picture/svgdocument.h"

namespace fw::pic {

namespace {

// Pictures read through Qt are kept at four bytes a pixel.
constexpr int keptBytesPerPixel = 4;

// Some of Qt's plug-ins (BMP) report success for a file cut short and leave the rows they did not
// reach as the allocator gave them: memory of earlier pictures, or of anything else, would show
// in the saved picture. They fill the image they are handed when its size and format fit, so
// they get one filled beforehand: with the shown filler, mid-grey as a JPEG's missing rows are,
// or with the probe, which tells whether they reached any pixel at all.
enum class Filler { Shown, Probe };

void fill(QImage& image, Filler filler) {
    if (filler == Filler::Probe)
        image.fill(~0u);
    else if (image.colorCount() > 0 || image.depth() < 8)
        image.fill(0);
    else
        image.fill(QColor(128, 128, 128));
}

QImage prefilled(QImageReader& reader, Filler filler) {
    const QSize size = reader.size();
    const QImage::Format format = reader.imageFormat();
    if (!size.isValid() || size.isEmpty() || format == QImage::Format_Invalid ||
        !decodedSizeFits(size.width(), size.height(), keptBytesPerPixel))
        return {};
    QImage image(size, format);
    if (!image.isNull())
        fill(image, filler);
    return image;
}

// The bytes of one row's pixels (without the padding).
QByteArray rowBytes(const QImage& image, int y) {
    const qint64 used = (qint64{image.width()} * image.depth() + 7) / 8;
    return QByteArray(reinterpret_cast<const char*>(image.constScanLine(y)),
                      static_cast<qsizetype>(used));
}

// Reads through the plug-in over an image filled beforehand. Null when the plug-in fails;
// untouched tells whether every pixel is still the filler.
QImage readOver(QImageReader& reader, Filler filler, bool& untouched) {
    QImage image = prefilled(reader, filler);
    const QImage::Format format = image.format();
    const QByteArray row = image.isNull() ? QByteArray() : rowBytes(image, 0);
    untouched = false;
    if (!reader.read(&image) || image.isNull())
        return {};
    if (row.isEmpty() || image.format() != format)
        return image;
    untouched = true;
    for (int y = 0; y < image.height() && untouched; ++y)
        untouched = rowBytes(image, y) == row;
    return image;
}

// Qt's TGA plug-in reads uncompressed pixels one by one and makes up those past the end of the
// file (black), asking the file again for each: a header alone that declared millions of pixels
// took seconds and came out as a black picture. The file must hold the pixels it declares, and
// the footer that the plug-in requires after them.
bool tgaHoldsItsPixels(QIODevice& file) {
    if (!file.seek(0))
        return false;
    const QByteArray header = file.read(18);
    if (header.size() < 18)
        return false;
    const auto byte = [&header](int i) { return qint64{static_cast<quint8>(header[i])}; };
    const qint64 width = byte(12) | byte(13) << 8;
    const qint64 height = byte(14) | byte(15) << 8;
    const qint64 pixelBytes = width * height * ((byte(16) + 7) / 8);
    constexpr qint64 footer = 26;
    return file.size() >= header.size() + byte(0) + pixelBytes + footer;
}

// The orientation in a WebP file's EXIF chunk; 1 when there is none. RIFF chunks are a FourCC,
// a little-endian size and the data, padded to an even length.
int webpOrientation(QIODevice& file) {
    if (!file.seek(12))
        return 1;
    for (int chunk = 0; chunk < 1024; ++chunk) {
        const QByteArray header = file.read(8);
        if (header.size() < 8)
            return 1;
        const quint32 size = qFromLittleEndian<quint32>(header.constData() + 4);
        if (header.startsWith("EXIF")) {
            // The first directory, which holds the orientation, comes early.
            // Writers differ on whether the APP1 signature comes first.
            const QByteArray exif = file.read(std::min<qint64>(size, 1 << 16));
            const auto* data = reinterpret_cast<const std::uint8_t*>(exif.constData());
            const auto length = static_cast<std::size_t>(exif.size());
            return exif.startsWith(QByteArray("Exif\0\0", 6)) ? exifOrientation(data, length)
                                                              : tiffOrientation(data, length);
        }
        if (!file.seek(file.pos() + size + (size & 1)))
            return 1;
    }
    return 1;
}

}  // namespace

QtPictureReader::~QtPictureReader() = default;

std::unique_ptr<QtPictureReader> QtPictureReader::open(int fd, const QByteArray& extension) {
    std::unique_ptr<QtPictureReader> reader(new QtPictureReader);
    if (!reader->m_file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    if (!reader->findFormat(extension))
        return nullptr;
    reader->m_vector = reader->m_format == "svg" || reader->m_format == "svgz";
    if (!(reader->m_vector ? reader->openVector() : reader->openRaster()))
        return nullptr;
    return reader;
}

bool QtPictureReader::findFormat(const QByteArray& extension) {
    const QList<QByteArray> known = QImageReader::supportedImageFormats();
    if (!extension.isEmpty() && known.contains(extension)) {
        m_format = extension;
        if (newReader()->canRead())
            return true;
    }
    m_format.clear();
    const std::unique_ptr<QImageReader> probe = newReader();
    if (!probe->canRead())
        return false;
    m_format = probe->format();
    return true;
}

std::unique_ptr<QImageReader> QtPictureReader::newReader() {
    QIODevice* device = m_vector ? static_cast<QIODevice*>(&m_document) : &m_file;
    device->seek(0);
    auto reader = std::make_unique<QImageReader>(device, m_vector ? QByteArray("svg") : m_format);
    reader->setAutoTransform(true);
    return reader;
}

bool QtPictureReader::openRaster() {
    QImageReader::setAllocationLimit(static_cast<int>(pictureMemoryLimit() >> 20));
    if (m_format == "tga" && !tgaHoldsItsPixels(m_file))
        return false;
    const std::unique_ptr<QImageReader> reader = newReader();
    const QSize header = reader->size();
    if (header.isValid() && !decodedSizeFits(header.width(), header.height(), keptBytesPerPixel))
        return false;
    m_pixels = read(*reader);
    if (m_pixels.isNull())
        return false;
    if (m_format == "webp" && !reader->supportsOption(QImageIOHandler::ImageTransformation))
        m_orientation = webpOrientation(m_file);
    m_size = m_pixels.size();
    m_mayHaveAlpha = m_pixels.hasAlphaChannel();
    return true;
}

bool QtPictureReader::openVector() {
    if (!m_file.seek(0))
        return false;
    const QByteArray document = svgDocument(m_file);
    if (document.isEmpty())
        return false;
    const SvgContent content = svgContent(document);
    // Without a GUI application, Qt aborts the process on the first text it is asked to draw.
    const bool fonts = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (content.readsOutside || (content.hasText && !fonts))
        return false;
    m_document.setData(document);
    if (!m_document.open(QIODevice::ReadOnly))
        return false;
    const QSize size = newReader()->size();
    if (!size.isValid() || size.isEmpty())
        return false;
    m_size = size;
    return true;
}

QImage QtPictureReader::readRaster(QImageReader& reader) {
    bool untouched = false;
    QImage image = readOver(reader, Filler::Shown, untouched);
    if (image.isNull() || !untouched)
        return image;
    // The picture is the filler alone: either its pixels are the filler's colour, or the
    // plug-in reached none of them. Read over the probe, it tells which.
    image = QImage();
    const std::unique_ptr<QImageReader> again = newReader();
    QImage probe = readOver(*again, Filler::Probe, untouched);
    if (probe.isNull() || untouched)
        return {};
    // Every pixel the plug-in wrote had the shown filler's value.
    fill(probe, Filler::Shown);
    return probe;
}

QImage QtPictureReader::read(QImageReader& reader) {
    QImage image = m_vector ? QImage() : readRaster(reader);
    if ((m_vector && !reader.read(&image)) || image.isNull())
        return {};
    const QColorSpace space = image.colorSpace();
    m_icc = space.isValid() && space != QColorSpace(QColorSpace::SRgb) ? space.iccProfile()
                                                                       : QByteArray();
    // The profile travels as bytes; the pixels are never converted.
    image.setColorSpace(QColorSpace());
    if (image.hasAlphaChannel())
        image.convertTo(QImage::Format_RGBA8888);
    else if (image.isGrayscale())
        image.convertTo(QImage::Format_Grayscale8);
    else
        image.convertTo(QImage::Format_RGBX8888);
    if (!iccProfileFits(m_icc, image.format() == QImage::Format_Grayscale8 ? 1 : 3))
        m_icc.clear();
    return image;
}

QImage QtPictureReader::decode(double needWidth, double needHeight) {
    if (!m_pixels.isNull())
        return std::exchange(m_pixels, QImage());
    const std::unique_ptr<QImageReader> reader = newReader();
    if (m_vector && needWidth >= 1 && needHeight >= 1) {
        const double width = std::min(std::ceil(needWidth), 32767.0);
        const double height = std::min(std::ceil(needHeight), 32767.0);
        if (!decodedSizeFits(static_cast<qint64>(width), static_cast<qint64>(height),
                             keptBytesPerPixel))
            return {};
        reader->setScaledSize(QSize(static_cast<int>(width), static_cast<int>(height)));
    }
    return read(*reader);
}

}  // namespace fw::pic
