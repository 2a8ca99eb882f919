#include <gtest/gtest.h>

#include "engine/framework/eventloop.h"

// Tests without windows: the platform's event loop, codecs and threads only.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    fw::initHeadless(argc, argv);
    return RUN_ALL_TESTS();
}
