#include "platform/picture/picturesource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include <libheif/heif.h>

#include <jxl/decode.h>

#include "platform/picture/heifcodec.h"
#include "platform/picture/jpegcodec.h"
#include "platform/picture/jpegmemory.h"
#include "platform/picture/jxlcodec.h"
#include "platform/picture/pngcodec.h"
#include "platform/picture/qtcodec.h"

namespace fw::pic {

namespace {

std::atomic<qint64> memoryLimit{qint64{2} << 30};

// Enough of the start of a file to recognise its format (an ISO BMFF ftyp box with its brands).
constexpr std::size_t sniffSize = 256;

enum class Codec { Jpeg, Png, Jxl, Heif, Other };

Codec codecOf(const unsigned char* head, std::size_t size) {
    static constexpr unsigned char pngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
        return Codec::Jpeg;
    if (size >= sizeof pngSignature && std::memcmp(head, pngSignature, sizeof pngSignature) == 0)
        return Codec::Png;
    const JxlSignature jxl = JxlSignatureCheck(head, size);
    if (jxl == JXL_SIG_CODESTREAM || jxl == JXL_SIG_CONTAINER)
        return Codec::Jxl;
    if (size >= 12 && std::memcmp(head + 4, "ftyp", 4) == 0 &&
        heif_check_filetype(head, static_cast<int>(size)) != heif_filetype_no)
        return Codec::Heif;
    return Codec::Other;
}

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
    unsigned char head[sniffSize] = {};
    const ssize_t got = ::pread(fd, head, sizeof head, 0);
    // Each codec takes over the descriptor. A file that has the signature of a format read here
    // is that format or nothing: no other codec guesses at it.
    const Codec codec = codecOf(head, got > 0 ? static_cast<std::size_t>(got) : 0);
    if (codec != Codec::Jpeg)
        releaseJpegMemory();
    switch (codec) {
        case Codec::Jpeg:
            return JpegReader::open(fd);
        case Codec::Png:
            return PngReader::open(fd);
        case Codec::Jxl:
            return JxlReader::open(fd);
        case Codec::Heif:
            return HeifReader::open(fd);
        case Codec::Other:
            break;
    }
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
