// Writes picture files made on the spot into a folder:
//   picture_files seeds FOLDER     the fuzz target's seed corpus, a small good picture of each kind
//   picture_files hostile FOLDER   the benchmark's hostile files (bench/hostile.sh), some of them
//                                  declaring billions of pixels, and good big pictures to compare
//   picture_files mutants FOLDER   damaged variants of each seed: cut at 10 % to 99 %, a few bytes
//                                  changed at random (the same each time), sizes forged to 32767
//                                  and 65535

#include <QCoreApplication>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "tests/platform/picture/codecfixtures.h"
#include "tests/platform/picture/picturefiles.h"
#include "tests/platform/picture/picturefixtures.h"

namespace {

using picturefiles::Bytes;

struct File {
    std::string name;
    std::function<Bytes()> make;
};

Bytes codecBytes(const QByteArray& bytes) {
    return bytes.toStdString();
}

Bytes cutHalf(const QByteArray& bytes) {
    return bytes.left(bytes.size() / 2).toStdString();
}

// Smooth colour waves: compresses like a photograph, not like flat colour.
QImage noise(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb((x * 7 + y * 3) % 256, (x * y / 97) % 256, (x + y * 13) % 256);
    }
    return image;
}

std::vector<File> hostile() {
    namespace p = picturefiles;
    return {
        // Progressive JPEGs whose scans carry no data: the 16000² with 3,000 scans, then
        // the costliest kinds that stay within the scan budget or go just past it.
        {"scans-3000-16000.jpg", [] { return p::scanBombJpeg(16000, 16000, 3000); }},
        {"scans-10000-16000.jpg", [] { return p::scanBombJpeg(16000, 16000, 10000); }},
        {"refinements-9-16000.jpg", [] { return p::refinementBombJpeg(16000, 16000, 9); }},
        {"refinements-100-16000.jpg", [] { return p::refinementBombJpeg(16000, 16000, 100); }},
        {"refinements-9-65000x8000.jpg", [] { return p::refinementBombJpeg(65000, 8000, 9); }},
        // Headers without data, data that stops, data that is no data.
        {"header-progressive-65500.jpg", [] { return p::headerOnlyJpeg(65500, 65500, true); }},
        {"header-baseline-65500.jpg", [] { return p::headerOnlyJpeg(65500, 65500, false); }},
        {"first-row-65500.jpg", [] { return p::firstRowOnlyJpeg(65500, 65500); }},
        {"first-row-65500x2000.jpg", [] { return p::firstRowOnlyJpeg(65500, 2000); }},
        {"garbage-8000.jpg", [] { return p::garbageHuffmanJpeg(8000, 8000); }},
        {"screen-65535.gif", [] { return p::gif(1, 1, 65535, 65535); }},
        {"header-60000.tga", [] { return p::tga(60000, 60000, false); }},
        {"header-8000.tga", [] { return p::tga(8000, 8000, false); }},
        {"cut-5000x4000.tiff", [] { return p::truncated(p::tiff(5000, 4000), 30'000'000); }},
        {"cut-4000x3000.webp",
         [] { return p::truncated(p::qtPicture(4000, 3000, "webp", 80), 20'000); }},
        // PNG headers that declare what the file cannot hold; a HEIC whose grid declares far
        // more than its picture; big HEIC, AVIF, JPEG XL and PNG files cut short.
        {"header-32767.png", [] { return codecBytes(codecfixtures::pngHeaderOnly(32767, 32767)); }},
        {"header-100000.png",
         [] { return codecBytes(codecfixtures::pngHeaderOnly(100000, 100000)); }},
        {"grid-65535-40x30.heic",
         [] {
             QByteArray grid = codecfixtures::heif(fixtures::quadrants(40, 30), {.alpha = true});
             grid.replace(grid.indexOf("idat") + 8, 4, QByteArray(4, '\xff'));
             return codecBytes(grid);
         }},
        {"cut-4000x3000.heic", [] { return cutHalf(codecfixtures::heif(noise(4000, 3000), {})); }},
        {"cut-4000x3000.avif",
         [] {
             return cutHalf(
                 codecfixtures::heif(noise(4000, 3000), {.codec = codecfixtures::HeifCodec::Av1}));
         }},
        {"cut-4000x3000.jxl",
         [] { return cutHalf(codecfixtures::jxl(noise(4000, 3000), {.lossless = false})); }},
        {"cut-4000x3000.png", [] { return cutHalf(codecfixtures::png(noise(4000, 3000), {})); }},
        // Good big pictures, for comparison.
        {"good-8000x6000.jpg",
         [] {
             return p::jpeg(8000, 6000, {200, 30, 30}, {30, 30, 200});
         }},
        {"good-progressive-8000x6000.jpg",
         [] {
             return p::jpeg(8000, 6000, {200, 30, 30}, {30, 30, 200}, {.progressive = true});
         }},
        {"good-5000x4000.tiff", [] { return p::photographLike(5000, 4000); }},
    };
}

std::vector<File> mutants() {
    std::vector<File> files;
    std::uint32_t random = 7;
    auto next = [&random](std::uint32_t below) {
        random = random * 1664525u + 1013904223u;
        return (random >> 8) % below;
    };
    for (const picturefiles::Seed& seed : picturefiles::seeds()) {
        const Bytes bytes = seed.make();
        const std::string name = seed.name;
        const std::size_t dot = name.rfind('.');
        const std::string stem = name.substr(0, dot);
        const std::string extension = name.substr(dot);
        for (int percent : {10, 25, 50, 75, 90, 99}) {
            const Bytes cut =
                bytes.substr(0, std::max<std::size_t>(1, bytes.size() * percent / 100));
            files.push_back(
                {stem + "-cut" + std::to_string(percent) + extension, [cut] { return cut; }});
        }
        for (int i = 0; i < 12; ++i) {
            Bytes changed = bytes;
            const std::uint32_t count = 1u << next(4);
            for (std::uint32_t k = 0; k < count; ++k)
                changed[next(static_cast<std::uint32_t>(changed.size()))] =
                    static_cast<char>(next(256));
            files.push_back(
                {stem + "-flip" + std::to_string(i) + extension, [changed] { return changed; }});
        }
        // The first 16-bit field that holds the width or the height, in either byte order.
        for (unsigned forged : {0x7FFFu, 0xFFFFu}) {
            Bytes changed = bytes;
            for (unsigned side : {40u, 48u, 32u, 80u, 60u}) {
                for (bool bigEndian : {true, false}) {
                    const Bytes field =
                        bigEndian
                            ? Bytes{static_cast<char>(side >> 8), static_cast<char>(side & 0xFF)}
                            : Bytes{static_cast<char>(side & 0xFF), static_cast<char>(side >> 8)};
                    const std::size_t at = changed.substr(0, 64).find(field);
                    if (at == Bytes::npos)
                        continue;
                    changed[at] = static_cast<char>(bigEndian ? forged >> 8 : forged & 0xFF);
                    changed[at + 1] = static_cast<char>(bigEndian ? forged & 0xFF : forged >> 8);
                }
            }
            files.push_back({stem + "-big" + std::to_string(forged) + extension,
                             [changed] { return changed; }});
        }
    }
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string set = argc == 3 ? argv[1] : "";
    if (set != "seeds" && set != "hostile" && set != "mutants") {
        std::cerr << "usage: picture_files seeds|hostile|mutants FOLDER\n";
        return 2;
    }
    QCoreApplication app(argc, argv);
    std::vector<File> files;
    if (set == "seeds") {
        for (const picturefiles::Seed& seed : picturefiles::seeds())
            files.push_back({seed.name, seed.make});
    } else {
        files = set == "hostile" ? hostile() : mutants();
    }
    std::filesystem::create_directories(argv[2]);
    for (const File& file : files) {
        std::ofstream out(std::filesystem::path(argv[2]) / file.name, std::ios::binary);
        out << file.make();
        if (!out)
            return 1;
    }
    return 0;
}
