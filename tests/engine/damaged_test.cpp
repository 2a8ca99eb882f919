#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/framework/picture.h"
#include "tests/engine/recordingworker.h"
#include "tests/engine/testfolder.h"
#include "tests/platform/picture/picturefiles.h"
#include "tests/platform/picture/samplefiles.h"

namespace {

namespace files = picturefiles;
using samplefiles::Damage;
using samplefiles::Format;

// Damaged, forged and hostile files, each between two good pictures: the good ones are saved;
// the bad one posts its "Status" only and leaves no file, however far its header went. A file
// is read alone: an SVG that refers to a picture beside it does not draw it.
TEST(DamagedPictures, AreSkippedBetweenGoodOnes) {
    struct Case {
        const char* name;
        std::function<std::string(const TestFolder&)> bytes;
    };
    const std::string privatePicture = "private.png";
    const Case cases[] = {
        {"cut.webp",
         [](const TestFolder&) {
             return files::truncated(files::qtPicture(300, 200, "webp", 80), 300);
         }},
        {"cut.tiff",
         [](const TestFolder&) { return files::truncated(files::tiff(300, 200), 90000); }},
        {"cut.tga", [](const TestFolder&) { return files::truncated(files::tga(300, 200), 1000); }},
        {"screen.gif", [](const TestFolder&) { return files::gif(1, 1, 65535, 65535); }},
        {"huge.tga", [](const TestFolder&) { return files::tga(60000, 60000, false); }},
        {"garbage.jpg", [](const TestFolder&) { return files::garbageHuffmanJpeg(256, 256); }},
        {"header.jpg", [](const TestFolder&) { return files::headerOnlyJpeg(65500, 65500, true); }},
        {"baseline-header.jpg",
         [](const TestFolder&) { return files::headerOnlyJpeg(4000, 3000, false); }},
        {"scans.jpg", [](const TestFolder&) { return files::scanBombJpeg(4096, 4096, 10000); }},
        {"refinements.jpg",
         [](const TestFolder&) { return files::refinementBombJpeg(2048, 2048, 300); }},
        {"crc.png",
         [](const TestFolder&) { return samplefiles::damaged(Format::Png, Damage::BadCrc); }},
        {"half.png",
         [](const TestFolder&) { return samplefiles::damaged(Format::Png, Damage::CutInHalf); }},
        {"claims-32767.png",
         [](const TestFolder&) {
             return samplefiles::damaged(Format::Png, Damage::HeaderClaims32767);
         }},
        {"claims-100000.png",
         [](const TestFolder&) {
             return samplefiles::damaged(Format::Png, Damage::HeaderClaims100000);
         }},
        {"claims-100.png",
         [](const TestFolder&) {
             return samplefiles::damaged(Format::Png, Damage::HeaderClaims100);
         }},
        {"half.heic",
         [](const TestFolder&) { return samplefiles::damaged(Format::Heic, Damage::CutInHalf); }},
        {"half.avif",
         [](const TestFolder&) { return samplefiles::damaged(Format::Avif, Damage::CutInHalf); }},
        {"half.jxl",
         [](const TestFolder&) { return samplefiles::damaged(Format::Jxl, Damage::CutInHalf); }},
        {"outside.svg",
         [](const TestFolder& tmp) { return files::svgReferencing(tmp.path("private.png")); }},
        {"stylesheet.svg",
         [](const TestFolder& tmp) {
             return files::svgReferencing(tmp.path("private.css"), true);
         }},
        {"embedded.svg",
         [](const TestFolder& tmp) {
             return files::svgEmbedding(files::svgReferencing(tmp.path("private.png")));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder tmp;
        tmp.writeFile("private.png", files::png(64, 64, files::PngKind::Palette));
        tmp.writeFile("private.css", ".outside { fill: #00ff00; }\n");
        tmp.makeFolder("in");
        tmp.writePicture("in/a.png", 40, 30, fw::Picture::FormatPNG);
        tmp.writeFile(std::string("in/b-") + c.name, c.bytes(tmp));
        tmp.writePicture("in/c.png", 30, 40, fw::Picture::FormatPNG);

        RecordingWorker worker;
        worker.proportionalSize = 20;
        worker.jpegQuality = 80;
        worker.dir = tmp.item("in");
        EXPECT_EQ(worker.runBatch(),
                  (std::vector<std::string>{"Status='Processing picture 1 of 3'", "NbDone=1",
                                            "Status='Processing picture 2 of 3'",
                                            "Status='Processing picture 3 of 3'", "NbDone=3",
                                            "Done=true"}));
        EXPECT_EQ(tmp.names("in (B20)"), (std::vector<std::string>{"a.jpg", "c.jpg"}));
    }
}

}  // namespace
