#include <QCoreApplication>
#include <QGuiApplication>

#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "engine/framework/eventloop.h"
#include "engine/framework/picture.h"
#include "platform/core/storedarguments.h"
#include "platform/picture/codecmessages.h"

namespace fw {

namespace {

// A low, fixed threshold makes glibc hand big blocks (the codecs' planes) back to the system when
// they are freed, instead of moving ever larger ones into the heap where their freed space stays
// mapped and adds up from one picture to the next. The pictures' own buffers are reused through
// the image buffer cache, libjpeg's through its region (jpegmemory.h).
void tuneAllocator() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 4 << 20);
#endif
}

platform::StoredArguments applicationArguments;

// Vector pictures that draw text need fonts, which Qt gives only to a GUI application. A program
// without windows gets one on the platform plugin that has none, whatever the session's display
// (or its absence) is; its set-up messages (a missing XDG_RUNTIME_DIR ...) are the pictures'.
void makeWindowlessApplication(int argc, char** argv) {
    applicationArguments.assign(argc, argv, {"-platform", "offscreen"});
    const pic::CodecMessageScope quiet;
    // Lives until the process ends: pictures may be used up to exit.
    new QGuiApplication(applicationArguments.argc(), applicationArguments.argv());
}

}  // namespace

void initPictures(int argc, char** argv) {
    static std::once_flag once;
    std::call_once(once, [argc, argv] {
        tuneAllocator();
        pic::routeCodecMessages();
        if (QCoreApplication::instance() == nullptr)
            makeWindowlessApplication(argc, argv);
    });
    initHeadless(argc, argv);
}

}  // namespace fw
