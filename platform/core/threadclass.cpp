#include "platform/core/threadclass.h"

#include <cstdint>
#include <mutex>
#include <string>

#include "engine/framework/classregistry.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/thread.h"

namespace fw::platform {

namespace {

using Int = std::int64_t;

ClassInfo threadClass() {
    auto thread = [](Object& object, const std::string& property) -> Thread& {
        if (auto* t = dynamic_cast<Thread*>(&object))
            return *t;
        throw RuntimeException("Property " + property + " set on an object of class " +
                               object.ClassName() + ", which is not a thread");
    };
    return {"Thread",
            "",
            {
                {"Priority", PropertyType::Integer,
                 [thread](Object& o, const PropertyValue& v) {
                     thread(o, "Priority").Priority = std::get<Int>(v);
                 }},
                {"StackSize", PropertyType::Integer,
                 [thread](Object& o, const PropertyValue& v) {
                     thread(o, "StackSize").StackSize = std::get<Int>(v);
                 }},
            },
            {}};
}

}  // namespace

void registerThreadClass() {
    static std::once_flag once;
    std::call_once(once, [] { ClassRegistry::registerClass(threadClass()); });
}

}  // namespace fw::platform
