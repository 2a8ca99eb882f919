#include "platform/picture/pngcodec.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>

#include <QColorSpace>
#include <QPointF>

#include "platform/picture/decodelimits.h"
#include "platform/picture/exiforientation.h"
#include "platform/picture/fdio.h"
#include "platform/picture/imagebuffer.h"
#include "platform/picture/pixelrows.h"
#include "platform/picture/pngmessages.h"

namespace fw::pic {

namespace {

constexpr std::size_t ioBufferSize = 64 * 1024;
// Deflate codes a run of 258 bytes in no fewer than 2 bits, so no stream expands more.
constexpr std::int64_t maxInflateRatio = 1032;

// Ancillary chunks that nothing here uses: libpng skips them instead of parsing (or inflating)
// them.
constexpr png_byte ignoredChunks[] =
    "tEXt\0zTXt\0iTXt\0tIME\0sPLT\0hIST\0pCAL\0sCAL\0oFFs\0pHYs\0bKGD\0sBIT\0sTER\0";
constexpr int ignoredChunkCount = 13;

struct Input {
    int fd = -1;
    std::size_t position = 0;
    std::size_t length = 0;
    png_byte buffer[ioBufferSize];
};

void readData(png_structp png, png_bytep out, std::size_t size) {
    auto* in = static_cast<Input*>(png_get_io_ptr(png));
    while (size > 0) {
        if (in->position == in->length) {
            const ssize_t n = readSome(in->fd, in->buffer, ioBufferSize);
            if (n <= 0)
                png_error(png, "truncated");
            in->position = 0;
            in->length = static_cast<std::size_t>(n);
        }
        const std::size_t take = std::min(size, in->length - in->position);
        std::memcpy(out, in->buffer + in->position, take);
        in->position += take;
        out += take;
        size -= take;
    }
}

// One pass of libpng over the file, from its start.
struct Session {
    png_structp png = nullptr;
    png_infop info = nullptr;
    Input input;

    ~Session() {
        if (png != nullptr)
            png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    }

    bool start(int fd) {
        if (::lseek(fd, 0, SEEK_SET) != 0)
            return false;
        input.fd = fd;
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
        if (png == nullptr)
            return false;
        info = png_create_info_struct(png);
        if (info == nullptr)
            return false;
        return readInfo();
    }

    bool readInfo() {
        if (setjmp(png_jmpbuf(png)))
            return false;
        png_set_read_fn(png, &input, readData);
        // The size is checked against the decode limit, not libpng's own default of 1000000.
        png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
        // Every chunk's CRC is checked; zlib's own checksum over the same data adds nothing.
        png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, ignoredChunks, ignoredChunkCount);
        png_read_info(png, info);
        return true;
    }
};

// The layout pictures keep for the file's pixels.
enum class Layout { Grey, Rgbx, Rgba };

int bytesPerPixel(Layout layout) {
    return layout == Layout::Grey ? 1 : 4;
}

QImage::Format imageFormat(Layout layout) {
    switch (layout) {
        case Layout::Grey:
            return QImage::Format_Grayscale8;
        case Layout::Rgbx:
            return QImage::Format_RGBX8888;
        case Layout::Rgba:
            break;
    }
    return QImage::Format_RGBA8888;
}

// Samples a row of the file's own data holds, before any expansion.
std::int64_t storedRowBytes(std::int64_t width, int bitDepth, int colorType) {
    int channels = 1;
    switch (colorType) {
        case PNG_COLOR_TYPE_RGB:
            channels = 3;
            break;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            channels = 2;
            break;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            channels = 4;
            break;
        default:
            break;
    }
    return (width * channels * bitDepth + 7) / 8;
}

// The profile Qt's PNG reader made of a gAMA chunk (and cHRM), so that such files keep their
// colour as they did.
QByteArray gammaProfile(png_structp png, png_infop info) {
    double fileGamma = 0;
    if (!png_get_gAMA(png, info, &fileGamma) || !(fileGamma > 0))
        return {};
    const auto gamma = static_cast<float>(1.0 / fileGamma);
    double wx = 0, wy = 0, rx = 0, ry = 0, gx = 0, gy = 0, bx = 0, by = 0;
    QColorSpace space;
    if (png_get_cHRM(png, info, &wx, &wy, &rx, &ry, &gx, &gy, &bx, &by))
        space = QColorSpace(QPointF(wx, wy), QPointF(rx, ry), QPointF(gx, gy), QPointF(bx, by),
                            QColorSpace::TransferFunction::Gamma, gamma);
    if (!space.isValid())
        space =
            QColorSpace(QColorSpace::Primaries::SRgb, QColorSpace::TransferFunction::Gamma, gamma);
    return space.isValid() ? space.iccProfile() : QByteArray();
}

}  // namespace

struct PngReader::State {
    int fd = -1;
    int width = 0;
    int height = 0;
    int bitDepth = 8;
    int colorType = 0;
    bool interlaced = false;
    Layout layout = Layout::Rgbx;
    int orientation = 1;
    QByteArray icc;
    bool failed = false;  // a decode met damaged data; the file stays refused

    ~State() {
        if (fd >= 0)
            ::close(fd);
    }

    bool readHeader() {
        Session session;
        if (!session.start(fd))
            return false;
        png_structp png = session.png;
        png_infop info = session.info;
        png_uint_32 w = 0;
        png_uint_32 h = 0;
        int interlace = 0;
        png_get_IHDR(png, info, &w, &h, &bitDepth, &colorType, &interlace, nullptr, nullptr);
        interlaced = interlace != PNG_INTERLACE_NONE;
        const bool alpha =
            (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS);
        const bool grey = (colorType & PNG_COLOR_MASK_COLOR) == 0;
        layout = alpha ? Layout::Rgba : grey ? Layout::Grey : Layout::Rgbx;
        if (!decodedSizeFits(w, h, bytesPerPixel(layout)))
            return false;
        width = static_cast<int>(w);
        height = static_cast<int>(h);

        // A file too short to hold its pixels even at deflate's best is cut off or forged.
        struct stat st {};
        const std::int64_t raw =
            std::int64_t{height} * (1 + storedRowBytes(width, bitDepth, colorType));
        if (::fstat(fd, &st) != 0 || st.st_size < raw / maxInflateRatio)
            return false;

        png_uint_32 exifSize = 0;
        png_bytep exif = nullptr;
        // The chunk holds the TIFF structure without the APP1 signature.
        if (png_get_eXIf_1(png, info, &exifSize, &exif) && exif != nullptr)
            orientation = tiffOrientation(exif, exifSize);

        png_charp name = nullptr;
        int compression = 0;
        png_bytep profile = nullptr;
        png_uint_32 profileSize = 0;
        if (png_get_iCCP(png, info, &name, &compression, &profile, &profileSize) &&
            profile != nullptr) {
            icc = QByteArray(reinterpret_cast<const char*>(profile),
                             static_cast<qsizetype>(profileSize));
        } else if (!png_get_valid(png, info, PNG_INFO_sRGB)) {
            icc = gammaProfile(png, info);
        }
        if (!iccProfileFits(icc, layout == Layout::Grey ? 1 : 3))
            icc.clear();
        return true;
    }

    // Sets up the expansion into the layout; false when libpng's rows would not match it.
    bool expand(Session& session) {
        png_structp png = session.png;
        if (setjmp(png_jmpbuf(png)))
            return false;
        png_set_expand(png);
        if (bitDepth == 16)
            png_set_scale_16(png);
        if (layout == Layout::Rgba && (colorType & PNG_COLOR_MASK_COLOR) == 0)
            png_set_gray_to_rgb(png);
        if (layout == Layout::Rgbx)
            png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        if (interlaced)
            png_set_interlace_handling(png);
        png_read_update_info(png, session.info);
        return png_get_rowbytes(png, session.info) ==
               static_cast<std::size_t>(width) * static_cast<std::size_t>(bytesPerPixel(layout));
    }

    // Inflates every row into the rows given, all at once.
    static bool readImage(Session& session, png_bytepp rows) {
        if (setjmp(png_jmpbuf(session.png)))
            return false;
        png_read_image(session.png, rows);
        return true;
    }

    // Inflates the rows one at a time into one buffer and hands each to the sink.
    bool readRows(Session& session, png_bytep row, RowSink& sink) {
        if (setjmp(png_jmpbuf(session.png)))
            return false;
        for (int y = 0; y < height; ++y) {
            png_read_row(session.png, row, nullptr);
            if (layout == Layout::Rgba)
                premultiplyRow(row, width);
            sink.row(row);
        }
        return true;
    }

    // The whole picture, in its layout with straight alpha; null on failure.
    QImage decodeWhole() {
        if (failed)
            return {};
        Session session;
        QImage image = newImage(width, height, imageFormat(layout));
        if (image.isNull())
            return {};
        std::vector<png_bytep> rows(static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y)
            rows[static_cast<std::size_t>(y)] = image.scanLine(y);
        if (!session.start(fd) || !expand(session) || !readImage(session, rows.data())) {
            failed = true;
            return {};
        }
        return image;
    }
};

PngReader::PngReader(std::unique_ptr<State> state) : d(std::move(state)) {}
PngReader::~PngReader() = default;

std::unique_ptr<PngReader> PngReader::open(int fd) {
    auto state = std::make_unique<State>();
    state->fd = fd;
    if (!state->readHeader())
        return nullptr;
    return std::unique_ptr<PngReader>(new PngReader(std::move(state)));
}

QSize PngReader::storedSize() const {
    return {d->width, d->height};
}

int PngReader::orientation() const {
    return d->orientation;
}

bool PngReader::mayHaveAlpha() const {
    return d->layout == Layout::Rgba;
}

QByteArray PngReader::iccProfile() const {
    return d->icc;
}

QImage PngReader::decode(double, double) {
    return d->decodeWhole();
}

RowsResult PngReader::decodeRows(double, double, RowSink& sink) {
    if (d->failed)
        return RowsResult::Failed;
    const QImage::Format format =
        d->layout == Layout::Rgba ? QImage::Format_RGBA8888_Premultiplied : imageFormat(d->layout);
    if (d->interlaced) {
        // The passes spread over the whole picture: it is decoded whole, then handed on.
        QImage image = d->decodeWhole();
        return !image.isNull() && handRows(image, sink) ? RowsResult::Decoded : RowsResult::Failed;
    }
    Session session;
    if (!session.start(d->fd) || !d->expand(session)) {
        d->failed = true;
        return RowsResult::Failed;
    }
    std::vector<png_byte> row(static_cast<std::size_t>(d->width) *
                              static_cast<std::size_t>(bytesPerPixel(d->layout)));
    if (!sink.begin(d->width, d->height, format))
        return RowsResult::Failed;
    if (!d->readRows(session, row.data(), sink)) {
        d->failed = true;
        return RowsResult::Failed;
    }
    return RowsResult::Decoded;
}

}  // namespace fw::pic
