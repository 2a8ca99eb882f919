#pragma once

// For the platform's own tests: forgets a quit or an unhandled exception of an earlier test, so
// that the next run of the event loop starts clean.
namespace fw::platform {

void resetRuntimeForTests();

}  // namespace fw::platform
