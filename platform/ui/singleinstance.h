#pragma once

#include <functional>
#include <string>
#include <vector>

// One running program per user session: a later start hands its documents to the running one
// over a local socket in the user's runtime folder ($XDG_RUNTIME_DIR), reachable by this user
// only. A lock file beside it settles which of two simultaneous starts runs; the kernel drops
// the lock with its holder, so a crashed program leaves nothing that stops the next start.
namespace fw::singleinstance {

enum class Role {
    Primary,     // this process runs the program and takes later starts' documents
    HandedOver,  // the running program took the documents: this process ends
    Alone,       // no runtime folder or socket could be used: this process runs on its own
};

// Receives the absolute paths of a hand-over (none for a start without documents) on the main
// thread; answers whether it took them. A refusal (the program is quitting) makes the later
// start wait for this one's end and run in its place.
using Receiver = std::function<bool(std::vector<std::string> documents)>;

// Hands the documents to the running program, or becomes the running program. Returns the same
// role again once this process is the running program.
[[nodiscard]] Role claim(const std::vector<std::string>& documents, Receiver receiver);

// Stops taking hand-overs: the program is ending. Main thread.
void stopListening();

}  // namespace fw::singleinstance
