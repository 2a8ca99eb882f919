#pragma once

#include <string>

// Picture files of every format the platform reads, for tests of program code: the interface
// needs no Qt.
namespace samplefiles {

enum class Format { Jpeg, Png, Heic, Avif, Jxl };

// A 64 x 40 picture of four quadrants (red, green / blue, yellow), stored turned so that the
// orientation the file carries (1..8, as Exif counts) makes it upright again.
[[nodiscard]] std::string upright(Format format, int orientation);

enum class Damage {
    CutInHalf,
    Scrambled,          // every fifth byte past the first quarter changed
    BadCrc,             // PNG: a wrong CRC on its image data
    HeaderClaims32767,  // PNG: a header declaring 32767 x 32767 and one empty row of data
    HeaderClaims100000,
    HeaderClaims100,  // small enough to look plausible until it is decoded
};
// A damaged file of that format (of a picture big enough for the data to span several chunks).
[[nodiscard]] std::string damaged(Format format, Damage damage);

struct Rgb {
    int r = -1;
    int g = -1;
    int b = -1;
};
// The colour at a point of a picture file, as Qt's image reader sees it; -1s when it does not
// open or the point lies outside.
[[nodiscard]] Rgb colourAt(const std::string& file, int x, int y);
// How far a colour is from another: the largest difference of a channel.
[[nodiscard]] int distance(const Rgb& a, const Rgb& b);

}  // namespace samplefiles
