// The window program ended by a signal, as a session does at logout: run as real processes.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "tests/engine/childprocess.h"
#include "tests/engine/testfolder.h"
#include "tests/platform/scratch.h"

namespace {

using namespace std::chrono_literals;

// The preferences record: settings shown, proportional 100 percent, quality 80, PNG.
std::string percentToPngRecord() {
    std::string r;
    auto u16 = [&r](int v) {
        r += static_cast<char>(v & 0xFF);
        r += static_cast<char>((v >> 8) & 0xFF);
    };
    r += '\1';  // settings shown
    u16(0);     // proportional
    u16(100);   // size
    u16(4);     // percent
    for (int i = 0; i < 6; ++i)
        u16(0);                 // box and independent fields
    u16(80);                    // quality
    r += std::string(4, '\0');  // increase, reserved, web names, DOS names
    u16(1);                     // PNG
    return r;
}

// SIGTERM at logout, SIGINT from Ctrl+C, SIGHUP from a closed terminal: each closes the main
// window as its close button does, so the settings are saved and the program exits with 0.
TEST(Termination, SignalClosesTheMainWindowAndSavesTheSettings) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        TestFolder tmp;
        ChildProcess program({VIMBEL_PATH}, privateSession(tmp.path()));
        program.waitUntilCatches(signal, 20s);
        program.sendSignal(signal);

        EXPECT_EQ(program.wait(30s), "exit code 0");
        EXPECT_EQ(tmp.names("config"), (std::vector<std::string>{"Vimbel! preferences"}));
    }
}

// During a batch the close waits for the picture being made: it is saved whole, no temporary file
// stays, the batch stops there, and the settings are saved as they were.
TEST(Termination, SignalDuringABatchStopsAfterThePictureBeingMade) {
    TestFolder tmp;
    const std::vector<std::string> session = privateSession(tmp.path());
    const std::string record = percentToPngRecord();
    ASSERT_EQ(record.size(), 27u);
    tmp.writeFile("config/Vimbel! preferences", record);
    tmp.makeFolder("Big");
    for (const char* name : {"a.ppm", "b.ppm", "c.ppm", "d.ppm"})
        tmp.writeNoise(std::string("Big/") + name, 1500, 1500);
    const std::string out = "Big (100%)";

    ChildProcess program({BATCHPROBE_PATH, tmp.path("Big")}, session);
    ASSERT_EQ(program.readLine(30s), "started");
    ASSERT_TRUE(tmp.waitForASave(out, 30s)) << "no picture was seen being written";
    program.sendSignal(SIGTERM);

    EXPECT_EQ(program.wait(60s), "exit code 0");
    const std::vector<std::string> saved = tmp.names(out);
    EXPECT_FALSE(saved.empty());
    EXPECT_LT(saved.size(), 4u) << "the batch did not stop";
    tmp.expectWholePictures(out, 1500);
    EXPECT_EQ(scratch::readAll(tmp.path("config/Vimbel! preferences")), record);
}

}  // namespace
