#pragma once

#include <functional>
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

namespace testing {
// Seams for tests: record what would reach the desktop instead of reaching it. Empty restores.
void setShowURLHandler(std::function<void(const std::string&)> handler);
void setBeepHandler(std::function<void()> handler);
// Answers GetLocalizedString in place of the built-in lookup, with the three texts it was given.
void setLocalizedStringHandler(
    std::function<std::string(const std::string& key, const std::string& english,
                              const std::string& language)>
        handler);
}  // namespace testing

}  // namespace fw
