#pragma once

#include <string>

namespace fw::trash {

// Moves the item at the path (a final link itself, not its target) into the user's freedesktop
// trash. False when no trash can take it; the item then stays where it was.
[[nodiscard]] bool moveToTrash(const std::string& path);

}  // namespace fw::trash
