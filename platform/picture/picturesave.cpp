#include "engine/framework/picture.h"

#include <cerrno>
#include <new>

#include "engine/framework/exceptions.h"
#include "platform/core/atomicfile.h"
#include "platform/picture/codecmessages.h"
#include "platform/picture/jpegcodec.h"
#include "platform/picture/pictureimpl.h"
#include "platform/picture/pixelops.h"
#include "platform/picture/pngwriter.h"

namespace fw {

namespace pic {

namespace {

// The full-size, upright pixels to save. For JPEG, transparency is left for the encoder to
// composite over white row by row; PNG gets straight alpha, or none when all is opaque.
QImage imageToSave(Impl& p, bool jpeg) {
    if (const auto* view = p.as<MaskView>())
        return maskAsGrey(view->owner->impl());
    if (p.as<Undecodable>())
        throw UnsupportedFormatException();
    if (p.as<Blank>())
        return blankImage(p.width, p.height, QImage::Format_RGBX8888);
    if (auto* layer = p.as<Layer>()) {
        if (jpeg)
            return layer->image;
        QImage flat = layer->image.copy();
        flattenOverWhite(flat);
        return flat;
    }
    auto* file = p.as<FromFile>();
    QImage& pixels = file ? decodeWhole(p, *file).image : std::get<OwnPixels>(p.content).image;
    if (hasAlpha(pixels) && allOpaque(pixels))
        pixels.reinterpretAsFormat(QImage::Format_RGBX8888);
    if (pixels.format() == QImage::Format_RGBA8888_Premultiplied && !jpeg) {
        QImage straight = pixels.copy();
        unpremultiply(straight);
        return straight;
    }
    return pixels;
}

}  // namespace

}  // namespace pic

void Picture::Save(const FolderItemPtr& file, std::int64_t format, std::int64_t quality) {
    if (!file)
        throw NilObjectException();
    if (quality < -1 || quality > 100)
        throw OutOfBoundsException("Quality needs to be -1 or in the range 0-100");
    if (format != FormatPNG && format != FormatJPEG)
        throw UnsupportedOperationException("Pictures can be saved as PNG (150) or JPEG (151)");
    const pic::CodecMessageScope quiet;
    const bool jpeg = format == FormatJPEG;
    const QImage image = pic::imageToSave(*d, jpeg);
    const QByteArray icc = d->as<pic::MaskView>() ? QByteArray() : d->icc;
    pic::AtomicFile out(file->NativePath());
    if (image.isNull())
        out.fail(ENOMEM);
    if (jpeg) {
        if (const int error =
                pic::writeJpeg(out.descriptor(), image, static_cast<int>(quality), icc))
            out.fail(error);
    } else {
        if (const int error =
                pic::writePng(out.descriptor(), image, static_cast<int>(quality), icc))
            out.fail(error);
    }
    out.commit();
}

}  // namespace fw
