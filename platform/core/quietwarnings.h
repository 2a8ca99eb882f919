#pragma once

// For its lifetime, Qt's warnings that carry no category of their own stay off stderr; those of a
// category (the display that cannot be reached, a missing plug-in) still show. Qt's set-up and its
// look-up of the runtime folder warn in such plain words, at every start, about a session without
// XDG_RUNTIME_DIR (Qt then makes a folder of its own) or with one that is not the user's (the
// program then runs without the hand-over): nothing the user of a desktop program has to act on.
// Main thread; scopes may nest.
namespace fw::platform {

class QuietPlainWarnings {
public:
    QuietPlainWarnings();
    ~QuietPlainWarnings();
    QuietPlainWarnings(const QuietPlainWarnings&) = delete;
    QuietPlainWarnings& operator=(const QuietPlainWarnings&) = delete;
};

}  // namespace fw::platform
