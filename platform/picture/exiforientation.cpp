#include "platform/picture/exiforientation.h"

#include <cstring>

namespace fw::pic {

namespace {

class TiffReader {
public:
    TiffReader(const std::uint8_t* data, std::size_t size, bool bigEndian)
        : m_data(data), m_size(size), m_bigEndian(bigEndian) {}

    // False when the field would run past the end.
    bool u16(std::size_t at, unsigned& value) const {
        if (at > m_size || m_size - at < 2)
            return false;
        const unsigned a = m_data[at];
        const unsigned b = m_data[at + 1];
        value = m_bigEndian ? (a << 8 | b) : (b << 8 | a);
        return true;
    }
    bool u32(std::size_t at, std::uint32_t& value) const {
        unsigned hi = 0;
        unsigned lo = 0;
        if (!u16(at, m_bigEndian ? hi : lo) || !u16(at + 2, m_bigEndian ? lo : hi))
            return false;
        value = static_cast<std::uint32_t>(hi) << 16 | lo;
        return true;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    bool m_bigEndian;
};

}  // namespace

int exifOrientation(const std::uint8_t* data, std::size_t size) {
    static constexpr char signature[] = {'E', 'x', 'i', 'f', 0, 0};
    if (data == nullptr || size < sizeof signature ||
        std::memcmp(data, signature, sizeof signature) != 0)
        return 1;
    return tiffOrientation(data + sizeof signature, size - sizeof signature);
}

int tiffOrientation(const std::uint8_t* tiff, std::size_t tiffSize) {
    if (tiff == nullptr || tiffSize < 8)
        return 1;
    bool bigEndian = false;
    if (tiff[0] == 'M' && tiff[1] == 'M')
        bigEndian = true;
    else if (!(tiff[0] == 'I' && tiff[1] == 'I'))
        return 1;
    const TiffReader reader(tiff, tiffSize, bigEndian);
    unsigned magic = 0;
    std::uint32_t ifd = 0;
    unsigned entries = 0;
    if (!reader.u16(2, magic) || magic != 42 || !reader.u32(4, ifd) || !reader.u16(ifd, entries))
        return 1;
    for (unsigned i = 0; i < entries; ++i) {
        const std::size_t entry = static_cast<std::size_t>(ifd) + 2 + std::size_t{12} * i;
        unsigned tag = 0;
        unsigned type = 0;
        std::uint32_t count = 0;
        unsigned value = 0;
        if (!reader.u16(entry, tag))
            return 1;
        if (tag != 0x0112)
            continue;
        // A SHORT with one value, stored at the start of the value field.
        if (!reader.u16(entry + 2, type) || !reader.u32(entry + 4, count) || type != 3 ||
            count != 1 || !reader.u16(entry + 8, value))
            return 1;
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

}  // namespace fw::pic
