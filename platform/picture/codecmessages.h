#pragma once

#include <QLoggingCategory>

namespace fw::pic {

// The codecs report damaged or unusual files on their own ("libpng error: Read Error",
// "TIFFFetchDirectory: ...", Qt's plug-ins' warnings). A file that does not open is skipped
// without a word, and the program keeps no log; so Qt's messages that come while a picture is
// read, drawn or written go to this category, which is off unless a developer enables it, for
// instance with QT_LOGGING_RULES="vimbel.picture.codec*=true".
Q_DECLARE_LOGGING_CATEGORY(codecMessages)

// For the scope's lifetime, Qt's messages on this thread are codec messages. Takes effect once
// routeCodecMessages has run.
class CodecMessageScope {
public:
    CodecMessageScope();
    ~CodecMessageScope();
    CodecMessageScope(const CodecMessageScope&) = delete;
    CodecMessageScope& operator=(const CodecMessageScope&) = delete;
};

// Installs the routing of codec messages; at program start, once.
void routeCodecMessages();

}  // namespace fw::pic
