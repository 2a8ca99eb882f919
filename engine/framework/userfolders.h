#pragma once

#include "engine/framework/folderitem.h"

namespace fw::SpecialFolder {

// The user's desktop folder, or the home folder when there is none.
[[nodiscard]] FolderItemPtr Desktop();
// The user's configuration folder ($XDG_CONFIG_HOME, by default ~/.config).
[[nodiscard]] FolderItemPtr Preferences();

}  // namespace fw::SpecialFolder
