#pragma once

#include <string>
#include <vector>

// For the platform's own tests: forgets a quit or an unhandled exception of an earlier test, so
// that the next run of the event loop starts clean.
namespace fw::platform {

void resetRuntimeForTests();
// Stands in for the command line's arguments after the program's name (empty restores them).
void setDocumentArgumentsForTests(std::vector<std::string> arguments);

}  // namespace fw::platform
