#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Picture files made on the spot, for the tests, the fuzz target's seeds and the benchmark of
// hostile files: small good pictures of every format the platform reads, and damaged, forged or
// hostile ones. The bytes are returned; nothing is read from elsewhere. The header stays free of
// Qt and codec headers so that the engine's and the tools' tests can use it.
namespace picturefiles {

using Bytes = std::string;

// Component values as the file stores them: 1 (grey), 3 (RGB) or 4 (CMYK, as Adobe writes it:
// 0 is full ink).
using Colour = std::vector<std::uint8_t>;

struct JpegOptions {
    bool progressive = false;
    // CMYK files only: whether the Adobe marker that says how the inks are stored is written.
    bool adobeMarker = true;
    int quality = 90;
    // 1..8 adds an Exif segment with that orientation; 0 adds none.
    int orientation = 0;
};

// A JPEG through libjpeg of w x h, the top half in one colour and the bottom half in the other;
// the colours' size picks grey, RGB or CMYK.
[[nodiscard]] Bytes jpeg(int w, int h, const Colour& top, const Colour& bottom,
                         const JpegOptions& options = {});

// w x h of four flat quadrants, red, green / blue, yellow, written by Qt in that format ("png",
// "bmp", "tiff", "webp", "ppm" ...); quality as Qt's writer takes it (WebP at 100 is lossless).
[[nodiscard]] Bytes qtPicture(int w, int h, const char* format, int quality = 100);

enum class PngKind { Alpha, Palette, Deep, Interlaced };
// A small PNG: with an alpha channel (left half clear), with a palette, of 16 bits a sample, or
// Adam7-interlaced.
[[nodiscard]] Bytes png(int w, int h, PngKind kind);
// A GIF whose logical screen is screenWidth x screenHeight, holding one w x h frame at the top
// left (a palette of four colours).
[[nodiscard]] Bytes gif(int w, int h, int screenWidth, int screenHeight);
// An uncompressed 24-bit TGA 2.0; with pixels false, its header and footer alone (any size can be
// declared).
[[nodiscard]] Bytes tga(int w, int h, bool pixels = true);
// An uncompressed RGB TIFF of four flat quadrants with its directory first, as cameras and
// scanners write them (Qt writes it last).
[[nodiscard]] Bytes tiff(int w, int h);
// An uncompressed RGB TIFF that compresses like a photograph: smooth colour waves and fine noise.
[[nodiscard]] Bytes photographLike(int w, int h);
// A lossless WebP of four flat quadrants with an EXIF chunk carrying the orientation (1..8), in
// the extended container.
[[nodiscard]] Bytes webpWithOrientation(int w, int h, int orientation);

// An SVG with a red rectangle on the left half and blue on the right.
[[nodiscard]] Bytes svg(int w, int h);
// An SVG that draws text.
[[nodiscard]] Bytes svgWithText(int w, int h);
// An SVG that would draw the file at that reference (a path or URL) over its whole area, through
// an <image> href; with stylesheet, through an xml-stylesheet instruction instead.
[[nodiscard]] Bytes svgReferencing(const std::string& reference, bool stylesheet = false);

// An SVG whose only drawing is that document, embedded as a data: URL.
[[nodiscard]] Bytes svgEmbedding(const Bytes& document);

// The first keep bytes.
[[nodiscard]] Bytes truncated(const Bytes& bytes, std::size_t keep);

// Hostile JPEGs, grey, with tables that every decoder accepts:
// a progressive one whose first scan sets every DC coefficient and which then repeats an AC scan
// that skips every block in one run, `scans` times (each costs the decoder a pass over every
// block);
[[nodiscard]] Bytes scanBombJpeg(int w, int h, int scans);
// the same with successive-approximation refinement scans over the whole band, the costliest
// kind of empty scan;
[[nodiscard]] Bytes refinementBombJpeg(int w, int h, int scans);
// the markers up to the first scan, and no data (the size can be any up to 65535);
[[nodiscard]] Bytes headerOnlyJpeg(int w, int h, bool progressive);
// a baseline one whose entropy-coded data is a run of codes that no table holds;
[[nodiscard]] Bytes garbageHuffmanJpeg(int w, int h);
// a baseline one whose data covers only its first row of blocks.
[[nodiscard]] Bytes firstRowOnlyJpeg(int w, int h);

// A good picture of each kind the platform reads, small: the fuzz target's seeds. One line each;
// the name's extension tells the format.
struct Seed {
    const char* name;
    std::function<Bytes()> make;
};
[[nodiscard]] const std::vector<Seed>& seeds();

}  // namespace picturefiles
