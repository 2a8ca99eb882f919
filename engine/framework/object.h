#pragma once

#include <memory>
#include <string>

namespace fw {

// Root of the framework's classes that have a registered class name (see ClassRegistry).
class Object : public std::enable_shared_from_this<Object> {
public:
    virtual ~Object() = default;
    // The name under which the object's class is registered, e.g. "Label" or "Main.Main".
    [[nodiscard]] virtual std::string ClassName() const = 0;
};

}  // namespace fw
