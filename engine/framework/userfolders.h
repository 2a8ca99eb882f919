#pragma once

#include "engine/framework/folderitem.h"

namespace fw::SpecialFolder {

// The user's desktop folder, or the home folder when there is none.
[[nodiscard]] FolderItemPtr Desktop();
// The user's configuration folder ($XDG_CONFIG_HOME, by default ~/.config).
[[nodiscard]] FolderItemPtr Preferences();
// Makes the configuration folder when it is missing, with every missing folder of its path, each
// new one for the user alone (mode 0700, as the XDG base directory rules ask). Quiet: a folder
// that cannot be made shows when its file is written.
void CreatePreferences();

}  // namespace fw::SpecialFolder
