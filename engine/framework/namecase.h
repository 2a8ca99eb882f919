#pragma once

#include <algorithm>
#include <string>
#include <string_view>

// Names that the framework looks up (classes, properties, events, controls, menu items) match
// without regard to letter case, so that a lookup of "RBType" finds the control added as
// "RBtype". Only ASCII letters fold; every other byte compares as it is. These functions are
// the one place that rule lives.
namespace fw {

// The byte with an ASCII capital turned into its small letter.
[[nodiscard]] constexpr char asciiFold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The name with its ASCII letters in lower case: the key under which a name is kept.
[[nodiscard]] inline std::string asciiLowercase(std::string name) {
    for (char& c : name)
        c = asciiFold(c);
    return name;
}

// Compares byte by byte without copies: lookups by name run this once per candidate.
[[nodiscard]] constexpr bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiFold(x) == asciiFold(y);
           });
}

}  // namespace fw
