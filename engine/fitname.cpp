#include "engine/fitname.h"

#include <cstddef>

namespace {

constexpr std::size_t kMaxNameBytes = 255;
// Room for the "-n" that uniquename may add; a million collisions of one base will not happen.
constexpr std::size_t kReservedNumberDigits = 6;

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string fitname(const std::string& base, const std::string& extension) {
    const std::size_t fixed = 1 + kReservedNumberDigits + 1 + extension.size();  // "-", n, "."
    const std::size_t room = fixed < kMaxNameBytes ? kMaxNameBytes - fixed : 0;
    if (base.size() <= room)
        return base;
    // Never keep the first bytes of a character without the rest of it (at most three follow a
    // lead byte; longer runs are not UTF-8 and are cut anywhere).
    std::size_t cut = room;
    for (int back = 0; back < 3 && cut > 0 && isContinuationByte(base[cut]); ++back)
        --cut;
    return base.substr(0, cut);
}
