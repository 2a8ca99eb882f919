#pragma once

// The class registry's "Thread", whose properties a layout block may set on a worker:
//   Priority Integer, StackSize Integer (the object must be a fw::Thread)
// Registered once when the platform starts (initHeadless), so that a program's worker class can
// name it as its base.
namespace fw::platform {

void registerThreadClass();

}  // namespace fw::platform
