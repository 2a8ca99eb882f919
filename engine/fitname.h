#pragma once

#include <string>

// The base name cut, at a character boundary, so that base + "-" + a collision number of up to six
// digits + "." + extension fits in the 255 bytes that file systems take for a name; a base that
// fits so is returned unchanged. A source name may grow on its way here (a byte that is not UTF-8
// becomes three), and a save under a name too long would end the whole batch.
[[nodiscard]] std::string fitname(const std::string& base, const std::string& extension);
