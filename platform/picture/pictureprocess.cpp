#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "engine/framework/eventloop.h"
#include "engine/framework/picture.h"

namespace fw {

namespace {

// A low, fixed threshold makes glibc hand big blocks (libjpeg's coefficient arrays for
// progressive files) back to the system when they are freed, instead of moving ever larger ones
// into the heap where their freed space stays mapped and adds up from one picture to the next.
// The pictures' own buffers are reused through the image buffer cache.
void tuneAllocator() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 4 << 20);
#endif
}

}  // namespace

void initPictures(int argc, char** argv) {
    static std::once_flag once;
    std::call_once(once, [] { tuneAllocator(); });
    initHeadless(argc, argv);
}

}  // namespace fw
