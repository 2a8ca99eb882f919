// libFuzzer target: one input file through the path a batch takes. Open, the target size of a
// 1024 x 768 box, the colour and the mask drawn into a new picture, saved as JPEG and as PNG.
// Built by scripts/fuzz.sh (clang, -fsanitize=fuzzer,address,undefined).

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/framework/exceptions.h"
#include "engine/framework/folderitem.h"
#include "engine/framework/picture.h"
#include "platform/picture/picturesource.h"

namespace {

std::string folder;

fw::FolderItemPtr at(const char* name) {
    return fw::FolderItem::fromNativePath(folder + "/" + name);
}

// The box rule: the biggest size of the picture's shape that fits in the box.
std::pair<std::int64_t, std::int64_t> fitInBox(std::int64_t w, std::int64_t h) {
    constexpr double boxWidth = 1024;
    constexpr double boxHeight = 768;
    const double ratio =
        std::min(boxWidth / static_cast<double>(w), boxHeight / static_cast<double>(h));
    return {std::max<std::int64_t>(1, static_cast<std::int64_t>(static_cast<double>(w) * ratio)),
            std::max<std::int64_t>(1, static_cast<std::int64_t>(static_cast<double>(h) * ratio))};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Qt's own options are not libFuzzer's: the program name alone.
    int qtArgc = std::min(*argc, 1);
    fw::initPictures(qtArgc, *argv);
    // Under a lower memory cap than a desktop's, so that no input can pass the fuzzer's.
    fw::pic::setPictureMemoryLimit(std::int64_t{64} << 20);
    std::string pattern = (std::filesystem::temp_directory_path() / "picture-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        std::abort();
    folder = pattern;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream input(folder + "/input", std::ios::binary | std::ios::trunc);
        input.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const fw::PicturePtr source = fw::Picture::Open(at("input"));
    if (!source)
        return 0;
    const std::int64_t w = source->Width();
    const std::int64_t h = source->Height();
    const auto [tw, th] = fitInBox(w, h);
    fw::Picture target(tw, th, 32);
    const auto dw = static_cast<double>(tw);
    const auto dh = static_cast<double>(th);
    try {
        target.Graphics().DrawPicture(*source, 0, 0, dw, dh, 0, 0, static_cast<double>(w),
                                      static_cast<double>(h));
        target.Mask(true)->Graphics().DrawPicture(*source->Mask(true), 0, 0, dw, dh, 0, 0,
                                                  static_cast<double>(w), static_cast<double>(h));
    } catch (const fw::UnsupportedFormatException&) {
        return 0;  // a file that is no picture after all, skipped as a batch skips it
    }
    target.Save(at("output.jpg"), fw::Picture::FormatJPEG, 80);
    target.Save(at("output.png"), fw::Picture::FormatPNG, 80);
    return 0;
}
