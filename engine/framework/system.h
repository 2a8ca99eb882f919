#pragma once

#include <string>

#include "engine/framework/folderitem.h"

namespace fw {

// Sounds the system beep; callable from any thread.
void Beep();
// Hands an address to the desktop's handler for its scheme.
void ShowURL(const std::string& url);
// The localised text of a key; the English text for the empty language. Callable from any thread.
[[nodiscard]] std::string GetLocalizedString(const std::string& key, const std::string& english,
                                             const std::string& language);
// Path kind 0: native path. The empty path is the folder that holds the executable.
[[nodiscard]] FolderItemPtr GetFolderItem(const std::string& path, int kind = 0);

}  // namespace fw
