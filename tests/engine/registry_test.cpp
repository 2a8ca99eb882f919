#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/framework/classregistry.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/propertyblock.h"
#include "engine/threadresize.h"

namespace {

class Worker : public threadResize {};

// A layout block sets the worker's settings by name; the thread's own properties come from its
// base, and the source folder is not a block property.
TEST(ThreadResizeClass, LayoutBlockSetsTheSettingsByName) {
    threadResize::registerClass();
    const fw::ClassInfo* info = fw::ClassRegistry::find("threadResize");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->base, "Thread");
    EXPECT_TRUE(fw::ClassRegistry::isEventImplemented("threadResize", "Run"));
    EXPECT_TRUE(fw::ClassRegistry::isEventImplemented("threadResize", "UserInterfaceUpdate"));
    EXPECT_EQ(fw::ClassRegistry::findProperty("threadResize", "dir"), nullptr);

    const std::vector<fw::BlockEntry> entries = {
        {"pictureType", std::int64_t{1}},
        {"proportionalMode", std::int64_t{4}},
        {"bigger", true},
        {"resizeType", std::int64_t{2}},
        {"proportionalSize", std::int64_t{50}},
        {"boxWidth", std::int64_t{1024}},
        {"boxHeight", std::int64_t{768}},
        {"independentHeight", std::int64_t{600}},
        {"independentWidth", std::int64_t{800}},
        {"independentWidthMode", std::int64_t{1}},
        {"independentHeightMode", std::int64_t{-1}},
        {"jpegQuality", std::int64_t{80}},
        {"nameWeb", true},
        {"nameDOS", true},
        {"Priority", std::int64_t{3}},
        {"StackSize", std::int64_t{65536}},
    };
    Worker worker;
    fw::PropertyBlock::apply(worker, "threadResize",
                             fw::PropertyBlock::encode("threadResize", entries));
    EXPECT_EQ(worker.pictureType, 1);
    EXPECT_EQ(worker.proportionalMode, 4);
    EXPECT_TRUE(worker.bigger);
    EXPECT_EQ(worker.resizeType, 2);
    EXPECT_EQ(worker.proportionalSize, 50);
    EXPECT_EQ(worker.boxWidth, 1024);
    EXPECT_EQ(worker.boxHeight, 768);
    EXPECT_EQ(worker.independentHeight, 600);
    EXPECT_EQ(worker.independentWidth, 800);
    EXPECT_EQ(worker.independentWidthMode, 1);
    EXPECT_EQ(worker.independentHeightMode, -1);
    EXPECT_EQ(worker.jpegQuality, 80);
    EXPECT_TRUE(worker.nameWeb);
    EXPECT_TRUE(worker.nameDOS);
    EXPECT_EQ(worker.Priority, 3);
    EXPECT_EQ(worker.StackSize, 65536);

    // Each setting has its declared type.
    EXPECT_THROW((void)fw::PropertyBlock::encode("threadResize", {{"bigger", std::int64_t{1}}}),
                 fw::RuntimeException);
    EXPECT_THROW((void)fw::PropertyBlock::encode("threadResize", {{"boxWidth", true}}),
                 fw::RuntimeException);
}

}  // namespace
