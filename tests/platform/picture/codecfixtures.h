#pragma once

#include <QByteArray>
#include <QImage>

#include <optional>

// Picture files written by the tests with the codec libraries themselves (libpng, libheif,
// libjxl), with the features that Qt's writers cannot set: orientation, colour profiles, deep
// samples, interlacing, thumbnails, several images.
namespace codecfixtures {

struct PngOptions {
    int bitDepth = 8;  // 8 or 16; 16 takes the image's 16-bit colours (Format_RGBA64)
    bool alpha = false;
    bool grey = false;
    bool palette = false;  // a PLTE of the image's colours, with tRNS when it has transparency
    bool interlaced = false;
    int orientation = 0;  // 1..8 writes an eXIf chunk before the image data
    QByteArray icc{};     // an iCCP chunk
    bool srgbChunk = false;
};
[[nodiscard]] QByteArray png(const QImage& image, const PngOptions& options = {});

enum class HeifCodec { Hevc, Av1 };
struct HeifOptions {
    HeifCodec codec = HeifCodec::Hevc;
    bool alpha = false;
    int bitDepth = 8;         // 8 or 10; 10 takes the image's 16-bit colours scaled down
    int orientation = 1;      // written as irot/imir
    QByteArray icc{};         // a prof colour box; without it libheif writes its sRGB nclx
    int exifOrientation = 0;  // 1..8: Exif metadata with that orientation tag, as phones add
    int nclxPrimaries = 0;    // with the transfer, an nclx colour box of these code points
    int nclxTransfer = 0;
};
// With a decoy, the file also holds a thumbnail of it and, before the primary image, another
// top-level image of it: neither is the picture.
[[nodiscard]] QByteArray heif(const QImage& image, const HeifOptions& options = {},
                              const QImage& decoy = QImage());

struct JxlOptions {
    bool lossless = true;
    bool alpha = false;
    bool grey = false;
    int bitDepth = 8;     // 8 or 16; 16 takes the image's 16-bit colours
    int orientation = 1;  // the codestream's orientation field
    QByteArray icc{};     // otherwise sRGB
};
// With a second frame, the file is an animation of the two.
[[nodiscard]] QByteArray jxl(const QImage& image, const JxlOptions& options = {},
                             const QImage& secondFrame = QImage());

// The PNG with a chunk of that type and data inserted after its header.
[[nodiscard]] QByteArray withChunk(const QByteArray& png, const char* type, const QByteArray& data);
// Where the data of the PNG's first chunk of that type starts, and its length.
struct ChunkSpan {
    qsizetype offset;
    qsizetype length;
};
[[nodiscard]] std::optional<ChunkSpan> firstChunk(const QByteArray& png, const char* type);
// The file with the CRC of its first chunk of that type made wrong.
[[nodiscard]] QByteArray withBadCrc(const QByteArray& png, const char* type);
// A PNG that declares a size and holds one empty row of data.
[[nodiscard]] QByteArray pngHeaderOnly(int width, int height);

}  // namespace codecfixtures
