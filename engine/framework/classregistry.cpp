#include "engine/framework/classregistry.h"

#include <map>
#include <memory>
#include <mutex>
#include <type_traits>

#include "engine/framework/namecase.h"

namespace fw {

// The variant's alternatives are listed in the order of PropertyType.
static_assert(
    std::is_same_v<
        std::variant_alternative_t<static_cast<std::size_t>(PropertyType::Single), PropertyValue>,
        float>);
static_assert(
    std::is_same_v<
        std::variant_alternative_t<static_cast<std::size_t>(PropertyType::String), PropertyValue>,
        std::string>);

PropertyType typeOf(const PropertyValue& value) {
    return static_cast<PropertyType>(value.index());
}

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, std::unique_ptr<ClassInfo>> classes;
    // A replaced class stays alive: callers may still hold pointers into it.
    std::vector<std::unique_ptr<ClassInfo>> retired;

    void insertLocked(ClassInfo info) {
        auto& slot = classes[info.name];
        if (slot)
            retired.push_back(std::move(slot));
        slot = std::make_unique<ClassInfo>(std::move(info));
    }
    [[nodiscard]] const ClassInfo* findLocked(const std::string& name) const {
        auto it = classes.find(name);
        return it == classes.end() ? nullptr : it->second.get();
    }
};

Registry& registry() {
    static Registry r;
    return r;
}

}  // namespace

namespace ClassRegistry {

void registerClass(ClassInfo info) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.insertLocked(std::move(info));
}

const ClassInfo* find(const std::string& className) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.findLocked(className);
}

const PropertyInfo* findProperty(const std::string& className, const std::string& propertyName) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    // Walks from the class to its root; a class's own property hides a base's of the same name.
    // The hop limit guards against a base cycle in a faulty registration.
    const ClassInfo* info = r.findLocked(className);
    for (int hops = 0; info != nullptr && hops < 64; ++hops) {
        for (const auto& p : info->properties)
            if (equalsIgnoringCase(p.name, propertyName))
                return &p;
        if (info->base.empty())
            break;
        info = r.findLocked(info->base);
    }
    return nullptr;
}

bool isEventImplemented(const std::string& className, const std::string& eventName) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const ClassInfo* info = r.findLocked(className);
    if (info == nullptr)
        return false;
    for (const auto& e : info->events)
        if (equalsIgnoringCase(e, eventName))
            return true;
    return false;
}

}  // namespace ClassRegistry

}  // namespace fw
