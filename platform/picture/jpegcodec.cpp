#include "platform/picture/jpegcodec.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs FILE and size_t declared first; jerror.h needs jpeglib.h's configuration.
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include "platform/picture/decodelimits.h"
#include "platform/picture/exiforientation.h"
#include "platform/picture/fdio.h"
#include "platform/picture/imagebuffer.h"
#include "platform/picture/pixelrows.h"

namespace fw::pic {

namespace {

constexpr std::size_t ioBufferSize = 64 * 1024;

// Errors jump back to the call that set the jump; warnings (damaged or truncated data) are
// counted and otherwise ignored, so such files still decode as far as they go.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int writeErrno = 0;
};

void errorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void emitMessage(j_common_ptr cinfo, int level) {
    if (level < 0)
        ++cinfo->err->num_warnings;
}

void outputMessage(j_common_ptr) {}

void installErrorManager(ErrorManager& manager) {
    jpeg_std_error(&manager.pub);
    manager.pub.error_exit = errorExit;
    manager.pub.emit_message = emitMessage;
    manager.pub.output_message = outputMessage;
}

// A file is a picture when the first row of blocks of its first scan decodes whole and clean:
// that scan holds every row's first data, and the rows come in order. A file cut or damaged
// before that row is complete is no picture; one that goes wrong later keeps what came before,
// the rest filled.
struct Damage {
    bool firstRow = false;  // the first scan's first row of blocks met missing or wrong data
    long endRow = -1;       // the iMCU row at which the file's data ran out, if it did
};

struct DecodeErrors {
    ErrorManager manager;
    Damage damage;
};

bool losesData(int code) {
    return code == JWRN_HUFF_BAD_CODE || code == JWRN_ARITH_BAD_CODE || code == JWRN_HIT_MARKER ||
           code == JWRN_MUST_RESYNC;
}

void emitDecodeMessage(j_common_ptr common, int level) {
    if (level >= 0)
        return;
    ++common->err->num_warnings;
    const auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
    Damage& damage = reinterpret_cast<DecodeErrors*>(common->err)->damage;
    const int code = common->err->msg_code;
    // The end of the file is met while reading ahead: the data still buffered may complete the
    // row, and a later hit on the fake end marker tells when it really ran out.
    if (code == JWRN_JPEG_EOF && damage.endRow < 0)
        damage.endRow = static_cast<long>(cinfo->input_iMCU_row);
    if (losesData(code) && cinfo->input_scan_number <= 1 && cinfo->input_iMCU_row == 0) {
        damage.firstRow = true;
        errorExit(common);  // nothing real came, and nothing after it counts
    }
}

// Whether the first scan's first row of blocks came whole and clean.
bool hasRealRows(const jpeg_decompress_struct& cinfo, const Damage& damage) {
    return !damage.firstRow && (cinfo.input_scan_number > 1 || cinfo.input_iMCU_row > 0);
}

// A progressive (or other multi-scan) file is absorbed scan by scan before its first row comes
// out, and every scan costs a pass over the blocks it covers, even one that carries no data. So
// that a small crafted file cannot keep the decoder busy for minutes, the scans' work is counted
// as they start: each block a scan covers costs its band of coefficients plus blockVisitCost. A
// file may cost at most passesAllowed passes over all of its coefficients (libjpeg's own
// progressive files cost about 3), and have at most maxScans scans (TurboJPEG's own limit).
constexpr int maxScans = 500;
constexpr double passesAllowed = 12;
constexpr double blockVisitCost = 8;

struct ScanBudget {
    jpeg_progress_mgr pub;
    int scansCounted = 0;
    double work = 0;
};

void countScans(j_common_ptr common) {
    auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
    auto* budget = reinterpret_cast<ScanBudget*>(common->progress);
    if (budget->scansCounted >= cinfo->input_scan_number)
        return;
    budget->scansCounted = cinfo->input_scan_number;
    double blocks = 0;
    for (int i = 0; i < cinfo->comps_in_scan; ++i)
        blocks += static_cast<double>(cinfo->cur_comp_info[i]->width_in_blocks) *
                  static_cast<double>(cinfo->cur_comp_info[i]->height_in_blocks);
    budget->work += blocks * (cinfo->Se - cinfo->Ss + 1 + blockVisitCost);
    double allBlocks = 0;
    for (int c = 0; c < cinfo->num_components; ++c)
        allBlocks += static_cast<double>(cinfo->comp_info[c].width_in_blocks) *
                     static_cast<double>(cinfo->comp_info[c].height_in_blocks);
    if (budget->scansCounted > maxScans ||
        budget->work > passesAllowed * allBlocks * (DCTSIZE2 + blockVisitCost))
        errorExit(common);
}

// libjpeg-turbo's fast Huffman decoder takes a code that no table holds for a zero without a
// warning; only the classic decoder, which runs while less than 512 bytes a block are buffered,
// reports it. Damage in the first row of blocks must show, so that row is fed in small windows.
constexpr std::size_t firstRowWindow = 256;

struct FdSource {
    jpeg_source_mgr pub;
    int fd = -1;
    std::size_t filled = 0;    // bytes read into the buffer
    std::size_t consumed = 0;  // bytes of the buffer handed to libjpeg
    JOCTET buffer[ioBufferSize];
};

void initSource(j_decompress_ptr) {}

boolean fillInputBuffer(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<FdSource*>(cinfo->src);
    if (src->consumed >= src->filled) {
        const ssize_t n = readSome(src->fd, src->buffer, ioBufferSize);
        src->consumed = 0;
        src->filled = n > 0 ? static_cast<std::size_t>(n) : 0;
        if (n <= 0) {
            // A truncated file: end it with a fake EOI so that what is there still decodes.
            WARNMS(cinfo, JWRN_JPEG_EOF);
            src->buffer[0] = 0xFF;
            src->buffer[1] = JPEG_EOI;
            src->filled = 2;
        }
    }
    const bool firstRow = cinfo->input_scan_number <= 1 && cinfo->input_iMCU_row == 0;
    const std::size_t window =
        std::min(src->filled - src->consumed, firstRow ? firstRowWindow : ioBufferSize);
    src->pub.next_input_byte = src->buffer + src->consumed;
    src->pub.bytes_in_buffer = window;
    src->consumed += window;
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0)
        return;
    auto* src = reinterpret_cast<FdSource*>(cinfo->src);
    auto remaining = static_cast<std::size_t>(count);
    while (remaining > src->pub.bytes_in_buffer) {
        remaining -= src->pub.bytes_in_buffer;
        fillInputBuffer(cinfo);
    }
    src->pub.next_input_byte += remaining;
    src->pub.bytes_in_buffer -= remaining;
}

void termSource(j_decompress_ptr) {}

struct FdDestination {
    jpeg_destination_mgr pub;
    int fd = -1;
    JOCTET buffer[ioBufferSize];
};

void initDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<FdDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = ioBufferSize;
}

void failWrite(j_compress_ptr cinfo, int error) {
    reinterpret_cast<ErrorManager*>(cinfo->err)->writeErrno = error;
    ERREXIT(cinfo, JERR_FILE_WRITE);
}

boolean emptyOutputBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<FdDestination*>(cinfo->dest);
    int error = 0;
    if (!writeAll(dest->fd, dest->buffer, ioBufferSize, error))
        failWrite(cinfo, error);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = ioBufferSize;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<FdDestination*>(cinfo->dest);
    int error = 0;
    if (!writeAll(dest->fd, dest->buffer, ioBufferSize - dest->pub.free_in_buffer, error))
        failWrite(cinfo, error);
}

// CMYK JPEGs store inverted ink values (0 is full ink), as Adobe writes them; files without
// Adobe's marker are read the same way, as libvips, ImageMagick and Pillow do.
void cmykToRgbx(std::uint8_t* p, JDIMENSION width) {
    for (JDIMENSION x = 0; x < width; ++x, p += 4) {
        const int k = p[3];
        for (int c = 0; c < 3; ++c)
            p[c] = static_cast<std::uint8_t>((p[c] * k + 127) / 255);
        p[3] = 255;
    }
}

void fillGrey(std::uint8_t* row, int width, bool grey) {
    if (grey) {
        std::memset(row, 128, static_cast<std::size_t>(width));
        return;
    }
    for (int x = 0; x < width; ++x) {
        row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = 128;
        row[4 * x + 3] = 255;
    }
}

}  // namespace

struct JpegReader::State {
    jpeg_decompress_struct cinfo{};
    DecodeErrors errors{};
    ScanBudget budget{};
    FdSource source{};
    bool created = false;
    bool headerRead = false;
    bool used = false;  // a decode has run since the header was read
    int orientation = 1;
    QByteArray icc;
    JDIMENSION rowsDone = 0;

    ~State() {
        if (created)
            jpeg_destroy_decompress(&cinfo);
        if (source.fd >= 0)
            ::close(source.fd);
    }

    bool create() {
        installErrorManager(errors.manager);
        errors.manager.pub.emit_message = emitDecodeMessage;
        cinfo.err = &errors.manager.pub;
        if (setjmp(errors.manager.jump))
            return false;
        jpeg_create_decompress(&cinfo);
        created = true;
        cinfo.mem->max_memory_to_use = static_cast<long>(pictureMemoryLimit() / 2);
        budget.pub.progress_monitor = countScans;
        cinfo.progress = &budget.pub;
        source.pub.init_source = initSource;
        source.pub.fill_input_buffer = fillInputBuffer;
        source.pub.skip_input_data = skipInputData;
        source.pub.resync_to_restart = jpeg_resync_to_restart;
        source.pub.term_source = termSource;
        cinfo.src = &source.pub;
        jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
        jpeg_save_markers(&cinfo, JPEG_APP0 + 2, 0xFFFF);
        return true;
    }

    // Reads (or, after a decode, reads again from the start) the markers up to the first scan.
    bool readHeader() {
        if (setjmp(errors.manager.jump))
            return false;
        if (used) {
            jpeg_abort_decompress(&cinfo);
            if (::lseek(source.fd, 0, SEEK_SET) != 0)
                return false;
            used = false;
        }
        source.pub.next_input_byte = nullptr;
        source.pub.bytes_in_buffer = 0;
        source.filled = 0;
        source.consumed = 0;
        headerRead = false;
        errors.damage = {};
        budget.scansCounted = 0;
        budget.work = 0;
        if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
            return false;
        if (cinfo.image_width == 0 || cinfo.image_height == 0)
            return false;
        headerRead = true;
        return true;
    }

    void readMarkers() {
        for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next) {
            if (m->marker == JPEG_APP0 + 1 && orientation == 1)
                orientation = exifOrientation(m->data, m->data_length);
        }
        JOCTET* data = nullptr;
        unsigned length = 0;
        if (setjmp(errors.manager.jump))
            return;
        if (jpeg_read_icc_profile(&cinfo, &data, &length) && data != nullptr) {
            icc = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length));
            std::free(data);
            const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
            const bool cmyk =
                cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
            if (cmyk || !iccProfileFits(icc, grey ? 1 : 3))
                icc.clear();
        }
    }

    bool setUp(int scale) {
        if (setjmp(errors.manager.jump))
            return false;
        cinfo.scale_num = static_cast<unsigned>(scale);
        cinfo.scale_denom = 8;
        switch (cinfo.jpeg_color_space) {
            case JCS_GRAYSCALE:
                cinfo.out_color_space = JCS_GRAYSCALE;
                break;
            case JCS_CMYK:
            case JCS_YCCK:
                cinfo.out_color_space = JCS_CMYK;
                break;
            default:
                cinfo.out_color_space = JCS_EXT_RGBX;
                break;
        }
        jpeg_calc_output_dimensions(&cinfo);
        return true;
    }

    // Decodes straight into the rows of the image, or with a sink through a strip of rows, as
    // RGBX or grey (CMYK is turned into RGBX row by row). Once a single-scan file's data has run
    // out, the rows after it would only be filler: the decode stops there. rowsDone tells how far
    // the rows came. False when the file gave no real row, or libjpeg gave up before any.
    bool decodeInto(QImage* image, RowSink* sink) {
        rowsDone = 0;
        if (setjmp(errors.manager.jump))
            return rowsDone > 0 && hasRealRows(cinfo, errors.damage);
        used = true;
        jpeg_start_decompress(&cinfo);
        const bool singleScan = !jpeg_has_multiple_scans(&cinfo);
        const auto rowsPerIMCURow =
            static_cast<JDIMENSION>(cinfo.max_v_samp_factor * cinfo.min_DCT_scaled_size);
        const std::size_t rowBytes = static_cast<std::size_t>(cinfo.output_width) *
                                     static_cast<std::size_t>(cinfo.output_components == 1 ? 1 : 4);
        if (sink != nullptr && !strip)
            strip.reset(new JSAMPLE[rowBytes * stripRows]);
        JSAMPROW rows[stripRows];
        while (cinfo.output_scanline < cinfo.output_height) {
            const JDIMENSION first = cinfo.output_scanline;
            const JDIMENSION batch = std::min<JDIMENSION>(stripRows, cinfo.output_height - first);
            for (JDIMENSION i = 0; i < batch; ++i)
                rows[i] = sink != nullptr ? strip.get() + i * rowBytes
                                          : image->scanLine(static_cast<int>(first + i));
            JDIMENSION got = 0;
            while (got < batch) {
                const JDIMENSION n = jpeg_read_scanlines(&cinfo, rows + got, batch - got);
                if (n == 0)
                    break;
                got += n;
            }
            for (JDIMENSION i = 0; i < got; ++i) {
                if (cinfo.out_color_space == JCS_CMYK)
                    cmykToRgbx(rows[i], cinfo.output_width);
                if (sink != nullptr)
                    sink->row(rows[i]);
            }
            rowsDone = first + got;
            if (got < batch)
                break;
            // One more iMCU row than the one where the data ended, for the upsampling's context.
            const long endRow = errors.damage.endRow;
            if (singleScan && endRow >= 0 &&
                cinfo.output_scanline >= static_cast<JDIMENSION>(endRow + 2) * rowsPerIMCURow)
                break;
        }
        const bool real = hasRealRows(cinfo, errors.damage);
        // The rest of the file (trailing markers) is not needed.
        jpeg_abort_decompress(&cinfo);
        return real;
    }

    static constexpr JDIMENSION stripRows = 16;
    std::unique_ptr<JSAMPLE[]> strip;
};

JpegReader::JpegReader(std::unique_ptr<State> state) : d(std::move(state)) {}
JpegReader::~JpegReader() = default;

std::unique_ptr<JpegReader> JpegReader::open(int fd) {
    auto state = std::make_unique<State>();
    state->source.fd = fd;
    if (!state->create() || !state->readHeader())
        return nullptr;
    state->readMarkers();
    return std::unique_ptr<JpegReader>(new JpegReader(std::move(state)));
}

QSize JpegReader::storedSize() const {
    return {static_cast<int>(d->cinfo.image_width), static_cast<int>(d->cinfo.image_height)};
}

int JpegReader::orientation() const {
    return d->orientation;
}

QByteArray JpegReader::iccProfile() const {
    return d->icc;
}

int JpegReader::scaleFor(int width, int height, double needWidth, double needHeight) {
    for (int m = 1; m < 8; ++m) {
        const double w = std::ceil(static_cast<double>(width) * m / 8.0);
        const double h = std::ceil(static_cast<double>(height) * m / 8.0);
        if (w + 1e-9 >= needWidth && h + 1e-9 >= needHeight)
            return m;
    }
    return 8;
}

bool JpegReader::prepare(double needWidth, double needHeight) {
    if (!d->headerRead || d->used) {
        if (!d->readHeader())
            return false;
    }
    const QSize size = storedSize();
    if (!d->setUp(scaleFor(size.width(), size.height(), needWidth, needHeight)))
        return false;
    const int bytes = d->cinfo.out_color_space == JCS_GRAYSCALE ? 1 : 4;
    return decodedSizeFits(d->cinfo.output_width, d->cinfo.output_height, bytes);
}

QImage JpegReader::decode(double needWidth, double needHeight) {
    if (!prepare(needWidth, needHeight))
        return {};
    const int w = static_cast<int>(d->cinfo.output_width);
    const int h = static_cast<int>(d->cinfo.output_height);
    const bool grey = d->cinfo.out_color_space == JCS_GRAYSCALE;
    QImage image = newImage(w, h, grey ? QImage::Format_Grayscale8 : QImage::Format_RGBX8888);
    if (image.isNull() || !d->decodeInto(&image, nullptr))
        return {};
    for (int y = static_cast<int>(d->rowsDone); y < h; ++y)
        fillGrey(image.scanLine(y), w, grey);
    return image;
}

RowsResult JpegReader::decodeRows(double needWidth, double needHeight, RowSink& sink) {
    if (!prepare(needWidth, needHeight))
        return RowsResult::Failed;
    const int w = static_cast<int>(d->cinfo.output_width);
    const int h = static_cast<int>(d->cinfo.output_height);
    const bool grey = d->cinfo.out_color_space == JCS_GRAYSCALE;
    if (!sink.begin(w, h, grey ? QImage::Format_Grayscale8 : QImage::Format_RGBX8888) ||
        !d->decodeInto(nullptr, &sink))
        return RowsResult::Failed;
    const int done = static_cast<int>(d->rowsDone);
    if (done < h) {
        std::unique_ptr<std::uint8_t[]> filler(new std::uint8_t[static_cast<std::size_t>(w) * 4]);
        fillGrey(filler.get(), w, grey);
        for (int y = done; y < h; ++y)
            sink.row(filler.get());
    }
    return RowsResult::Decoded;
}

namespace {

struct Encoder {
    jpeg_compress_struct cinfo{};
    ErrorManager errors{};
    FdDestination destination{};
    bool created = false;
    std::unique_ptr<JSAMPLE[]> flat;  // one row composited over white

    ~Encoder() {
        if (created)
            jpeg_destroy_compress(&cinfo);
    }

    bool encode(const QImage& image, int quality, const QByteArray& icc) {
        installErrorManager(errors);
        cinfo.err = &errors.pub;
        if (setjmp(errors.jump))
            return false;
        jpeg_create_compress(&cinfo);
        created = true;
        destination.pub.init_destination = initDestination;
        destination.pub.empty_output_buffer = emptyOutputBuffer;
        destination.pub.term_destination = termDestination;
        cinfo.dest = &destination.pub;

        const bool grey = image.format() == QImage::Format_Grayscale8;
        const bool straight = image.format() == QImage::Format_RGBA8888;
        const bool premultiplied = image.format() == QImage::Format_RGBA8888_Premultiplied;
        cinfo.image_width = static_cast<JDIMENSION>(image.width());
        cinfo.image_height = static_cast<JDIMENSION>(image.height());
        cinfo.input_components = grey ? 1 : 4;
        cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_RGBX;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, quality < 0 ? 75 : quality, TRUE);
        jpeg_start_compress(&cinfo, TRUE);
        if (!icc.isEmpty() && iccProfileFits(icc, grey ? 1 : 3))
            jpeg_write_icc_profile(&cinfo, reinterpret_cast<const JOCTET*>(icc.constData()),
                                   static_cast<unsigned>(icc.size()));
        if (straight || premultiplied)
            flat.reset(new JSAMPLE[static_cast<std::size_t>(image.width()) * 4]);
        while (cinfo.next_scanline < cinfo.image_height) {
            const auto y = static_cast<int>(cinfo.next_scanline);
            JSAMPROW row = const_cast<JSAMPLE*>(image.constScanLine(y));
            if (flat) {
                flattenRowOverWhite(image.constScanLine(y), flat.get(), image.width(),
                                    premultiplied);
                row = flat.get();
            }
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_compress(&cinfo);
        return true;
    }
};

}  // namespace

int writeJpeg(int fd, const QImage& image, int quality, const QByteArray& icc) {
    QImage converted;
    const QImage* input = &image;
    switch (image.format()) {
        case QImage::Format_Grayscale8:
        case QImage::Format_RGBX8888:
        case QImage::Format_RGBA8888:
        case QImage::Format_RGBA8888_Premultiplied:
            break;
        default:
            converted = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_RGBA8888
                                                                      : QImage::Format_RGBX8888);
            input = &converted;
            break;
    }
    auto encoder = std::make_unique<Encoder>();
    encoder->destination.fd = fd;
    if (encoder->encode(*input, quality, icc))
        return 0;
    return encoder->errors.writeErrno != 0 ? encoder->errors.writeErrno : EIO;
}

}  // namespace fw::pic
