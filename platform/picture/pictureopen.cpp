#include "engine/framework/picture.h"

#include <algorithm>
#include <new>

#include "engine/framework/exceptions.h"
#include "platform/picture/codecmessages.h"
#include "platform/picture/pictureimpl.h"
#include "platform/picture/pixelops.h"
#include "platform/picture/resampler.h"

namespace fw {

namespace pic {

namespace {

// Resamples a whole image to an exact size.
QImage resized(const QImage& input, int width, int height) {
    QImage out(width, height, input.format());
    if (out.isNull())
        throw std::bad_alloc();
    const AxisFilter fx(width, {0, static_cast<double>(input.width()) / width}, 0, input.width());
    const AxisFilter fy(height, {0, static_cast<double>(input.height()) / height}, 0,
                        input.height());
    resample({input.constBits(), input.bytesPerLine(), input.width(), input.height()},
             {out.bits(), out.bytesPerLine(), width, height}, input.depth() / 8, fx, fy);
    return out;
}

}  // namespace

QSizeF storedNeed(const Impl& p, const FromFile& file, double fx, double fy) {
    const double needWidth = std::min<double>(p.width, p.width * fx);
    const double needHeight = std::min<double>(p.height, p.height * fy);
    return file.source->orientation() >= 5 ? QSizeF(needHeight, needWidth)
                                           : QSizeF(needWidth, needHeight);
}

void decodeFor(Impl& p, FromFile& file, double fx, double fy) {
    if (!file.decoded.isNull()) {
        const bool swapped = file.orientation >= 5;
        const int w = swapped ? file.decoded.height() : file.decoded.width();
        const int h = swapped ? file.decoded.width() : file.decoded.height();
        if ((w + 1e-6 >= std::min<double>(p.width, p.width * fx) &&
             h + 1e-6 >= std::min<double>(p.height, p.height * fy)) ||
            file.decodeFailed)
            return;
    }
    const QSizeF need = storedNeed(p, file, fx, fy);
    QImage image = file.source->decode(need.width(), need.height());
    if (image.isNull()) {
        // A decode at a higher scale that fails leaves the one there is.
        if (file.decoded.isNull())
            undecodable(p);
        file.decodeFailed = true;
        return;
    }
    file.decoded = std::move(image);
    file.orientation = file.source->orientation();
    p.icc = file.source->iccProfile();
}

void makeUpright(FromFile& file) {
    if (file.orientation == 1)
        return;
    QImage upright = orient(file.decoded, file.orientation);
    if (upright.isNull())
        throw std::bad_alloc();
    file.decoded = std::move(upright);
    file.orientation = 1;
}

OwnPixels& decodeWhole(Impl& p, FromFile& file) {
    decodeFor(p, file, 1, 1);
    makeUpright(file);
    QImage image = std::move(file.decoded);
    // A reduced decode is all there is when the whole one failed.
    if (image.width() != p.width || image.height() != p.height)
        image = resized(image, p.width, p.height);
    p.content = OwnPixels{std::move(image)};
    return std::get<OwnPixels>(p.content);
}

}  // namespace pic

PicturePtr Picture::Open(const FolderItemPtr& file) {
    if (!file)
        throw NilObjectException();
    const pic::CodecMessageScope quiet;
    std::unique_ptr<pic::PictureSource> source = pic::openPictureSource(file->NativePath());
    if (!source)
        return nullptr;
    const QSize stored = source->storedSize();
    if (stored.width() < 1 || stored.height() < 1)
        return nullptr;
    const int orientation = source->orientation();
    const bool swap = orientation >= 5;
    auto impl = std::make_unique<Impl>(swap ? stored.height() : stored.width(),
                                       swap ? stored.width() : stored.height(),
                                       pic::FromFile{std::move(source), {}, orientation, false});
    return PicturePtr(new Picture(std::move(impl)));
}

}  // namespace fw
