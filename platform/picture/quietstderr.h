#pragma once

namespace fw::pic {

// libjxl and dav1d (through libheif) print their complaints about damaged files straight to
// standard error, with no way to route them. For the object's lifetime, file descriptor 2 goes
// to /dev/null, unless a developer enabled the codec messages (see codecmessages.h). It is the
// process's stderr: only codec calls run inside such a scope.
class QuietStderr {
public:
    QuietStderr();
    ~QuietStderr();
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    bool m_active = false;
};

}  // namespace fw::pic
