#include "platform/picture/codecmessages.h"

#include <QString>

#include <tiffio.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace fw::pic {

Q_LOGGING_CATEGORY(codecMessages, "vimbel.picture.codec", QtFatalMsg)

namespace {

thread_local int scopes = 0;
std::atomic<QtMessageHandler> previousHandler{nullptr};

void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const QtMessageHandler previous = previousHandler.load();
    if (previous == nullptr)
        return;  // only while the routing is being installed
    if (scopes == 0 || type == QtFatalMsg) {
        previous(type, context, message);
        return;
    }
    if (!codecMessages().isEnabled(type))
        return;
    const QMessageLogContext routed(context.file, context.line, context.function,
                                    codecMessages().categoryName());
    previous(type, routed, message);
}

// libtiff prints to stderr unless told otherwise, and Qt's TIFF plug-in leaves its handlers as
// they are.
void tiffMessage(const char* module, const char* format, va_list arguments) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, arguments);
    qCWarning(codecMessages, "%s: %s", module != nullptr ? module : "libtiff", text);
}

}  // namespace

CodecMessageScope::CodecMessageScope() {
    ++scopes;
}

CodecMessageScope::~CodecMessageScope() {
    --scopes;
}

void routeCodecMessages() {
    if (previousHandler.load() == nullptr)
        previousHandler.store(qInstallMessageHandler(handleMessage));
    TIFFSetErrorHandler(tiffMessage);
    TIFFSetWarningHandler(tiffMessage);
}

}  // namespace fw::pic
