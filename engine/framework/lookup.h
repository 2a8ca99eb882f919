#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "engine/framework/exceptions.h"
#include "engine/framework/window.h"

namespace fw {

// What a lookup of a control by name gives: the control, or nil when the window has nothing of
// that name (and index) and class. That is the one way such a lookup fails: it yields nil, and the
// first use of a nil result (-> or *) raises NilObjectException naming what was looked for. A
// caller that can do without the control tests the result (if (ref), ref == nullptr) instead; one
// that takes it as a plain pointer takes the test on itself.
template <typename T>
class Ref {
public:
    Ref() = default;
    Ref(std::nullptr_t) {}  // nullptr is a nil Ref
    Ref(T* object, std::string lookedFor) : m_object(object), m_lookedFor(std::move(lookedFor)) {}
    // A control of a derived class serves where its base is asked for.
    template <typename U>
    requires std::convertible_to<U*, T*> Ref(const Ref<U>& other)
        : m_object(other.get()), m_lookedFor(other.lookedFor()) {}

    [[nodiscard]] T* operator->() const { return &object(); }
    [[nodiscard]] T& operator*() const { return object(); }
    // The control without the check, nullptr when nil.
    [[nodiscard]] T* get() const { return m_object; }
    operator T*() const { return m_object; }
    [[nodiscard]] const std::string& lookedFor() const { return m_lookedFor; }

private:
    [[nodiscard]] T& object() const {
        if (m_object == nullptr)
            throw NilObjectException(m_lookedFor.empty() ? "Nil object"
                                                         : "No control " + m_lookedFor);
        return *m_object;
    }

    T* m_object = nullptr;
    std::string m_lookedFor;
};

// The window's control of that name (letter case ignored) and class.
template <typename T>
[[nodiscard]] Ref<T> controlNamed(const Window& window, const std::string& name) {
    return {dynamic_cast<T*>(window.ControlByName(name)), "\"" + name + "\""};
}

// The member of the window's control array of that name with that index.
template <typename T>
[[nodiscard]] Ref<T> controlNamed(const Window& window, const std::string& name,
                                  std::int64_t index) {
    return {dynamic_cast<T*>(window.ControlByNameIndex(name, index)),
            "\"" + name + "\" " + std::to_string(index)};
}

}  // namespace fw
