#include "platform/testing/systemhooks.h"

#include <mutex>
#include <optional>
#include <utility>

namespace fw::testing {

namespace {

// Puts a test's handler in place of the platform's, keeping the platform's for an empty handler
// to bring back.
template <typename Handler>
class Override {
public:
    using Set = void (*)(Handler);
    using Current = Handler (*)();

    Override(Set set, Current current) : m_set(set), m_current(current) {}

    void set(Handler handler) {
        std::lock_guard lock(m_mutex);
        if (handler) {
            if (!m_saved)
                m_saved = m_current();
            m_set(std::move(handler));
        } else if (m_saved) {
            m_set(std::move(*m_saved));
            m_saved.reset();
        }
    }

private:
    std::mutex m_mutex;
    const Set m_set;
    const Current m_current;
    std::optional<Handler> m_saved;
};

}  // namespace

void setShowURLHandler(platform::ShowURLHandler handler) {
    static Override<platform::ShowURLHandler> override(platform::setShowURLHandler,
                                                       platform::currentShowURLHandler);
    override.set(std::move(handler));
}

void setBeepHandler(platform::BeepHandler handler) {
    static Override<platform::BeepHandler> override(platform::setBeepHandler,
                                                    platform::currentBeepHandler);
    override.set(std::move(handler));
}

void setLocalizedStringHandler(platform::LocalizedStringHandler handler) {
    static Override<platform::LocalizedStringHandler> override(
        platform::setLocalizedStringHandler, platform::currentLocalizedStringHandler);
    override.set(std::move(handler));
}

}  // namespace fw::testing
