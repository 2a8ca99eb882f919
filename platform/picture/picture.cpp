#include "engine/framework/picture.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <QSizeF>

#include "engine/framework/exceptions.h"
#include "platform/core/atomicfile.h"
#include "platform/picture/imagebuffer.h"
#include "platform/picture/jpegcodec.h"
#include "platform/picture/pictureimpl.h"
#include "platform/picture/pixelops.h"
#include "platform/picture/qtcodec.h"
#include "platform/picture/resampler.h"

namespace fw {

using Impl = Picture::Impl;

namespace {

constexpr std::int64_t maxSide = 32767;
std::atomic<std::uint64_t> nextPictureId{1};

struct Rect {
    double x = 0;
    double y = 0;
    double w = 0;
    double h = 0;
};

// Destination pixels whose centres fall inside a rectangle.
struct Region {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    [[nodiscard]] int width() const { return x1 - x0; }
    [[nodiscard]] int height() const { return y1 - y0; }
    [[nodiscard]] bool empty() const { return x1 <= x0 || y1 <= y0; }
    [[nodiscard]] bool covers(const Impl& p) const {
        return x0 == 0 && y0 == 0 && x1 == p.width && y1 == p.height;
    }
};

// A low, fixed threshold makes glibc hand big blocks (libjpeg's coefficient arrays for
// progressive files) back to the system when they are freed, instead of moving ever larger ones
// into the heap where their freed space stays mapped and adds up from one picture to the next.
// The pictures' own buffers are reused through the image buffer cache.
void tuneAllocator() {
#if defined(__GLIBC__)
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, 1 << 20);
        mallopt(M_TRIM_THRESHOLD, 4 << 20);
    });
#endif
}

bool usable(const Rect& r) {
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.w) && std::isfinite(r.h) &&
           r.w > 0 && r.h > 0;
}

Region covered(const Rect& d, const Impl& p) {
    auto edge = [](double v, int limit) {
        return static_cast<int>(std::clamp(std::ceil(v - 0.5), 0.0, static_cast<double>(limit)));
    };
    return {edge(d.x, p.width), edge(d.y, p.height), edge(d.x + d.w, p.width),
            edge(d.y + d.h, p.height)};
}

pic::DrawKey keyOf(const Impl& source, const Rect& d, const Rect& s) {
    return {source.id, source.generation, {d.x, d.y, d.w, d.h, s.x, s.y, s.w, s.h}};
}

QImage blankImage(int width, int height, QImage::Format format) {
    QImage image = pic::newImage(width, height, format);
    if (image.isNull())
        throw std::bad_alloc();
    image.fill(Qt::white);
    return image;
}

bool isOpaque(const Impl& p) {
    if (p.layer)
        return true;
    if (p.pixels.isNull())
        return !p.source || p.decodeFailed || !p.source->mayHaveAlpha();
    return !pic::hasAlpha(p.pixels);
}

// What a draw at these fractions of the full size needs decoded, in the file's stored axes.
QSizeF storedNeed(const Impl& p, double fx, double fy) {
    const double needWidth = std::min<double>(p.width, p.width * fx);
    const double needHeight = std::min<double>(p.height, p.height * fy);
    return p.source->orientation() >= 5 ? QSizeF(needHeight, needWidth)
                                        : QSizeF(needWidth, needHeight);
}

[[noreturn]] void unreadable(Impl& p) {
    p.decodeFailed = true;
    throw UnsupportedFormatException();
}

// Makes sure a picture opened from a file has pixels at (at least) the fractions of its full
// size asked for, decoding again at a higher scale when the cached decode falls short; a decode
// at a higher scale that fails leaves the one there is. False when there are no pixels to read;
// a file whose pixels do not decode at all raises UnsupportedFormatException.
bool decodeFor(Impl& p, double fx, double fy) {
    if (!p.source)
        return !p.pixels.isNull();
    if (!p.pixels.isNull()) {
        const bool swapped = p.orientation >= 5;
        const int w = swapped ? p.pixels.height() : p.pixels.width();
        const int h = swapped ? p.pixels.width() : p.pixels.height();
        if (w + 1e-6 >= std::min<double>(p.width, p.width * fx) &&
            h + 1e-6 >= std::min<double>(p.height, p.height * fy))
            return true;
    }
    if (p.decodeFailed) {
        if (p.pixels.isNull())
            unreadable(p);
        return true;
    }
    const QSizeF need = storedNeed(p, fx, fy);
    QImage image = p.source->decode(need.width(), need.height());
    if (image.isNull()) {
        if (p.pixels.isNull())
            unreadable(p);
        p.decodeFailed = true;
        return true;
    }
    p.pixels = std::move(image);
    p.orientation = p.source->orientation();
    p.icc = p.source->iccProfile();
    return true;
}

void makeUpright(Impl& p) {
    if (p.orientation == 1 || p.pixels.isNull())
        return;
    QImage upright = pic::orient(p.pixels, p.orientation);
    if (upright.isNull())
        throw std::bad_alloc();
    p.pixels = std::move(upright);
    p.orientation = 1;
}

// Resamples a whole image to an exact size.
QImage resized(const QImage& input, int width, int height) {
    QImage out(width, height, input.format());
    if (out.isNull())
        throw std::bad_alloc();
    const pic::AxisFilter fx(width, {0, static_cast<double>(input.width()) / width}, 0,
                             input.width());
    const pic::AxisFilter fy(height, {0, static_cast<double>(input.height()) / height}, 0,
                             input.height());
    pic::resample({input.constBits(), input.bytesPerLine(), input.width(), input.height()},
                  {out.bits(), out.bytesPerLine(), width, height}, input.depth() / 8, fx, fy);
    return out;
}

// Before a picture is changed: its own full-size, upright, straight pixels, its layer flattened.
void materialize(Impl& p) {
    if (p.source) {
        decodeFor(p, 1, 1);
        makeUpright(p);
        if (!p.pixels.isNull() && (p.pixels.width() != p.width || p.pixels.height() != p.height))
            p.pixels = resized(p.pixels, p.width, p.height);
        p.source.reset();
        p.orientation = 1;
    }
    if (p.pixels.isNull())
        p.pixels = blankImage(p.width, p.height, QImage::Format_RGBX8888);
    if (p.layer) {
        pic::flattenOverWhite(p.pixels);
        p.layer = false;
    }
    if (p.pixels.format() == QImage::Format_RGBA8888_Premultiplied)
        pic::unpremultiply(p.pixels);
}

// How the source rectangle s maps onto the destination pixels r of rectangle d, for source
// pixels of the given size. With an orientation still to apply, only whole draws come here: they
// scale in the stored axes and turn the small result upright afterwards.
struct Plan {
    pic::AxisFilter fx;
    pic::AxisFilter fy;
};

Plan planFor(const Impl& src, int inputWidth, int inputHeight, int orientation, const Rect& s,
             const Rect& d, const Region& r) {
    const bool swap = orientation >= 5;
    const int outW = swap ? r.height() : r.width();
    const int outH = swap ? r.width() : r.height();
    if (orientation != 1) {
        return {
            pic::AxisFilter(outW, {0, static_cast<double>(inputWidth) / outW}, 0, inputWidth),
            pic::AxisFilter(outH, {0, static_cast<double>(inputHeight) / outH}, 0, inputHeight)};
    }
    const double kx = static_cast<double>(inputWidth) / src.width;
    const double ky = static_cast<double>(inputHeight) / src.height;
    const int bx0 = std::clamp(static_cast<int>(std::floor(s.x * kx)), 0, inputWidth - 1);
    const int by0 = std::clamp(static_cast<int>(std::floor(s.y * ky)), 0, inputHeight - 1);
    const int bx1 = std::clamp(static_cast<int>(std::ceil((s.x + s.w) * kx)), bx0 + 1, inputWidth);
    const int by1 = std::clamp(static_cast<int>(std::ceil((s.y + s.h) * ky)), by0 + 1, inputHeight);
    return {
        pic::AxisFilter(outW, {(s.x + (r.x0 - d.x) * s.w / d.w) * kx, s.w / d.w * kx}, bx0, bx1),
        pic::AxisFilter(outH, {(s.y + (r.y0 - d.y) * s.h / d.h) * ky, s.h / d.h * ky}, by0, by1)};
}

// Feeds decoded rows straight through the filter.
class ResamplingSink final : public pic::RowSink {
public:
    ResamplingSink(const Impl& src, int orientation, const Rect& s, const Rect& d, const Region& r)
        : m_src(src), m_orientation(orientation), m_s(s), m_d(d), m_r(r) {}

    bool begin(int width, int height, QImage::Format format) override {
        m_plan.emplace(planFor(m_src, width, height, m_orientation, m_s, m_d, m_r));
        m_out = pic::newImage(m_plan->fx.outCount(), m_plan->fy.outCount(), format);
        if (m_out.isNull()) {
            m_refused = true;
            return false;
        }
        m_rows.emplace(
            m_plan->fx, m_plan->fy, m_out.depth() / 8,
            pic::Pixels{m_out.bits(), m_out.bytesPerLine(), m_out.width(), m_out.height()});
        return true;
    }
    void row(const std::uint8_t* pixels) override { m_rows->push(pixels); }

    // Whether begin found no memory for the scaled picture.
    [[nodiscard]] bool refused() const { return m_refused; }

    [[nodiscard]] QImage result() {
        if (!m_rows)
            return {};
        m_rows->finish();
        return std::move(m_out);
    }

private:
    const Impl& m_src;
    int m_orientation;
    Rect m_s, m_d;
    Region m_r;
    std::optional<Plan> m_plan;
    QImage m_out;
    std::optional<pic::RowResampler> m_rows;
    bool m_refused = false;
};

// The source rectangle s of a picture scaled to the destination pixels r of rectangle d: its
// colour (premultiplied where transparent), or with alphaOnly its transparency as Grayscale8.
QImage scaled(Impl& src, const Rect& s, const Rect& d, const Region& r, bool alphaOnly) {
    if (src.pixels.isNull() && !src.source) {
        return blankImage(r.width(), r.height(),
                          alphaOnly ? QImage::Format_Grayscale8 : QImage::Format_RGBX8888);
    }
    const bool whole = s.x == 0 && s.y == 0 && s.w == src.width && s.h == src.height &&
                       d.x == r.x0 && d.y == r.y0 && d.w == r.width() && d.h == r.height();
    const double fx = d.w / s.w;
    const double fy = d.h / s.h;
    if (src.source && src.pixels.isNull() && !src.decodeFailed && !alphaOnly &&
        (src.orientation == 1 || whole)) {
        // The first need of a file's pixels: decode straight through the filter, so that the
        // decoded picture is never held whole.
        const QSizeF need = storedNeed(src, fx, fy);
        ResamplingSink sink(src, src.orientation, s, d, r);
        switch (src.source->decodeRows(need.width(), need.height(), sink)) {
            case pic::RowsResult::Decoded: {
                src.icc = src.source->iccProfile();
                QImage out = sink.result();
                if (out.isNull())
                    throw std::bad_alloc();
                return src.orientation == 1 ? out : pic::orient(out, src.orientation);
            }
            case pic::RowsResult::Failed:
                if (sink.refused())
                    throw std::bad_alloc();
                unreadable(src);
            case pic::RowsResult::Unsupported:
                break;
        }
    }
    if (!decodeFor(src, fx, fy))
        return {};
    if (src.layer) {
        pic::flattenOverWhite(src.pixels);
        src.layer = false;
    }
    // Any draw but a whole one needs the source upright first.
    if (src.orientation != 1 && !whole)
        makeUpright(src);
    if (!alphaOnly && src.pixels.format() == QImage::Format_RGBA8888)
        src.pixels.convertTo(QImage::Format_RGBA8888_Premultiplied);
    const QImage input = alphaOnly ? pic::alphaPlane(src.pixels) : src.pixels;
    if (input.isNull())
        throw std::bad_alloc();
    const Plan plan = planFor(src, input.width(), input.height(), src.orientation, s, d, r);
    QImage out = pic::newImage(plan.fx.outCount(), plan.fy.outCount(), input.format());
    if (out.isNull())
        throw std::bad_alloc();
    pic::resample({input.constBits(), input.bytesPerLine(), input.width(), input.height()},
                  {out.bits(), out.bytesPerLine(), out.width(), out.height()}, input.depth() / 8,
                  plan.fx, plan.fy);
    return src.orientation == 1 ? out : pic::orient(out, src.orientation);
}

void copyGrey(QImage& destination, const QImage& source, int x0, int y0) {
    for (int y = 0; y < source.height(); ++y)
        std::memcpy(destination.scanLine(y0 + y) + x0, source.constScanLine(y),
                    static_cast<std::size_t>(source.width()));
}

void drawColour(Impl& dst, Impl& src, bool sourceIsMask, const Rect& d, const Rect& s) {
    const Region r = covered(d, dst);
    if (r.empty())
        return;
    QImage layer;
    if (sourceIsMask) {
        // A mask shows as grey: black where opaque, white where transparent.
        if (isOpaque(src)) {
            layer = QImage(r.width(), r.height(), QImage::Format_Grayscale8);
            if (layer.isNull())
                throw std::bad_alloc();
            layer.fill(0);
        } else {
            layer = scaled(src, s, d, r, true);
            if (!layer.isNull())
                layer = pic::alphaFromGrey(layer);
        }
    } else {
        layer = scaled(src, s, d, r, false);
    }
    if (layer.isNull())
        return;

    const bool blank = dst.pixels.isNull() && !dst.source && !dst.layer;
    if (blank && r.covers(dst)) {
        // The whole blank picture: the scaled pixels become the picture, with no copy.
        if (layer.format() == QImage::Format_RGBA8888_Premultiplied) {
            pic::unpremultiply(layer);
            dst.layer = true;
            dst.layerKey = keyOf(src, d, s);
        }
        dst.pixels = std::move(layer);
    } else {
        materialize(dst);
        if (dst.pixels.format() == QImage::Format_Grayscale8 &&
            layer.format() == QImage::Format_Grayscale8) {
            copyGrey(dst.pixels, layer, r.x0, r.y0);
        } else {
            if (dst.pixels.format() == QImage::Format_Grayscale8)
                dst.pixels.convertTo(QImage::Format_RGBX8888);
            pic::compositeOver(dst.pixels, layer, r.x0, r.y0);
        }
    }
    if (dst.icc.isEmpty() && !sourceIsMask)
        dst.icc = src.icc;
    ++dst.generation;
}

void writeAlpha(Impl& dst, const QImage& plane, const Region& r) {
    materialize(dst);
    if (dst.pixels.format() == QImage::Format_RGBX8888)
        dst.pixels.reinterpretAsFormat(QImage::Format_RGBA8888);
    else if (dst.pixels.format() != QImage::Format_RGBA8888)
        dst.pixels.convertTo(QImage::Format_RGBA8888);
    pic::setAlpha(dst.pixels, plane, r.x0, r.y0);
    ++dst.generation;
}

void drawMask(Impl& dst, Impl& src, bool sourceIsMask, const Rect& d, const Rect& s) {
    const Region r = covered(d, dst);
    if (r.empty())
        return;
    QImage plane;
    if (sourceIsMask) {
        if (dst.layer && r.covers(dst) && dst.layerKey == keyOf(src, d, s)) {
            // The transparency the colour draw already scaled: the layer becomes the picture.
            dst.layer = false;
            ++dst.generation;
            return;
        }
        if (isOpaque(src)) {
            if (isOpaque(dst))
                return;
            plane = QImage(r.width(), r.height(), QImage::Format_Grayscale8);
            if (plane.isNull())
                throw std::bad_alloc();
            plane.fill(255);
        } else {
            plane = scaled(src, s, d, r, true);
        }
    } else {
        // A picture drawn into a mask: dark is opaque.
        QImage colour = scaled(src, s, d, r, false);
        if (colour.isNull())
            return;
        pic::flattenOverWhite(colour);
        plane = pic::alphaFromGrey(colour);
    }
    if (plane.isNull())
        return;
    writeAlpha(dst, plane, r);
}

// A copy of a picture's content, for a draw of a picture (or its mask) into itself.
std::unique_ptr<Impl> snapshotOf(Impl& p) {
    materialize(p);
    auto copy = std::make_unique<Impl>(p.width, p.height);
    copy->pixels = p.pixels.copy();
    copy->icc = p.icc;
    return copy;
}

// The full-size, upright pixels to save. For JPEG, transparency is left for the encoder to
// composite over white row by row; PNG gets straight alpha, or none when all is opaque.
QImage imageToSave(Impl& p, bool jpeg) {
    if (p.owner) {
        Impl& owner = p.owner->impl();
        if (isOpaque(owner)) {
            QImage black(owner.width, owner.height, QImage::Format_Grayscale8);
            if (black.isNull())
                throw std::bad_alloc();
            black.fill(0);
            return black;
        }
        const Rect whole{0, 0, static_cast<double>(owner.width), static_cast<double>(owner.height)};
        const QImage plane = scaled(owner, whole, whole, covered(whole, owner), true);
        return plane.isNull() ? plane : pic::alphaFromGrey(plane);
    }
    if (p.source) {
        decodeFor(p, 1, 1);
        makeUpright(p);
        // A reduced decode is all there is when the full one failed.
        if (!p.pixels.isNull() && (p.pixels.width() != p.width || p.pixels.height() != p.height))
            p.pixels = resized(p.pixels, p.width, p.height);
    }
    if (p.pixels.isNull())
        return blankImage(p.width, p.height, QImage::Format_RGBX8888);
    if (p.layer) {
        if (jpeg)
            return p.pixels;
        QImage flat = p.pixels.copy();
        pic::flattenOverWhite(flat);
        return flat;
    }
    if (pic::hasAlpha(p.pixels) && pic::allOpaque(p.pixels))
        p.pixels.reinterpretAsFormat(QImage::Format_RGBX8888);
    if (p.pixels.format() == QImage::Format_RGBA8888_Premultiplied && !jpeg) {
        QImage straight = p.pixels.copy();
        pic::unpremultiply(straight);
        return straight;
    }
    return p.pixels;
}

}  // namespace

Impl::Impl(int w, int h) : width(w), height(h), id(nextPictureId.fetch_add(1)) {
    tuneAllocator();
}

Picture::Picture(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

Picture::Picture(std::int64_t width, std::int64_t height, std::int64_t /*depth*/) {
    if (width < 1 || width > maxSide || height < 1 || height > maxSide)
        throw OutOfBoundsException("Width/Height needs to be in the range 1-32767");
    d = std::make_unique<Impl>(static_cast<int>(width), static_cast<int>(height));
}

Picture::~Picture() = default;

PicturePtr Picture::Open(const FolderItemPtr& file) {
    if (!file)
        throw NilObjectException();
    tuneAllocator();
    std::unique_ptr<pic::PictureSource> source = pic::openPictureSource(file->NativePath());
    if (!source)
        return nullptr;
    const QSize stored = source->storedSize();
    if (stored.width() < 1 || stored.height() < 1)
        return nullptr;
    const int orientation = source->orientation();
    const bool swap = orientation >= 5;
    auto impl = std::make_unique<Impl>(swap ? stored.height() : stored.width(),
                                       swap ? stored.width() : stored.height());
    impl->orientation = orientation;
    impl->source = std::move(source);
    return PicturePtr(new Picture(std::move(impl)));
}

std::int64_t Picture::Width() const {
    return d->owner ? d->owner->d->width : d->width;
}

std::int64_t Picture::Height() const {
    return d->owner ? d->owner->d->height : d->height;
}

fw::Graphics& Picture::Graphics() {
    if (!d->graphics)
        d->graphics = std::make_unique<fw::Graphics>(*this);
    return *d->graphics;
}

Picture* Picture::Mask(bool create) {
    if (d->owner)
        return nullptr;
    if (!d->mask) {
        if (!create && !hasMask())
            return nullptr;
        auto view = std::make_unique<Impl>(0, 0);
        view->owner = this;
        d->mask.reset(new Picture(std::move(view)));
    }
    if (create)
        d->maskCreated = true;
    return d->mask.get();
}

bool Picture::hasMask() const {
    if (d->owner)
        return false;
    return d->maskCreated || !isOpaque(*d);
}

void Picture::Save(const FolderItemPtr& file, std::int64_t format, std::int64_t quality) {
    if (!file)
        throw NilObjectException();
    if (quality < -1 || quality > 100)
        throw OutOfBoundsException("Quality needs to be -1 or in the range 0-100");
    if (format != FormatPNG && format != FormatJPEG)
        throw UnsupportedOperationException("Pictures can be saved as PNG (150) or JPEG (151)");
    const bool jpeg = format == FormatJPEG;
    const QImage image = imageToSave(*d, jpeg);
    const QByteArray& icc = d->owner ? QByteArray() : d->icc;
    pic::AtomicFile out(file->NativePath());
    if (image.isNull())
        out.fail(ENOMEM);
    if (jpeg) {
        if (const int error =
                pic::writeJpeg(out.descriptor(), image, static_cast<int>(quality), icc))
            out.fail(error);
    } else {
        const QByteArray bytes = pic::encodePng(image, static_cast<int>(quality), icc);
        if (bytes.isEmpty())
            out.fail(EIO);
        out.write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    out.commit();
}

void Graphics::DrawPicture(Picture& source, double x, double y, double width, double height,
                           double sourceX, double sourceY, double sourceWidth,
                           double sourceHeight) {
    const Rect d{x, y, width, height};
    const Rect s{sourceX, sourceY, sourceWidth, sourceHeight};
    if (!usable(d) || !usable(s))
        return;
    Impl& target = m_owner.impl();
    Impl& destination = target.owner ? target.owner->impl() : target;
    const bool sourceIsMask = source.impl().owner != nullptr;
    Impl* from = sourceIsMask ? &source.impl().owner->impl() : &source.impl();
    std::unique_ptr<Impl> snapshot;
    if (from == &destination) {
        snapshot = snapshotOf(destination);
        from = snapshot.get();
    }
    if (target.owner)
        drawMask(destination, *from, sourceIsMask, d, s);
    else
        drawColour(destination, *from, sourceIsMask, d, s);
}

}  // namespace fw
