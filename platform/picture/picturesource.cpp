#include "platform/picture/picturesource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include "platform/picture/jpegcodec.h"
#include "platform/picture/qtcodec.h"

namespace fw::pic {

namespace {

std::atomic<qint64> memoryLimit{qint64{2} << 30};

QByteArray extensionOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return QByteArray::fromStdString(path.substr(dot + 1)).toLower();
}

}  // namespace

std::unique_ptr<PictureSource> openPictureSource(const std::string& path) {
    // Non-blocking so that a FIFO cannot hang the open; only regular files are pictures.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size == 0) {
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    unsigned char signature[3] = {};
    const bool jpeg = ::pread(fd, signature, 3, 0) == 3 && signature[0] == 0xFF &&
                      signature[1] == 0xD8 && signature[2] == 0xFF;
    if (jpeg)
        return JpegReader::open(fd);
    return QtPictureReader::open(fd, extensionOf(path));
}

qint64 pictureMemoryLimit() {
    return memoryLimit.load();
}

void setPictureMemoryLimit(qint64 bytes) {
    memoryLimit.store(bytes);
}

bool iccProfileFits(const QByteArray& profile, int colourChannels) {
    // The header is 128 bytes; the data colour space signature sits at offset 16.
    if (profile.size() < 128)
        return false;
    const QByteArray space = profile.mid(16, 4);
    return colourChannels == 1 ? space == "GRAY" : space == "RGB ";
}

}  // namespace fw::pic
