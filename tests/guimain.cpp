#include <gtest/gtest.h>

#include "engine/framework/application.h"

// Tests of windows and controls: the real widget platform (offscreen under ctest).
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    fw::RuntimeInit(argc, argv);
    return RUN_ALL_TESTS();
}
