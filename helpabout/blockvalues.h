#pragma once

#include <cstdint>
#include <string>

#include "engine/framework/classregistry.h"
#include "engine/framework/color.h"

// Typed values for the layout blocks of the help window and the about box. A block value must
// carry exactly its property's declared type, and a bare literal could pick another alternative
// of the variant (a C string would become a Boolean), so every value is spelled through these.
namespace helpabout::block {

[[nodiscard]] inline fw::PropertyValue Int(std::int64_t v) {
    return v;
}
[[nodiscard]] inline fw::PropertyValue Bool(bool v) {
    return v;
}
[[nodiscard]] inline fw::PropertyValue Text(const char* v) {
    return std::string(v);
}
[[nodiscard]] inline fw::PropertyValue Size(float points) {
    return points;
}
[[nodiscard]] inline fw::PropertyValue Unit(std::uint8_t v) {
    return fw::FontUnitValue{v};
}
[[nodiscard]] inline fw::PropertyValue Colour(fw::Color c) {
    return c;
}

inline constexpr fw::Color black = fw::RGB(0, 0, 0);
inline constexpr fw::Color white = fw::RGB(255, 255, 255);
// The Index of a control that is not a member of a control array.
inline constexpr std::int64_t noIndex = -2147483648LL;

}  // namespace helpabout::block
