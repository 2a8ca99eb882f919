#pragma once

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

}  // namespace windowsandbox
