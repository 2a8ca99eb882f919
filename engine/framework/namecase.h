#pragma once

#include <string>

// Names that the framework looks up (classes, properties, events, controls, menu items) match
// without regard to letter case, so that a lookup of "RBType" finds the control added as
// "RBtype". Only ASCII letters fold; every other byte compares as it is. These two functions are
// the one place that rule lives.
namespace fw {

// The name with its ASCII letters in lower case: the key under which a name is kept.
[[nodiscard]] inline std::string asciiLowercase(std::string name) {
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

[[nodiscard]] inline bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && asciiLowercase(a) == asciiLowercase(b);
}

}  // namespace fw
