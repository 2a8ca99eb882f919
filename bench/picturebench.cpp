// picturebench: times the picture work of one batch entry (Open, colour draw, mask draw, Save)
// for every file of a folder, single-threaded, so that the codecs and the filter can be measured
// apart from the engine.
//
//   picturebench [--box=WxH | --percent=P] [--quality=Q] [--png] [--repeat=N] [--out=DIR] FOLDER
//
// Defaults: --box=1024x768 --quality=80, JPEG output, one pass, output into a temporary folder
// that is removed afterwards. Prints one line per picture and a summary with the peak memory; a
// file that turns out to be no picture shows "skipped" and the time it took, outside the summary.

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/framework/exceptions.h"
#include "engine/framework/folderitem.h"
#include "engine/framework/picture.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::int64_t boxWidth = 1024;
    std::int64_t boxHeight = 768;
    std::optional<double> percent;
    std::int64_t quality = 80;
    bool png = false;
    int repeat = 1;
    std::string out;
    std::string folder;
};

[[noreturn]] void usage(const std::string& problem) {
    std::cerr << "picturebench: " << problem << "\n"
              << "usage: picturebench [--box=WxH | --percent=P] [--quality=Q] [--png] "
                 "[--repeat=N] [--out=DIR] FOLDER\n";
    std::exit(2);
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const std::string& prefix) { return a.substr(prefix.size()); };
        try {
            if (a.rfind("--box=", 0) == 0) {
                const std::string v = value("--box=");
                const std::size_t x = v.find('x');
                if (x == std::string::npos)
                    usage("bad box " + v);
                o.boxWidth = std::stoll(v.substr(0, x));
                o.boxHeight = std::stoll(v.substr(x + 1));
            } else if (a.rfind("--percent=", 0) == 0) {
                o.percent = std::stod(value("--percent="));
            } else if (a.rfind("--quality=", 0) == 0) {
                o.quality = std::stoll(value("--quality="));
            } else if (a == "--png") {
                o.png = true;
            } else if (a.rfind("--repeat=", 0) == 0) {
                o.repeat = std::max(1, std::stoi(value("--repeat=")));
            } else if (a.rfind("--out=", 0) == 0) {
                o.out = value("--out=");
            } else if (a.rfind("--", 0) == 0) {
                usage("unknown option " + a);
            } else {
                o.folder = a;
            }
        } catch (const std::logic_error&) {
            usage("bad value in " + a);
        }
    }
    if (o.folder.empty())
        usage("no folder");
    return o;
}

// Fits inside the box without enlarging, or scales by the percentage.
std::pair<std::int64_t, std::int64_t> targetSize(const Options& o, std::int64_t w, std::int64_t h) {
    double ratio = 1.0;
    if (o.percent) {
        ratio = *o.percent / 100.0;
    } else if (w > o.boxWidth || h > o.boxHeight) {
        ratio = std::min(static_cast<double>(o.boxWidth) / static_cast<double>(w),
                         static_cast<double>(o.boxHeight) / static_cast<double>(h));
    }
    return {std::max<std::int64_t>(1, static_cast<std::int64_t>(static_cast<double>(w) * ratio)),
            std::max<std::int64_t>(1, static_cast<std::int64_t>(static_cast<double>(h) * ratio))};
}

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double peakMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// CPU time of this thread: steadier than wall time on a busy machine.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);
    fw::initPictures(argc, argv);

    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(o.folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());

    std::filesystem::path outFolder = o.out;
    const bool temporary = outFolder.empty();
    if (temporary) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "picturebench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            usage("cannot create a temporary folder");
        outFolder = pattern;
    }
    std::filesystem::create_directories(outFolder);
    const std::int64_t format = o.png ? fw::Picture::FormatPNG : fw::Picture::FormatJPEG;
    const char* extension = o.png ? ".png" : ".jpg";

    std::printf("%-40s %11s %11s %7s %7s %7s %7s %8s %8s %7s\n", "file", "source", "target", "open",
                "draw", "mask", "save", "total", "cpu", "peakMB");
    double sum = 0;
    double best = 0;
    double cpuSum = 0;
    double cpuBest = 0;
    int pictures = 0;
    for (int pass = 0; pass < o.repeat; ++pass) {
        double passSum = 0;
        double passCpu = 0;
        for (const auto& path : files) {
            const double c0 = cpuMs();
            const auto t0 = Clock::now();
            // A file that is no picture, found at open or at the first draw, is skipped as a
            // batch skips it; its time is shown all the same.
            const auto skipped = [&](const std::string& declared) {
                if (pass == o.repeat - 1)
                    std::printf("%-40.40s %11s %11s %7s %7s %7s %7s %8.1f %8.1f %7.1f\n",
                                path.filename().string().c_str(), declared.c_str(), "skipped", "",
                                "", "", "", ms(Clock::now() - t0), cpuMs() - c0, peakMb());
            };
            fw::PicturePtr src = fw::Picture::Open(fw::FolderItem::fromNativePath(path.string()));
            if (!src) {
                skipped("-");
                continue;
            }
            const auto t1 = Clock::now();
            const std::int64_t W = src->Width();
            const std::int64_t H = src->Height();
            const auto [w, h] = targetSize(o, W, H);
            auto dst = std::make_shared<fw::Picture>(w, h, 32);
            const double dw = static_cast<double>(w), dh = static_cast<double>(h);
            const double sw = static_cast<double>(W), sh = static_cast<double>(H);
            std::chrono::steady_clock::time_point t2, t3;
            try {
                dst->Graphics().DrawPicture(*src, 0, 0, dw, dh, 0, 0, sw, sh);
                t2 = Clock::now();
                dst->Mask(true)->Graphics().DrawPicture(*src->Mask(true), 0, 0, dw, dh, 0, 0, sw,
                                                        sh);
                t3 = Clock::now();
            } catch (const fw::UnsupportedFormatException&) {
                skipped(std::to_string(W) + "x" + std::to_string(H));
                continue;
            }
            const std::string name = path.stem().string() + extension;
            try {
                dst->Save(fw::FolderItem::fromNativePath((outFolder / name).string()), format,
                          o.quality);
            } catch (const fw::RuntimeException& e) {
                std::cerr << e.what() << "\n";
                return 1;
            }
            const auto t4 = Clock::now();
            const double cpu = cpuMs() - c0;
            const double total = ms(t4 - t0);
            passSum += total;
            passCpu += cpu;
            if (pass == 0)
                ++pictures;
            if (pass == o.repeat - 1) {
                const std::string s = std::to_string(W) + "x" + std::to_string(H);
                const std::string t = std::to_string(w) + "x" + std::to_string(h);
                std::printf("%-40.40s %11s %11s %7.1f %7.1f %7.1f %7.1f %8.1f %8.1f %7.1f\n",
                            path.filename().string().c_str(), s.c_str(), t.c_str(), ms(t1 - t0),
                            ms(t2 - t1), ms(t3 - t2), ms(t4 - t3), total, cpu, peakMb());
            }
        }
        sum += passSum;
        best = pass == 0 ? passSum : std::min(best, passSum);
        cpuSum += passCpu;
        cpuBest = pass == 0 ? passCpu : std::min(cpuBest, passCpu);
    }
    if (pictures > 0)
        std::printf(
            "%d pictures, %d pass(es): wall mean %.1f ms a picture (best pass %.1f), cpu "
            "mean %.1f ms (best pass %.1f), peak memory %.1f MB\n",
            pictures, o.repeat, sum / o.repeat / pictures, best / pictures,
            cpuSum / o.repeat / pictures, cpuBest / pictures, peakMb());
    if (temporary)
        std::filesystem::remove_all(outFolder);
    return 0;
}
