#pragma once

#include <QImage>

namespace fw::pic {

// A new, uninitialised image whose pixel memory comes from a small cache of recently released
// buffers. Pictures are processed one after another with buffers of similar sizes; reusing the
// memory spares faulting fresh pages in for every picture, which costs more than filtering them
// on some machines. Null when the memory cannot be had.
[[nodiscard]] QImage newImage(int width, int height, QImage::Format format);

}  // namespace fw::pic
