#pragma once

#include <string>

// The user folders of the test process: HOME, the desktop and the trash live in a temporary
// folder for the whole run, so tests never touch the real ones.
namespace suitehome {

[[nodiscard]] std::string home();
[[nodiscard]] std::string desktop();
// Where the trash keeps the items moved to it.
[[nodiscard]] std::string trashFiles();

}  // namespace suitehome
