#include "engine/fitname.h"

#include <cstddef>

namespace {

constexpr std::size_t kMaxNameBytes = 255;

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string fitname(const std::string& base, const std::string& tail) {
    const std::size_t room = tail.size() < kMaxNameBytes ? kMaxNameBytes - tail.size() : 0;
    if (base.size() <= room)
        return base;
    // Never keep the first bytes of a character without the rest of it (at most three follow a
    // lead byte; longer runs are not UTF-8 and are cut anywhere).
    std::size_t cut = room;
    for (int back = 0; back < 3 && cut > 0 && isContinuationByte(base[cut]); ++back)
        --cut;
    return base.substr(0, cut);
}
