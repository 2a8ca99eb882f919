#include "platform/picture/pngwriter.h"

#include <png.h>

#include <csetjmp>

#include "platform/picture/fdio.h"
#include "platform/picture/picturesource.h"
#include "platform/picture/pngmessages.h"

namespace fw::pic {

namespace {

struct Output {
    int fd = -1;
    int error = 0;
};

void writeData(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<Output*>(png_get_io_ptr(png));
    if (!writeAll(out->fd, data, size, out->error))
        png_error(png, "write failed");
}

void flushData(png_structp) {}

// Everything that setjmp may come back to lives outside the function that calls it.
struct Writer {
    png_structp png = nullptr;
    png_infop info = nullptr;
    Output out;

    ~Writer() { png_destroy_write_struct(&png, info != nullptr ? &info : nullptr); }

    bool write(const QImage& image, int level, const QByteArray& icc) {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
        if (png == nullptr)
            return false;
        info = png_create_info_struct(png);
        if (info == nullptr)
            return false;
        if (setjmp(png_jmpbuf(png)))
            return false;
        // libpng reads colour profiles that it refuses to write (an unknown profile class, say):
        // such a profile is left out with a warning instead of failing the save.
        png_set_benign_errors(png, 1);
        png_set_write_fn(png, &out, writeData, flushData);
        const bool grey = image.format() == QImage::Format_Grayscale8;
        const bool alpha = image.format() == QImage::Format_RGBA8888;
        png_set_IHDR(
            png, info, static_cast<png_uint_32>(image.width()),
            static_cast<png_uint_32>(image.height()), 8,
            grey ? PNG_COLOR_TYPE_GRAY : (alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB),
            PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
        png_set_compression_level(png, level);
        if (!icc.isEmpty() && iccProfileFits(icc, grey ? 1 : 3))
            png_set_iCCP(png, info, "ICC profile", PNG_COMPRESSION_TYPE_BASE,
                         reinterpret_cast<png_const_bytep>(icc.constData()),
                         static_cast<png_uint_32>(icc.size()));
        if (image.dotsPerMeterX() > 0 && image.dotsPerMeterY() > 0)
            png_set_pHYs(png, info, static_cast<png_uint_32>(image.dotsPerMeterX()),
                         static_cast<png_uint_32>(image.dotsPerMeterY()), PNG_RESOLUTION_METER);
        png_write_info(png, info);
        if (!grey && !alpha)
            png_set_filler(png, 0, PNG_FILLER_AFTER);  // the X byte of RGBX is left out
        for (int y = 0; y < image.height(); ++y)
            png_write_row(png, image.constScanLine(y));
        png_write_end(png, info);
        return true;
    }
};

}  // namespace

int pngCompressionLevel(int quality) {
    if (quality < 0 || quality >= 67)
        return 1;
    return quality >= 34 ? 2 : 3;
}

int writePng(int fd, const QImage& image, int quality, const QByteArray& icc) {
    if (image.format() != QImage::Format_Grayscale8 && image.format() != QImage::Format_RGBX8888 &&
        image.format() != QImage::Format_RGBA8888)
        return EINVAL;
    Writer writer;
    writer.out.fd = fd;
    if (writer.write(image, pngCompressionLevel(quality), icc))
        return 0;
    return writer.out.error != 0 ? writer.out.error : EIO;
}

}  // namespace fw::pic
