#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/engine/recordingworker.h"
#include "tests/engine/testfolder.h"
#include "tests/platform/picture/samplefiles.h"

namespace {

using samplefiles::Format;
using samplefiles::Rgb;

// Proportional, biggest side 32 pixels, JPEG.
void biggest32(RecordingWorker& worker) {
    worker.resizeType = 0;
    worker.proportionalMode = 0;
    worker.proportionalSize = 32;
    worker.jpegQuality = 90;
}

struct Named {
    const char* name;
    Format format;
};
const std::vector<Named> kFormats = {{"heic", Format::Heic},
                                     {"avif", Format::Avif},
                                     {"jxl", Format::Jxl},
                                     {"jpg", Format::Jpeg},
                                     {"png", Format::Png}};

// A folder of phone and web pictures in every format, each stored turned with the orientation
// that makes it upright: every one is saved, upright, at the upright size.
TEST(Formats, FolderOfEveryFormatComesOutWholeAndUpright) {
    TestFolder tmp;
    tmp.makeFolder("Phone");
    std::vector<std::string> expectedNames;
    for (const Named& f : kFormats) {
        for (int orientation : {3, 6}) {
            const std::string base = std::string(f.name) + "-" + std::to_string(orientation);
            tmp.writeFile("Phone/" + base + "." + f.name,
                          samplefiles::upright(f.format, orientation));
            expectedNames.push_back(base + ".jpg");
        }
    }
    std::sort(expectedNames.begin(), expectedNames.end());
    RecordingWorker worker;
    biggest32(worker);
    worker.dir = tmp.item("Phone");
    const std::vector<std::string> messages = worker.runBatch();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "Done=true");
    EXPECT_EQ(std::count_if(messages.begin(), messages.end(),
                            [](const std::string& m) { return m.starts_with("NbDone="); }),
              10);
    ASSERT_EQ(tmp.names("Phone (B32)"), expectedNames);

    // 64 x 40 upright in 32 pixels: 32 x 20.
    const Rgb red{230, 0, 0}, green{0, 200, 0}, blue{0, 0, 230}, yellow{240, 220, 0};
    for (const std::string& name : expectedNames) {
        SCOPED_TRACE(name);
        const std::string out = tmp.path("Phone (B32)/" + name);
        EXPECT_EQ(samplefiles::colourAt(out, 31, 19).r >= 0, true);
        EXPECT_EQ(samplefiles::colourAt(out, 32, 0).r, -1) << "not 32 pixels wide";
        EXPECT_LE(samplefiles::distance(samplefiles::colourAt(out, 6, 4), red), 32);
        EXPECT_LE(samplefiles::distance(samplefiles::colourAt(out, 25, 4), green), 32);
        EXPECT_LE(samplefiles::distance(samplefiles::colourAt(out, 6, 15), blue), 32);
        EXPECT_LE(samplefiles::distance(samplefiles::colourAt(out, 25, 15), yellow), 32);
    }
}

}  // namespace
