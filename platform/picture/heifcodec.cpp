#include "platform/picture/heifcodec.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include <libheif/heif.h>

#include "platform/picture/cicpprofile.h"
#include "platform/picture/decodelimits.h"
#include "platform/picture/imagebuffer.h"
#include "platform/picture/pixelrows.h"
#include "platform/picture/quietstderr.h"

namespace fw::pic {

namespace {

// libheif refuses sides beyond this while reading the file's structure.
constexpr int maxSide = 1 << 16;

struct FileInput {
    int fd = -1;
    std::int64_t size = 0;
    std::int64_t position = 0;
};

std::int64_t inputPosition(void* userdata) {
    return static_cast<FileInput*>(userdata)->position;
}

int inputRead(void* data, std::size_t size, void* userdata) {
    auto* in = static_cast<FileInput*>(userdata);
    auto* out = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::pread(in->fd, out, size, in->position);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return 1;
        out += n;
        size -= static_cast<std::size_t>(n);
        in->position += n;
    }
    return 0;
}

int inputSeek(std::int64_t position, void* userdata) {
    auto* in = static_cast<FileInput*>(userdata);
    if (position < 0 || position > in->size)
        return 1;
    in->position = position;
    return 0;
}

heif_reader_grow_status inputWaitForSize(std::int64_t target, void* userdata) {
    return target > static_cast<FileInput*>(userdata)->size
               ? heif_reader_grow_status_size_beyond_eof
               : heif_reader_grow_status_size_reached;
}

const heif_reader fileReader = {1, inputPosition, inputRead, inputSeek, inputWaitForSize};

struct ImageDeleter {
    void operator()(const heif_image* image) const { heif_image_release(image); }
};
using ImagePtr = std::unique_ptr<const heif_image, ImageDeleter>;

QByteArray profileOfNclx(heif_color_profile_nclx* nclx) {
    const Chromaticities xy{{nclx->color_primary_white_x, nclx->color_primary_white_y},
                            {nclx->color_primary_red_x, nclx->color_primary_red_y},
                            {nclx->color_primary_green_x, nclx->color_primary_green_y},
                            {nclx->color_primary_blue_x, nclx->color_primary_blue_y}};
    QByteArray icc = iccForCodePoints(nclx->color_primaries, xy, nclx->transfer_characteristics);
    heif_nclx_color_profile_free(nclx);
    return icc;
}

// The colour box of the image item: an ICC profile, or an nclx description.
QByteArray profileOf(const heif_image_handle* handle) {
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
        QByteArray icc(static_cast<qsizetype>(heif_image_handle_get_raw_color_profile_size(handle)),
                       Qt::Uninitialized);
        if (!icc.isEmpty() &&
            heif_image_handle_get_raw_color_profile(handle, icc.data()).code == heif_error_Ok)
            return icc;
        return {};
    }
    heif_color_profile_nclx* nclx = nullptr;
    if (heif_image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok ||
        nclx == nullptr)
        return {};
    return profileOfNclx(nclx);
}

// The decoded picture's rows as pictures keep them: RGBX or RGBA, 8 bits.
class Rows {
public:
    Rows(ImagePtr image, bool alpha, bool deep) : m_image(std::move(image)), m_alpha(alpha) {
        m_data = heif_image_get_plane_readonly(m_image.get(), heif_channel_interleaved, &m_stride);
        m_width = heif_image_get_primary_width(m_image.get());
        m_height = heif_image_get_primary_height(m_image.get());
        if (deep) {
            m_reducer.emplace(
                heif_image_get_bits_per_pixel_range(m_image.get(), heif_channel_interleaved));
            m_scratch.resize(static_cast<std::size_t>(m_width) * 4);
        }
    }

    [[nodiscard]] bool valid() const { return m_data != nullptr && m_width > 0 && m_height > 0; }
    [[nodiscard]] int width() const { return m_width; }
    [[nodiscard]] int height() const { return m_height; }

    void row(int y, std::uint8_t* out) {
        const std::uint8_t* in = m_data + static_cast<std::ptrdiff_t>(y) * m_stride;
        const int channels = m_alpha ? 4 : 3;
        if (m_reducer) {
            m_reducer->reduce(reinterpret_cast<const std::uint16_t*>(in), m_scratch.data(),
                              m_width * channels);
            in = m_scratch.data();
        }
        if (m_alpha)
            std::memcpy(out, in, static_cast<std::size_t>(m_width) * 4);
        else
            rgbToRgbx(in, out, m_width);
    }

private:
    ImagePtr m_image;
    bool m_alpha;
    const std::uint8_t* m_data = nullptr;
    int m_stride = 0;
    int m_width = 0;
    int m_height = 0;
    std::optional<DepthReducer> m_reducer;
    std::vector<std::uint8_t> m_scratch;
};

}  // namespace

struct HeifReader::State {
    FileInput input;
    heif_context* context = nullptr;
    heif_image_handle* handle = nullptr;
    int width = 0;
    int height = 0;
    bool alpha = false;
    bool premultiplied = false;
    bool deep = false;  // more than 8 bits
    QByteArray icc;
    bool failed = false;

    ~State() {
        if (handle != nullptr)
            heif_image_handle_release(handle);
        if (context != nullptr)
            heif_context_free(context);
        if (input.fd >= 0)
            ::close(input.fd);
    }

    bool readHeader() {
        struct stat st {};
        if (::fstat(input.fd, &st) != 0)
            return false;
        input.size = st.st_size;
        context = heif_context_alloc();
        if (context == nullptr)
            return false;
        heif_context_set_maximum_image_size_limit(context, maxSide);
        const QuietStderr quiet;
        if (heif_context_read_from_reader(context, &fileReader, &input, nullptr).code !=
                heif_error_Ok ||
            heif_context_get_primary_image_handle(context, &handle).code != heif_error_Ok)
            return false;
        width = heif_image_handle_get_width(handle);
        height = heif_image_handle_get_height(handle);
        alpha = heif_image_handle_has_alpha_channel(handle) != 0;
        premultiplied = alpha && heif_image_handle_is_premultiplied_alpha(handle) != 0;
        deep = heif_image_handle_get_luma_bits_per_pixel(handle) > 8;
        // What libheif holds while it decodes: the codec's planes and reference pictures, and the
        // interleaved RGB(A) picture; about 8 bytes a pixel, 16 above 8 bits.
        const int bytes = deep ? 16 : 8;
        if (!decodedSizeFits(width, height, bytes) ||
            !decodedSizeFits(heif_image_handle_get_ispe_width(handle),
                             heif_image_handle_get_ispe_height(handle), bytes))
            return false;
        // Nothing decoded may be much bigger than the picture: libheif checks what it allocates
        // (a grid's declared output, a coded picture) against this limit only, not against the
        // picture's own size. Coded pictures are padded to whole blocks (HEVC's up to 64, AV1's
        // up to 128 pixels).
        const int largest = std::max({width, height, heif_image_handle_get_ispe_width(handle),
                                      heif_image_handle_get_ispe_height(handle)});
        heif_context_set_maximum_image_size_limit(context, (largest / 128 + 1) * 128 + 1);
        setProfile(profileOf(handle));
        return true;
    }

    void setProfile(QByteArray profile) {
        icc = iccProfileFits(profile, 3) ? std::move(profile) : QByteArray();
    }

    // Decodes the primary image whole, refusing anything libheif had to patch up.
    std::optional<Rows> decodeImage() {
        if (failed)
            return std::nullopt;
        failed = true;
        heif_decoding_options* options = heif_decoding_options_alloc();
        if (options == nullptr)
            return std::nullopt;
        options->ignore_transformations = 0;
        options->convert_hdr_to_8bit = 0;
        options->strict_decoding = 1;
        const heif_chroma chroma =
            deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
                 : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
        heif_image* image = nullptr;
        const QuietStderr quiet;
        const heif_error error =
            heif_decode_image(handle, &image, heif_colorspace_RGB, chroma, options);
        heif_decoding_options_free(options);
        ImagePtr owned(image);
        if (error.code != heif_error_Ok || image == nullptr ||
            heif_image_get_decoding_warnings(image, 0, nullptr, 0) != 0)
            return std::nullopt;
        Rows rows(std::move(owned), alpha, deep);
        if (!rows.valid() || rows.width() != width || rows.height() != height)
            return std::nullopt;
        failed = false;
        return rows;
    }
};

HeifReader::HeifReader(std::unique_ptr<State> state) : d(std::move(state)) {}
HeifReader::~HeifReader() = default;

std::unique_ptr<HeifReader> HeifReader::open(int fd) {
    auto state = std::make_unique<State>();
    state->input.fd = fd;
    if (!state->readHeader())
        return nullptr;
    return std::unique_ptr<HeifReader>(new HeifReader(std::move(state)));
}

QSize HeifReader::storedSize() const {
    return {d->width, d->height};
}

bool HeifReader::mayHaveAlpha() const {
    return d->alpha;
}

QByteArray HeifReader::iccProfile() const {
    return d->icc;
}

QImage HeifReader::decode(double, double) {
    std::optional<Rows> rows = d->decodeImage();
    if (!rows)
        return {};
    QImage image =
        newImage(d->width, d->height, d->alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
    if (image.isNull())
        return {};
    for (int y = 0; y < d->height; ++y) {
        rows->row(y, image.scanLine(y));
        if (d->premultiplied)
            unpremultiplyRow(image.scanLine(y), d->width);
    }
    return image;
}

RowsResult HeifReader::decodeRows(double, double, RowSink& sink) {
    std::optional<Rows> rows = d->decodeImage();
    if (!rows ||
        !sink.begin(d->width, d->height,
                    d->alpha ? QImage::Format_RGBA8888_Premultiplied : QImage::Format_RGBX8888))
        return RowsResult::Failed;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(d->width) * 4);
    for (int y = 0; y < d->height; ++y) {
        rows->row(y, row.data());
        if (d->alpha && !d->premultiplied)
            premultiplyRow(row.data(), d->width);
        sink.row(row.data());
    }
    return RowsResult::Decoded;
}

}  // namespace fw::pic
