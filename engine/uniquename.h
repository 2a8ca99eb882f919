#pragma once

#include <string>

#include "engine/framework/folderitem.h"

// The base name to save under in the folder: base itself when base + "." + extension is free,
// otherwise base + "-" + n for the first free n from 2. The folder is asked for each candidate, so
// whether names differing in letter case collide is the file system's decision. A candidate whose
// whole name would pass the 255-byte limit has its base cut to fit (fitname), so a base is cut
// only when the name actually saved, with its "-n" when it needs one, would not fit.
[[nodiscard]] std::string uniquename(const fw::FolderItemPtr& folder, const std::string& base,
                                     const std::string& extension);
