#include "engine/framework/picture.h"

#include <atomic>
#include <new>

#include "engine/framework/exceptions.h"
#include "platform/picture/imagebuffer.h"
#include "platform/picture/pictureimpl.h"
#include "platform/picture/pixelops.h"

namespace fw {

namespace pic {

namespace {

std::atomic<std::uint64_t> nextPictureId{1};

}  // namespace

Impl& contentOf(Impl& p) {
    if (const auto* view = p.as<MaskView>())
        return view->owner->impl();
    return p;
}

bool isOpaque(const Impl& p) {
    struct Visitor {
        bool operator()(const Blank&) const { return true; }
        bool operator()(const FromFile& file) const {
            return file.decoded.isNull() ? !file.source->mayHaveAlpha() : !hasAlpha(file.decoded);
        }
        bool operator()(const Undecodable&) const { return true; }
        bool operator()(const OwnPixels& pixels) const { return !hasAlpha(pixels.image); }
        bool operator()(const Layer&) const { return true; }
        bool operator()(const MaskView&) const { return true; }
    };
    return std::visit(Visitor{}, p.content);
}

void undecodable(Impl& p) {
    p.content = Undecodable{};
    throw UnsupportedFormatException();
}

QImage blankImage(int width, int height, QImage::Format format) {
    QImage image = newImage(width, height, format);
    if (image.isNull())
        throw std::bad_alloc();
    image.fill(Qt::white);
    return image;
}

QImage greyPlane(int width, int height, std::uint8_t level) {
    QImage image = newImage(width, height, QImage::Format_Grayscale8);
    if (image.isNull())
        throw std::bad_alloc();
    image.fill(level);
    return image;
}

}  // namespace pic

namespace {

constexpr std::int64_t maxSide = 32767;

}  // namespace

Picture::Impl::Impl(int w, int h, pic::Content state)
    : width(w), height(h), id(pic::nextPictureId.fetch_add(1)), content(std::move(state)) {}

Picture::Picture(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

Picture::Picture(std::int64_t width, std::int64_t height, std::int64_t /*depth*/) {
    if (width < 1 || width > maxSide || height < 1 || height > maxSide)
        throw OutOfBoundsException("Width/Height needs to be in the range 1-32767");
    d = std::make_unique<Impl>(static_cast<int>(width), static_cast<int>(height), pic::Blank{});
}

Picture::~Picture() = default;

// A mask has its owner's size.
std::int64_t Picture::Width() const {
    return pic::contentOf(*d).width;
}

std::int64_t Picture::Height() const {
    return pic::contentOf(*d).height;
}

fw::Graphics& Picture::Graphics() {
    if (!d->graphics)
        d->graphics = std::make_unique<fw::Graphics>(*this);
    return *d->graphics;
}

Picture* Picture::Mask(bool create) {
    if (d->as<pic::MaskView>())
        return nullptr;
    if (!d->mask) {
        if (!create && !hasMask())
            return nullptr;
        d->mask.reset(new Picture(std::make_unique<Impl>(0, 0, pic::MaskView{this})));
    }
    if (create)
        d->maskCreated = true;
    return d->mask.get();
}

bool Picture::hasMask() const {
    if (d->as<pic::MaskView>())
        return false;
    return d->maskCreated || !pic::isOpaque(*d);
}

}  // namespace fw
