#include "platform/picture/quietstderr.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>

#include "platform/picture/codecmessages.h"

namespace fw::pic {

namespace {

// Scopes may nest or come from two threads: the first one in redirects, the last one out
// restores.
std::mutex mutex;
int depth = 0;
int saved = -1;

}  // namespace

QuietStderr::QuietStderr() {
    if (codecMessages().isWarningEnabled())
        return;
    std::lock_guard lock(mutex);
    m_active = true;
    if (depth++ > 0)
        return;
    std::fflush(stderr);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    saved = ::fcntl(2, F_DUPFD_CLOEXEC, 3);
    if (null >= 0 && saved >= 0)
        ::dup2(null, 2);
    if (null >= 0)
        ::close(null);
}

QuietStderr::~QuietStderr() {
    if (!m_active)
        return;
    std::lock_guard lock(mutex);
    if (--depth > 0)
        return;
    std::fflush(stderr);
    if (saved >= 0) {
        ::dup2(saved, 2);
        ::close(saved);
        saved = -1;
    }
}

}  // namespace fw::pic
