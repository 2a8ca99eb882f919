#pragma once

#include <functional>
#include <string>

// The temporary files that saves write before renaming them into place, recorded so that a
// process told to end at once (fw::exitRemovingTemporaryFiles) leaves none behind. Creating one,
// and settling it (the rename into place or the removal), each happen as one step against the
// ending: it never sees a file half created or half settled, and none is created after it.
namespace fw::temporaryfiles {

// Runs make, which creates the temporary file, sets path to it and returns its descriptor (or -1
// with errno set), and records the path. Once the process is ending, makes nothing and returns -1
// with errno ECANCELED.
[[nodiscard]] int create(const std::function<int(std::string& path)>& make);
// Runs settle (the rename into place, or the removal) and forgets the path; returns settle's
// result, with errno as settle left it.
int settle(const std::string& path, const std::function<int()>& settle);
// Removes every recorded file and refuses any later one; the caller then ends the process.
void removeAllForExit();

}  // namespace fw::temporaryfiles
