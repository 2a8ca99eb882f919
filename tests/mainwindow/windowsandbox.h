#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "mainwindow/main.h"

// HOME and the XDG folders of the test process live in a scratch folder, set before the platform
// reads them, so no test reads or writes the real preferences.
namespace windowsandbox {

[[nodiscard]] const std::filesystem::path& root();
[[nodiscard]] std::filesystem::path preferencesFile();
// A folder inside the sandbox, created when missing.
[[nodiscard]] std::filesystem::path folder(const std::string& name);
// Closes every open window (the main window's close writes preferences) and removes the
// preferences file, so the next window starts as on a first start.
void closeAllWindows();

// A fixture whose tests each start with the main window alone on screen, as on a first start.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::shared_ptr<Main> window;
};

}  // namespace windowsandbox
