#include "engine/framework/picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <optional>

#include "engine/framework/exceptions.h"
#include "platform/picture/codecmessages.h"
#include "platform/picture/imagebuffer.h"
#include "platform/picture/pictureimpl.h"
#include "platform/picture/pixelops.h"
#include "platform/picture/resampler.h"

namespace fw {

namespace pic {

namespace {

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

DrawKey keyOf(const Impl& source, const Rect& d, const Rect& s) {
    return {source.id, source.generation, {d.x, d.y, d.w, d.h, s.x, s.y, s.w, s.h}};
}

// How the source rectangle s maps onto the destination pixels r of rectangle d, for source
// pixels of the given size. With an orientation still to apply, only whole draws come here: they
// scale in the stored axes and turn the small result upright afterwards.
struct Plan {
    AxisFilter fx;
    AxisFilter fy;
};

Plan planFor(const Impl& src, int inputWidth, int inputHeight, int orientation, const Rect& s,
             const Rect& d, const Region& r) {
    const bool swap = orientation >= 5;
    const int outW = swap ? r.height() : r.width();
    const int outH = swap ? r.width() : r.height();
    if (orientation != 1) {
        return {AxisFilter(outW, {0, static_cast<double>(inputWidth) / outW}, 0, inputWidth),
                AxisFilter(outH, {0, static_cast<double>(inputHeight) / outH}, 0, inputHeight)};
    }
    const double kx = static_cast<double>(inputWidth) / src.width;
    const double ky = static_cast<double>(inputHeight) / src.height;
    const int bx0 = std::clamp(static_cast<int>(std::floor(s.x * kx)), 0, inputWidth - 1);
    const int by0 = std::clamp(static_cast<int>(std::floor(s.y * ky)), 0, inputHeight - 1);
    const int bx1 = std::clamp(static_cast<int>(std::ceil((s.x + s.w) * kx)), bx0 + 1, inputWidth);
    const int by1 = std::clamp(static_cast<int>(std::ceil((s.y + s.h) * ky)), by0 + 1, inputHeight);
    return {AxisFilter(outW, {(s.x + (r.x0 - d.x) * s.w / d.w) * kx, s.w / d.w * kx}, bx0, bx1),
            AxisFilter(outH, {(s.y + (r.y0 - d.y) * s.h / d.h) * ky, s.h / d.h * ky}, by0, by1)};
}

// Feeds decoded rows straight through the filter.
class ResamplingSink final : public RowSink {
public:
    ResamplingSink(const Impl& src, int orientation, const Rect& s, const Rect& d, const Region& r)
        : m_src(src), m_orientation(orientation), m_s(s), m_d(d), m_r(r) {}

    bool begin(int width, int height, QImage::Format format) override {
        m_plan.emplace(planFor(m_src, width, height, m_orientation, m_s, m_d, m_r));
        m_out = newImage(m_plan->fx.outCount(), m_plan->fy.outCount(), format);
        if (m_out.isNull()) {
            m_refused = true;
            return false;
        }
        m_rows.emplace(m_plan->fx, m_plan->fy, m_out.depth() / 8,
                       Pixels{m_out.bits(), m_out.bytesPerLine(), m_out.width(), m_out.height()});
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
    std::optional<RowResampler> m_rows;
    bool m_refused = false;
};

// A layer becomes the picture it stands for: itself over white.
void flattenLayer(Impl& p) {
    if (auto* layer = p.as<Layer>()) {
        flattenOverWhite(layer->image);
        p.content = OwnPixels{std::move(layer->image)};
    }
}

// Before a picture is changed: its own full-size, upright, straight pixels, a blank one made
// white and a layer flattened.
OwnPixels& materialize(Impl& p) {
    if (auto* file = p.as<FromFile>()) {
        decodeWhole(p, *file);
    } else if (p.as<Blank>()) {
        p.content = OwnPixels{blankImage(p.width, p.height, QImage::Format_RGBX8888)};
    } else if (p.as<Layer>()) {
        flattenLayer(p);
    } else if (p.as<Undecodable>()) {
        throw UnsupportedFormatException();
    }
    OwnPixels& pixels = std::get<OwnPixels>(p.content);
    if (pixels.image.format() == QImage::Format_RGBA8888_Premultiplied)
        unpremultiply(pixels.image);
    return pixels;
}

// The source rectangle s of a picture scaled to the destination pixels r of rectangle d: its
// colour (premultiplied where transparent), or with alphaOnly its transparency as Grayscale8.
QImage scaled(Impl& src, const Rect& s, const Rect& d, const Region& r, bool alphaOnly) {
    if (src.as<Blank>()) {
        return blankImage(r.width(), r.height(),
                          alphaOnly ? QImage::Format_Grayscale8 : QImage::Format_RGBX8888);
    }
    if (src.as<Undecodable>())
        throw UnsupportedFormatException();
    const bool whole = s.x == 0 && s.y == 0 && s.w == src.width && s.h == src.height &&
                       d.x == r.x0 && d.y == r.y0 && d.w == r.width() && d.h == r.height();
    const double fx = d.w / s.w;
    const double fy = d.h / s.h;
    QImage* pixels = nullptr;
    int orientation = 1;
    if (auto* file = src.as<FromFile>()) {
        if (file->decoded.isNull() && !alphaOnly && (file->orientation == 1 || whole)) {
            // The first need of a file's pixels: decode straight through the filter, so that
            // the decoded picture is never held whole.
            const QSizeF need = storedNeed(src, *file, fx, fy);
            ResamplingSink sink(src, file->orientation, s, d, r);
            switch (file->source->decodeRows(need.width(), need.height(), sink)) {
                case RowsResult::Decoded: {
                    src.icc = file->source->iccProfile();
                    QImage out = sink.result();
                    if (out.isNull())
                        throw std::bad_alloc();
                    return file->orientation == 1 ? out : orient(out, file->orientation);
                }
                case RowsResult::Failed:
                    if (sink.refused())
                        throw std::bad_alloc();
                    undecodable(src);
                case RowsResult::Unsupported:
                    break;
            }
        }
        decodeFor(src, *file, fx, fy);
        // Any draw but a whole one needs the source upright first.
        if (file->orientation != 1 && !whole)
            makeUpright(*file);
        pixels = &file->decoded;
        orientation = file->orientation;
    } else {
        flattenLayer(src);
        pixels = &std::get<OwnPixels>(src.content).image;
    }
    if (!alphaOnly && pixels->format() == QImage::Format_RGBA8888)
        pixels->convertTo(QImage::Format_RGBA8888_Premultiplied);
    const QImage input = alphaOnly ? alphaPlane(*pixels) : *pixels;
    if (input.isNull())
        throw std::bad_alloc();
    const Plan plan = planFor(src, input.width(), input.height(), orientation, s, d, r);
    QImage out = newImage(plan.fx.outCount(), plan.fy.outCount(), input.format());
    if (out.isNull())
        throw std::bad_alloc();
    resample({input.constBits(), input.bytesPerLine(), input.width(), input.height()},
             {out.bits(), out.bytesPerLine(), out.width(), out.height()}, input.depth() / 8,
             plan.fx, plan.fy);
    return orientation == 1 ? out : orient(out, orientation);
}

// A mask shows as grey: black where opaque, white where transparent. The source rectangle s of
// the picture's transparency scaled to the destination pixels r of rectangle d.
QImage maskAsGrey(Impl& src, const Rect& s, const Rect& d, const Region& r) {
    if (isOpaque(src))
        return greyPlane(r.width(), r.height(), 0);
    const QImage plane = scaled(src, s, d, r, true);
    return plane.isNull() ? plane : alphaFromGrey(plane);
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
    QImage layer = sourceIsMask ? maskAsGrey(src, s, d, r) : scaled(src, s, d, r, false);
    if (layer.isNull())
        return;

    if (dst.as<Blank>() && r.covers(dst)) {
        // The whole blank picture: the scaled pixels become the picture, with no copy.
        if (layer.format() == QImage::Format_RGBA8888_Premultiplied) {
            unpremultiply(layer);
            dst.content = Layer{std::move(layer), keyOf(src, d, s)};
        } else {
            dst.content = OwnPixels{std::move(layer)};
        }
    } else {
        QImage& pixels = materialize(dst).image;
        if (pixels.format() == QImage::Format_Grayscale8 &&
            layer.format() == QImage::Format_Grayscale8) {
            copyGrey(pixels, layer, r.x0, r.y0);
        } else {
            if (pixels.format() == QImage::Format_Grayscale8)
                pixels.convertTo(QImage::Format_RGBX8888);
            compositeOver(pixels, layer, r.x0, r.y0);
        }
    }
    if (dst.icc.isEmpty() && !sourceIsMask)
        dst.icc = src.icc;
    ++dst.generation;
}

void writeAlpha(Impl& dst, const QImage& plane, const Region& r) {
    QImage& pixels = materialize(dst).image;
    if (pixels.format() == QImage::Format_RGBX8888)
        pixels.reinterpretAsFormat(QImage::Format_RGBA8888);
    else if (pixels.format() != QImage::Format_RGBA8888)
        pixels.convertTo(QImage::Format_RGBA8888);
    setAlpha(pixels, plane, r.x0, r.y0);
    ++dst.generation;
}

void drawMask(Impl& dst, Impl& src, bool sourceIsMask, const Rect& d, const Rect& s) {
    const Region r = covered(d, dst);
    if (r.empty())
        return;
    QImage plane;
    if (sourceIsMask) {
        auto* layer = dst.as<Layer>();
        if (layer && r.covers(dst) && layer->key == keyOf(src, d, s)) {
            // The transparency the colour draw already scaled: the layer becomes the picture.
            dst.content = OwnPixels{std::move(layer->image)};
            ++dst.generation;
            return;
        }
        if (isOpaque(src)) {
            if (isOpaque(dst))
                return;
            plane = greyPlane(r.width(), r.height(), 255);
        } else {
            plane = scaled(src, s, d, r, true);
        }
    } else {
        // A picture drawn into a mask: dark is opaque.
        QImage colour = scaled(src, s, d, r, false);
        if (colour.isNull())
            return;
        flattenOverWhite(colour);
        plane = alphaFromGrey(colour);
    }
    if (plane.isNull())
        return;
    writeAlpha(dst, plane, r);
}

// A copy of a picture's content, for a draw of a picture (or its mask) into itself.
std::unique_ptr<Impl> snapshotOf(Impl& p) {
    const QImage& pixels = materialize(p).image;
    auto copy = std::make_unique<Impl>(p.width, p.height, OwnPixels{pixels.copy()});
    copy->icc = p.icc;
    return copy;
}

}  // namespace

QImage maskAsGrey(Impl& p) {
    const Rect whole{0, 0, static_cast<double>(p.width), static_cast<double>(p.height)};
    return maskAsGrey(p, whole, whole, covered(whole, p));
}

}  // namespace pic

void Graphics::DrawPicture(Picture& source, double x, double y, double width, double height,
                           double sourceX, double sourceY, double sourceWidth,
                           double sourceHeight) {
    const pic::Rect d{x, y, width, height};
    const pic::Rect s{sourceX, sourceY, sourceWidth, sourceHeight};
    if (!pic::usable(d) || !pic::usable(s))
        return;
    const pic::CodecMessageScope quiet;
    Picture::Impl& target = m_owner.impl();
    Picture::Impl& destination = pic::contentOf(target);
    const bool sourceIsMask = source.impl().as<pic::MaskView>() != nullptr;
    Picture::Impl* from = &pic::contentOf(source.impl());
    std::unique_ptr<Picture::Impl> snapshot;
    if (from == &destination) {
        snapshot = pic::snapshotOf(destination);
        from = snapshot.get();
    }
    if (target.as<pic::MaskView>())
        pic::drawMask(destination, *from, sourceIsMask, d, s);
    else
        pic::drawColour(destination, *from, sourceIsMask, d, s);
}

}  // namespace fw
