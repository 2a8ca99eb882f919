#pragma once

// The platform's event loop for programs without windows (tools, engine tests). Programs with
// windows use the Application services instead.
namespace fw {

// Sets up the platform (image codecs, the main thread) once; later calls do nothing.
void initHeadless(int argc, char** argv);
// Runs the event loop on the calling thread until quitEventLoop; returns its code.
int runEventLoop();
void quitEventLoop(int code);
// Runs pending events (queued progress messages among them), and those they post, until none is
// left; events that post more without end stop it only after many rounds.
void processEvents();
[[nodiscard]] bool isMainThread();

}  // namespace fw
