#pragma once

#include <functional>

namespace fw {

// Requests to end the program that reach it as signals: SIGTERM (the session ends, kill), SIGINT
// (Ctrl+C in a terminal) and SIGHUP (the terminal went away). Once a handler is set, such a signal
// no longer ends the process by itself: the signal only wakes the event loop, which then calls the
// handler on the main thread with the signal's number, once per signal. Set on the main thread,
// after the platform is set up; a later call replaces the handler.
void setTerminationHandler(std::function<void(int signal)> handler);

// Ends the process at once with the exit code, after removing the temporary files of the saves in
// progress: the file being written is not saved, and no file is left behind half written. For a
// program that must not wait for its worker to finish a picture.
[[noreturn]] void exitRemovingTemporaryFiles(int code);

}  // namespace fw
