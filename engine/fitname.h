#pragma once

#include <string>

// The base name cut, at a character boundary, so that base + tail fits in the 255 bytes that file
// systems take for a name, tail being what the saved name adds after the base ("-2.jpg", ".png");
// a base that fits is returned unchanged. A source name may grow on its way here (a byte that is
// not UTF-8 becomes three), and a save under a name too long would end the whole batch.
[[nodiscard]] std::string fitname(const std::string& base, const std::string& tail);
