#pragma once

#include <functional>
#include <string>
#include <vector>

// For the platform's own tests: forgets a quit or an unhandled exception of an earlier test, so
// that the next run of the event loop starts clean.
namespace fw::platform {

void resetRuntimeForTests();
// Stands in for the command line's arguments after the program's name (empty restores them).
void setDocumentArgumentsForTests(std::vector<std::string> arguments);
// Called on the main thread once a later start's documents (absolute paths) have been raised as
// OpenDocument events and the window brought to the front; an empty observer removes it.
void setHandOverObserver(std::function<void(const std::vector<std::string>& documents)> observer);

}  // namespace fw::platform
