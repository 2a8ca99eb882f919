#pragma once

#include <QByteArray>
#include <QImage>
#include <QSizeF>

#include <array>
#include <cstdint>
#include <memory>
#include <variant>

#include "engine/framework/picture.h"
#include "platform/picture/picturesource.h"

namespace fw::pic {

// Identifies one draw: the source picture in one state of its content, and the rectangles.
struct DrawKey {
    std::uint64_t source = 0;
    std::uint64_t generation = 0;
    std::array<double, 8> rectangles{};

    bool operator==(const DrawKey&) const = default;
};

// What a picture is; exactly one of these at a time.

// A new picture not drawn into yet: opaque white, without pixels.
struct Blank {};

// A picture opened from a file. Its pixels are decoded on demand: `decoded` is null until the
// first decode that is kept, then the pixels at some scale (maybe reduced, in the file's stored
// axes) with `orientation` still to apply; a later need of more pixels decodes again at a
// higher scale. When such a decode fails, the one there is serves (`decodeFailed`).
struct FromFile {
    std::unique_ptr<PictureSource> source;
    QImage decoded;
    int orientation = 1;
    bool decodeFailed = false;
};

// A file whose pixels turned out not to decode at all: no picture. Every use of its pixels
// raises UnsupportedFormatException.
struct Undecodable {};

// Pixels of its own, full size and upright: Grayscale8, RGBX8888, RGBA8888 (straight alpha) or
// RGBA8888_Premultiplied.
struct OwnPixels {
    QImage image;
};

// A whole draw into a blank picture, not yet flattened: straight RGBA, and the picture is that
// layer over white, opaque. Drawing the transparency that the same draw (`key`) scaled into the
// mask makes the layer the picture with its own colour at the edges, without a white fringe.
struct Layer {
    QImage image;
    DrawKey key;
};

// A mask: a view of its owner's transparency, without content of its own.
struct MaskView {
    fw::Picture* owner = nullptr;
};

using Content = std::variant<Blank, FromFile, Undecodable, OwnPixels, Layer, MaskView>;

}  // namespace fw::pic

struct fw::Picture::Impl {
    Impl(int width, int height, fw::pic::Content content);

    int width = 0;  // upright size (0 x 0 on a mask, which has its owner's)
    int height = 0;
    std::uint64_t id = 0;          // unique for the process's life
    std::uint64_t generation = 0;  // bumped whenever the content changes
    fw::pic::Content content;

    std::unique_ptr<fw::Picture> mask;
    std::unique_ptr<fw::Graphics> graphics;
    bool maskCreated = false;  // asked for with create: the picture has a mask, opaque or not

    // The colour profile of the pixels, carried into saved files.
    QByteArray icc;

    template <typename State>
    [[nodiscard]] State* as() {
        return std::get_if<State>(&content);
    }
    template <typename State>
    [[nodiscard]] const State* as() const {
        return std::get_if<State>(&content);
    }
};

// What the picture operations share, one operation per file: opening and decoding
// (pictureopen.cpp), drawing (picturedraw.cpp) and saving (picturesave.cpp).
namespace fw::pic {

using Impl = fw::Picture::Impl;

// The owner of a mask, the picture itself otherwise.
[[nodiscard]] Impl& contentOf(Impl& p);

// Whether the picture is known to be opaque without decoding more than it has.
[[nodiscard]] bool isOpaque(const Impl& p);

// Raises UnsupportedFormatException; the picture becomes Undecodable.
[[noreturn]] void undecodable(Impl& p);

// The fractions of its full size at which a draw needs a file's pixels, in its stored axes.
[[nodiscard]] QSizeF storedNeed(const Impl& p, const FromFile& file, double fx, double fy);
// Makes sure a picture opened from a file has pixels at (at least) the fractions of its full
// size asked for, decoding again at a higher scale when the ones there are fall short.
void decodeFor(Impl& p, FromFile& file, double fx, double fy);
// Turns a file's decoded pixels upright.
void makeUpright(FromFile& file);
// A picture opened from a file becomes its pixels, decoded whole and upright (premultiplied
// when a draw left them so).
OwnPixels& decodeWhole(Impl& p, FromFile& file);
// The transparency of the whole picture at its full size as a mask shows it: Grayscale8, black
// where opaque, white where transparent.
[[nodiscard]] QImage maskAsGrey(Impl& p);

// An image of that size filled with white; throws std::bad_alloc when there is no memory.
[[nodiscard]] QImage blankImage(int width, int height, QImage::Format format);
// A Grayscale8 image of that size at one level (0 black, 255 white); throws std::bad_alloc when
// there is no memory.
[[nodiscard]] QImage greyPlane(int width, int height, std::uint8_t level);

}  // namespace fw::pic
