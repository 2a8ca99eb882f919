#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/framework/application.h"
#include "tests/platform/scratch.h"

// Tests of windows and controls: the real widget platform (offscreen under ctest). Each test
// process has a runtime folder of its own, so that test processes running side by side never
// take each other for the running program of the session.
int main(int argc, char** argv) {
    const scratch::Dir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    testing::InitGoogleTest(&argc, argv);
    fw::RuntimeInit(argc, argv);
    return RUN_ALL_TESTS();
}
