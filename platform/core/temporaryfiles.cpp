#include "platform/core/temporaryfiles.h"

#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <set>

namespace fw::temporaryfiles {

namespace {

struct Registry {
    std::mutex mutex;
    std::set<std::string> paths;
    bool ending = false;
};

Registry& registry() {
    // Never destroyed: workers may still save while the process ends.
    static auto* r = new Registry;
    return *r;
}

}  // namespace

int create(const std::function<int(std::string& path)>& make) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    if (r.ending) {
        errno = ECANCELED;
        return -1;
    }
    std::string path;
    const int fd = make(path);
    if (fd >= 0)
        r.paths.insert(path);
    return fd;
}

int settle(const std::string& path, const std::function<int()>& settle) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const int result = settle();
    const int error = errno;
    r.paths.erase(path);
    errno = error;
    return result;
}

void removeAllForExit() {
    Registry& r = registry();
    // Held until the process has ended: a save that reaches create or settle waits for that end.
    r.mutex.lock();
    r.ending = true;
    for (const std::string& path : r.paths)
        ::unlink(path.c_str());
    r.paths.clear();
}

}  // namespace fw::temporaryfiles
