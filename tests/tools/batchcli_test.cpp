#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/framework/dictionary.h"
#include "engine/framework/picture.h"
#include "engine/threadresize.h"
#include "tests/engine/childprocess.h"
#include "tests/engine/testfolder.h"
#include "tests/platform/picture/picturefiles.h"
#include "tests/platform/picture/samplefiles.h"
#include "tests/platform/scratch.h"
#include "tools/batchoptions.h"
#include "tools/jsonline.h"

namespace {

using Setting = BatchOptions::Setting;
using Args = std::vector<std::string>;

class Worker : public threadResize {};

TEST(BatchOptions, ParsesSettingsByTheirOwnNames) {
    struct Row {
        Args args;
        std::vector<Setting> settings;
        std::int64_t cancelAfter;
        std::string folder;
    };
    const Row rows[] = {
        {{"photos"}, {}, 0, "photos"},
        {{"--resizeType=2", "--boxWidth=1024", "--boxHeight=768", "--jpegQuality=80", "in"},
         {{"resizeType", 2}, {"boxWidth", 1024}, {"boxHeight", 768}, {"jpegQuality", 80}},
         0,
         "in"},
        {{"in", "--nameWeb=1", "--nameDOS=true", "--bigger=0", "--cancel-after=3"},
         {{"nameWeb", 1}, {"nameDOS", 1}, {"bigger", 0}},
         3,
         "in"},
        {{"--proportionalSize=-9223372036854775808", "in"},
         {{"proportionalSize", INT64_MIN}},
         0,
         "in"},
        {{"--", "--odd name"}, {}, 0, "--odd name"},
    };
    for (const Row& row : rows) {
        const BatchOptions options = parseBatchOptions(row.args);
        EXPECT_EQ(options.settings, row.settings) << row.args.front();
        EXPECT_EQ(options.cancelAfter, row.cancelAfter);
        EXPECT_EQ(options.folder, row.folder);
    }

    BatchOptions options = parseBatchOptions(
        {"--pictureType=1", "--independentWidthMode=1", "--nameWeb=1", "--pictureType=3", "in"});
    Worker worker;
    worker.nameDOS = true;  // settings not given are left alone by the parser
    applyBatchSettings(options, worker);
    EXPECT_EQ(worker.pictureType, 3);  // the later one wins
    EXPECT_EQ(worker.independentWidthMode, 1);
    EXPECT_TRUE(worker.nameWeb);
    EXPECT_EQ(worker.boxWidth, 0);
}

TEST(BatchOptions, RefusesBadOptionsWithAClearMessage) {
    struct Row {
        Args args;
        std::string message;  // part of the message
    };
    const Row rows[] = {
        {{}, "no FOLDER"},
        {{"--boxWidth=10"}, "no FOLDER"},
        {{"a", "b"}, "only one FOLDER"},
        {{"--boxwidth=10", "in"}, "unknown option --boxwidth"},
        {{"--dir=x", "in"}, "unknown option --dir"},
        {{"-x", "in"}, "unknown option -x"},
        {{"--boxWidth", "in"}, "needs a value"},
        {{"--boxWidth=", "in"}, "bad value '' for --boxWidth"},
        {{"--boxWidth=12px", "in"}, "bad value '12px' for --boxWidth"},
        {{"--boxWidth=1.5", "in"}, "bad value '1.5'"},
        {{"--boxWidth=9223372036854775808", "in"}, "64-bit range"},
        {{"--nameWeb=2", "in"}, "expected 0, 1, true or false"},
        {{"--cancel-after=0", "in"}, "--cancel-after: expected 1 or more"},
    };
    for (const Row& row : rows) {
        try {
            (void)parseBatchOptions(row.args);
            ADD_FAILURE() << "accepted: " << (row.args.empty() ? "" : row.args.front());
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos) << e.what();
        }
    }
}

TEST(JsonLine, WritesOneEscapedObject) {
    struct Row {
        fw::Pair pair;
        std::string line;
    };
    const Row rows[] = {
        {{"Status", std::string("Processing picture 1 of 3")},
         R"({"Status":"Processing picture 1 of 3"})"},
        {{"NbDone", std::int64_t{1}}, R"({"NbDone":1})"},
        {{"Done", true}, R"({"Done":true})"},
        {{"Error", std::string("a \"quoted\" C:\\path\n\ttab\x01")},
         R"({"Error":"a \"quoted\" C:\\path\n\ttab\u0001"})"},
        {{"Error", std::string("caf\xC3\xA9")}, "{\"Error\":\"caf\xC3\xA9\"}"},
        {{"Error", std::string("caf\xE9")}, "{\"Error\":\"caf\xEF\xBF\xBD\"}"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(jsonLine(fw::Dictionary({row.pair})), row.line);
}

struct Outcome {
    int exitCode = -1;  // -1: it did not end by exiting
    std::string output;
};

// Runs the tool on the arguments in this process's environment, collecting its standard output;
// its standard error goes to the file named, or with the output when the name is empty.
Outcome runTool(const Args& arguments, const std::string& errorFile = "/dev/null") {
    Args command{VIMBEL_BATCH_PATH};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ChildProcess tool(command, currentEnvironment(), {.folder = {}, .errorFile = errorFile});
    (void)tool.wait(std::chrono::minutes(5));
    return {tool.exitCode().value_or(-1), tool.output()};
}

TEST(VimbelBatch, PrintsEachMessageAsAJsonLineAndExitsByTheOutcome) {
    TestFolder tmp;
    tmp.makeFolder("in");
    tmp.writePicture("in/a.png", 40, 30, fw::Picture::FormatPNG);
    tmp.writeFile("in/b.txt", "text");
    tmp.writePicture("in/c.png", 30, 40, fw::Picture::FormatPNG);
    const std::string in = tmp.path("in");

    const Outcome done = runTool({"--proportionalSize=20", "--nameWeb=1", in});
    EXPECT_EQ(done.exitCode, 0);
    EXPECT_EQ(done.output,
              "{\"Status\":\"Processing picture 1 of 3\"}\n{\"NbDone\":1}\n"
              "{\"Status\":\"Processing picture 2 of 3\"}\n"
              "{\"Status\":\"Processing picture 3 of 3\"}\n{\"NbDone\":3}\n{\"Done\":true}\n");
    EXPECT_EQ(tmp.names("in (B20)"), (std::vector<std::string>{"a.jpg", "c.jpg"}));

    const Outcome failed = runTool({"--proportionalMode=4", "--proportionalSize=1", in});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.output,
              "{\"Status\":\"Processing picture 1 of 3\"}\n"
              "{\"Error\":\"Width/Height needs to be in the range 1-32767\"}\n");

    // Stopped after the first saved picture of several: one "NbDone", then the end.
    tmp.makeFolder("many");
    for (const char* name : {"p1.png", "p2.png", "p3.png", "p4.png"})
        tmp.writePicture(std::string("many/") + name, 40, 30, fw::Picture::FormatPNG);
    const Outcome cancelled =
        runTool({"--proportionalSize=20", "--cancel-after=1", tmp.path("many")});
    EXPECT_EQ(cancelled.exitCode, 0);
    EXPECT_EQ(cancelled.output,
              "{\"Status\":\"Processing picture 1 of 4\"}\n{\"NbDone\":1}\n{\"Done\":true}\n");
    EXPECT_EQ(tmp.names("many (B20)"), (std::vector<std::string>{"p1.jpg"}));

    for (const Args& bad :
         {Args{"--boxWidth=abc", in}, Args{"--unknown=1", in}, Args{}, Args{tmp.path("missing")}}) {
        const Outcome refused = runTool(bad, /*errorFile=*/"");
        EXPECT_EQ(refused.exitCode, 2) << testing::PrintToString(bad);
        EXPECT_TRUE(refused.output.starts_with("vimbel-batch: ")) << refused.output;
    }
}

// Told to end while it saves a picture, the tool removes the picture's temporary file and exits
// with 128 + the signal's number; every picture under its final name is whole.
TEST(VimbelBatch, SignalEndsItWithoutLeavingATemporaryFile) {
    TestFolder tmp;
    tmp.makeFolder("Big");
    for (const char* name : {"a.ppm", "b.ppm", "c.ppm"})
        tmp.writeNoise(std::string("Big/") + name, 1500, 1500);
    const std::string out = "Big (100%)";
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        std::filesystem::remove_all(tmp.path(out));
        ChildProcess tool({VIMBEL_BATCH_PATH, "--pictureType=1", "--proportionalMode=4",
                           "--proportionalSize=100", "--jpegQuality=80", tmp.path("Big")},
                          {"HOME=" + tmp.path(), "PATH=/usr/bin:/bin"});
        ASSERT_EQ(tool.readLine(std::chrono::seconds(30)),
                  "{\"Status\":\"Processing picture 1 of 3\"}");
        // Signalled while a picture is being written under its temporary name.
        ASSERT_TRUE(tmp.waitForASave(out, std::chrono::seconds(30)))
            << "no picture was seen being written";
        tool.sendSignal(signal);

        EXPECT_EQ(tool.wait(std::chrono::seconds(30)), "exit code " + std::to_string(128 + signal));
        EXPECT_EQ(tool.output().find("Done"), std::string::npos) << tool.output();
        tmp.expectWholePictures(out, 1500);
    }
}

// A process without windows renders every picture the window program can (text in an SVG needs
// fonts, which only a GUI application has), and files skipped as damaged leave stderr quiet,
// whatever the session.
TEST(VimbelBatch, RendersTextAndKeepsQuietAboutSkippedFiles) {
    TestFolder tmp;
    tmp.makeFolder("in");
    tmp.writePicture("in/a.png", 40, 30, fw::Picture::FormatPNG);
    tmp.writeFile("in/b.svg", picturefiles::svgWithText(120, 40));
    // Qt-written TIFFs keep their directory at the end: libtiff complains about a cut one.
    tmp.writeFile("in/c.tiff",
                  picturefiles::truncated(picturefiles::qtPicture(300, 200, "tiff"), 3000));
    tmp.writeFile("in/d.jpg", picturefiles::garbageHuffmanJpeg(64, 64));
    // libjxl prints its complaints itself.
    tmp.writeFile("in/d2.jxl",
                  samplefiles::damaged(samplefiles::Format::Jxl, samplefiles::Damage::Scrambled));
    tmp.writePicture("in/e.png", 30, 40, fw::Picture::FormatPNG);
    const std::string errors = tmp.path("stderr.txt");
    ScopedEnv noRuntimeDir("XDG_RUNTIME_DIR", "");
    const Outcome done = runTool({"--proportionalSize=20", tmp.path("in")}, errors);
    EXPECT_EQ(done.exitCode, 0);
    EXPECT_EQ(done.output,
              "{\"Status\":\"Processing picture 1 of 6\"}\n{\"NbDone\":1}\n"
              "{\"Status\":\"Processing picture 2 of 6\"}\n{\"NbDone\":2}\n"
              "{\"Status\":\"Processing picture 3 of 6\"}\n"
              "{\"Status\":\"Processing picture 4 of 6\"}\n"
              "{\"Status\":\"Processing picture 5 of 6\"}\n"
              "{\"Status\":\"Processing picture 6 of 6\"}\n{\"NbDone\":6}\n{\"Done\":true}\n");
    EXPECT_EQ(tmp.names("in (B20)"), (std::vector<std::string>{"a.jpg", "b.jpg", "e.jpg"}));
    EXPECT_EQ(scratch::readAll(errors), "");
}

}  // namespace
