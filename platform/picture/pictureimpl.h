#pragma once

#include <QByteArray>
#include <QImage>

#include <array>
#include <cstdint>
#include <memory>

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

}  // namespace fw::pic

// A picture's pixels and how they came about. A picture opened from a file keeps its source and
// decodes on demand (maybe at a reduced scale); a new picture is blank white until drawn into.
// A mask is a view of its owner's transparency and holds no pixels of its own.
struct fw::Picture::Impl {
    Impl(int width, int height);

    int width = 0;  // upright size
    int height = 0;
    std::uint64_t id = 0;          // unique for the process's life
    std::uint64_t generation = 0;  // bumped whenever the content changes

    fw::Picture* owner = nullptr;  // set on a mask: the picture whose transparency it is
    std::unique_ptr<fw::Picture> mask;
    std::unique_ptr<fw::Graphics> graphics;
    bool maskCreated = false;

    // Null: blank, opaque white. Otherwise Grayscale8, RGBX8888, RGBA8888 (straight alpha) or
    // RGBA8888_Premultiplied; full size unless `source` is set.
    QImage pixels;
    // While set, `pixels` is a decode of the file, maybe reduced, with `orientation` still to
    // apply.
    std::unique_ptr<fw::pic::PictureSource> source;
    int orientation = 1;
    bool decodeFailed = false;

    // When set, `pixels` (straight RGBA) is a layer drawn over the blank picture and not yet
    // flattened: the picture is that layer over white, opaque. Drawing the transparency that the
    // same draw scaled (layerKey) into the mask then keeps the layer's own colour, so that edges
    // come out without a white fringe.
    bool layer = false;
    fw::pic::DrawKey layerKey;

    // The colour profile of the pixels, carried into saved files.
    QByteArray icc;
};
