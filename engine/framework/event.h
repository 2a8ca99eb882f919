#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace fw {

// An event that any number of delegates can be added to; raising it calls them in the order they
// were added. For events with a result the last delegate's result counts (R{} when none).
template <typename Signature>
class Event;

template <typename R, typename... Args>
class Event<R(Args...)> {
public:
    using Handler = std::function<R(Args...)>;
    void addHandler(Handler handler) { m_handlers.push_back(std::move(handler)); }
    [[nodiscard]] bool hasHandlers() const { return !m_handlers.empty(); }
    R raise(Args... args) const {
        if constexpr (std::is_void_v<R>) {
            for (const auto& h : std::vector<Handler>(m_handlers))
                h(args...);
        } else {
            R result{};
            for (const auto& h : std::vector<Handler>(m_handlers))
                result = h(args...);
            return result;
        }
    }

private:
    std::vector<Handler> m_handlers;
};

}  // namespace fw
