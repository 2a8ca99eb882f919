#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/framework/application.h"

// Tests of windows and controls: the real widget platform (offscreen under ctest). Each test
// process has a runtime folder of its own, so that test processes running side by side never
// take each other for the running program of the session.
int main(int argc, char** argv) {
    std::string runtime = (std::filesystem::temp_directory_path() / "vimbel-run-XXXXXX").string();
    if (mkdtemp(runtime.data()) == nullptr)
        return 2;
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    testing::InitGoogleTest(&argc, argv);
    fw::RuntimeInit(argc, argv);
    const int status = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(runtime, ignored);
    return status;
}
