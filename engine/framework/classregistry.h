#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "engine/framework/color.h"
#include "engine/framework/object.h"

namespace fw {

// Declared types of properties, which fix the width of a value in a layout property block.
enum class PropertyType { Boolean, Integer, FontUnit, Single, Double, Color, String };

struct FontUnitValue {
    std::uint8_t value = 0;
    friend bool operator==(const FontUnitValue&, const FontUnitValue&) = default;
};

// A typed property value, as a declarative block table writes it.
using PropertyValue =
    std::variant<bool, std::int64_t, FontUnitValue, float, double, Color, std::string>;

[[nodiscard]] PropertyType typeOf(const PropertyValue& value);

struct PropertyInfo {
    std::string name;
    PropertyType type;
    std::function<void(Object&, const PropertyValue&)> set;
};

struct ClassInfo {
    std::string name;
    std::string base;  // empty for a root class
    std::vector<PropertyInfo> properties;
    std::vector<std::string> events;  // events the class handles, for IsEventImplemented
};

// The process-wide registry of classes by name. Thread-safe. The platform registers its own classes
// (controls, windows, Thread) when it starts, before the program registers those based on them.
namespace ClassRegistry {
// Registers (or replaces) a class.
void registerClass(ClassInfo info);
[[nodiscard]] const ClassInfo* find(const std::string& className);
// The property of that name on the class or its bases, letter case ignored; nullptr when none.
[[nodiscard]] const PropertyInfo* findProperty(const std::string& className,
                                               const std::string& propertyName);
// Whether the class (not its bases) handles the named event, letter case ignored.
[[nodiscard]] bool isEventImplemented(const std::string& className, const std::string& eventName);
}  // namespace ClassRegistry

}  // namespace fw
