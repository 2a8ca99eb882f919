#include "platform/picture/qtcodec.h"

#include <QBuffer>
#include <QColorSpace>
#include <QImageWriter>
#include <QPixelFormat>

#include <unistd.h>

#include <array>
#include <cmath>
#include <mutex>

namespace fw::pic {

namespace {

// Qt refuses images above 128 MB by default (about 33 megapixels); big photographs and scans
// are in scope, while forged headers still meet a limit.
void raiseAllocationLimit() {
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(2048); });
}

bool formatMayHaveAlpha(QImage::Format format) {
    switch (format) {
        case QImage::Format_RGB32:
        case QImage::Format_RGB888:
        case QImage::Format_BGR888:
        case QImage::Format_RGB16:
        case QImage::Format_RGB555:
        case QImage::Format_RGB666:
        case QImage::Format_RGB444:
        case QImage::Format_RGBX8888:
        case QImage::Format_RGBX64:
        case QImage::Format_BGR30:
        case QImage::Format_RGB30:
        case QImage::Format_Grayscale8:
        case QImage::Format_Grayscale16:
            return false;
        default:
            return true;
    }
}

std::uint32_t crc32(const QByteArray& bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (char b : bytes)
        c = table[(c ^ static_cast<std::uint8_t>(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void appendBigEndian(QByteArray& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(static_cast<char>((value >> shift) & 0xFF));
}

// The profile goes in right after IHDR, before any palette or image data, as PNG requires.
QByteArray withIccChunk(const QByteArray& png, const QByteArray& icc) {
    constexpr qsizetype headerEnd = 8 + 4 + 4 + 13 + 4;
    if (png.size() < headerEnd || png.mid(12, 4) != "IHDR")
        return png;
    QByteArray body("iCCP");
    body.append("ICC profile");
    body.append('\0');
    body.append('\0');                      // deflate
    body.append(qCompress(icc, 9).mid(4));  // a zlib stream after Qt's 4-byte length
    QByteArray chunk;
    appendBigEndian(chunk, static_cast<std::uint32_t>(body.size() - 4));
    chunk.append(body);
    appendBigEndian(chunk, crc32(body));
    return png.left(headerEnd) + chunk + png.mid(headerEnd);
}

}  // namespace

QtPictureReader::~QtPictureReader() = default;

std::unique_ptr<QtPictureReader> QtPictureReader::open(int fd, const QByteArray& extension) {
    raiseAllocationLimit();
    std::unique_ptr<QtPictureReader> reader(new QtPictureReader);
    if (!reader->m_file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    if (!reader->readHeader(extension))
        return nullptr;
    return reader;
}

void QtPictureReader::newReader(const QByteArray& format) {
    m_file.seek(0);
    m_reader = std::make_unique<QImageReader>(&m_file, format);
    m_reader->setAutoTransform(true);
}

bool QtPictureReader::readHeader(const QByteArray& extension) {
    const QList<QByteArray> known = QImageReader::supportedImageFormats();
    if (!extension.isEmpty() && known.contains(extension)) {
        newReader(extension);
        if (!m_reader->canRead())
            m_reader.reset();
    }
    if (!m_reader) {
        newReader(QByteArray());
        if (!m_reader->canRead())
            return false;
    }
    m_format = m_reader->format();
    m_vector = m_format == "svg" || m_format == "svgz";
    QSize size = m_reader->size();
    if (size.isValid() && !size.isEmpty()) {
        if (m_reader->transformation() & QImageIOHandler::TransformationRotate90)
            size.transpose();
        m_mayHaveAlpha = formatMayHaveAlpha(m_reader->imageFormat());
    } else {
        m_early = read(*m_reader);
        m_used = true;
        if (m_early.isNull())
            return false;
        size = m_early.size();
        m_mayHaveAlpha = m_early.hasAlphaChannel();
    }
    m_size = size;
    return true;
}

QImage QtPictureReader::read(QImageReader& reader) {
    QImage image;
    if (!reader.read(&image) || image.isNull())
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
    if (!m_early.isNull() && !m_vector)
        return m_early;
    if (m_used)
        newReader(m_format);
    m_used = true;
    if (m_vector && needWidth >= 1 && needHeight >= 1)
        m_reader->setScaledSize(QSize(static_cast<int>(std::min(std::ceil(needWidth), 32767.0)),
                                      static_cast<int>(std::min(std::ceil(needHeight), 32767.0))));
    return read(*m_reader);
}

QByteArray encodePng(const QImage& image, int quality, const QByteArray& icc) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        if (!buffer.open(QIODevice::WriteOnly))
            return {};
        QImageWriter writer(&buffer, "png");
        writer.setQuality(quality);
        if (!writer.write(image))
            return {};
    }
    const int channels = image.format() == QImage::Format_Grayscale8 ? 1 : 3;
    if (!icc.isEmpty() && iccProfileFits(icc, channels))
        return withIccChunk(bytes, icc);
    return bytes;
}

}  // namespace fw::pic
