#pragma once

#include <cstdint>
#include <memory>

#include "engine/framework/folderitem.h"

namespace fw {

class Graphics;
class Picture;
using PicturePtr = std::shared_ptr<Picture>;

// Sets the process up for pictures, once, at a program's start and before any picture is
// opened: the allocator is tuned for the big buffers of pictures, the codecs' messages about
// damaged files are kept off stderr, and a program without windows gets a windowless GUI
// application, which the text of vector pictures needs. A program with windows calls it after
// RuntimeInit; a program without windows calls it in place of initHeadless.
void initPictures(int argc, char** argv);

// A picture in memory, with an optional transparency mask. Usable from any thread; one picture is
// not shared between threads.
class Picture {
public:
    static constexpr std::int64_t FormatPNG = 150;
    static constexpr std::int64_t FormatJPEG = 151;

    // Reads the file as a picture, upright (its orientation tag applied); nil when it does not open
    // as a picture. A nil file raises NilObjectException.
    [[nodiscard]] static PicturePtr Open(const FolderItemPtr& file);

    // A blank picture. Each side must lie in 1..32767, otherwise OutOfBoundsException with the text
    // "Width/Height needs to be in the range 1-32767".
    Picture(std::int64_t width, std::int64_t height, std::int64_t depth = 32);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    [[nodiscard]] std::int64_t Width() const;
    [[nodiscard]] std::int64_t Height() const;
    // The picture's drawing surface.
    [[nodiscard]] fw::Graphics& Graphics();
    // The transparency mask, a picture of the same size; created (opaque) when there is none and
    // create is true, nil otherwise. A mask has no mask of its own: nil.
    [[nodiscard]] Picture* Mask(bool create = true);
    [[nodiscard]] bool hasMask() const;

    // Writes the picture as PNG (150) or JPEG (151); quality -1 or 0..100. The file is written to a
    // temporary file beside it and renamed into place when complete. A refused save raises
    // IOException.
    void Save(const FolderItemPtr& file, std::int64_t format, std::int64_t quality);

    struct Impl;
    [[nodiscard]] Impl& impl() { return *d; }

private:
    explicit Picture(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

// The drawing surface of a picture (or of its mask).
class Graphics {
public:
    // Draws the source rectangle scaled into the destination rectangle.
    void DrawPicture(Picture& source, double x, double y, double width, double height,
                     double sourceX, double sourceY, double sourceWidth, double sourceHeight);

    explicit Graphics(Picture& owner) : m_owner(owner) {}

private:
    Picture& m_owner;
};

}  // namespace fw
