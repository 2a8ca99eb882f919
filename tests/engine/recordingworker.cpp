#include "tests/engine/recordingworker.h"

#include <type_traits>
#include <variant>

#include "engine/framework/eventloop.h"
#include "platform/testing/systemhooks.h"

namespace {

std::atomic<int> g_beeps{0};
const char* const kEnded = "test: run returned";

std::string describe(const fw::Dictionary& message) {
    std::string text;
    for (const fw::Pair& pair : message.pairs()) {
        if (!text.empty())
            text += "; ";
        text += pair.key + "=";
        text += std::visit(
            [](const auto& v) -> std::string {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::monostate>)
                    return "nil";
                else if constexpr (std::is_same_v<T, bool>)
                    return v ? "true" : "false";
                else if constexpr (std::is_same_v<T, std::int64_t>)
                    return std::to_string(v);
                else if constexpr (std::is_same_v<T, double>)
                    return "double " + std::to_string(v);
                else
                    return "'" + v + "'";
            },
            pair.value);
    }
    return text;
}

}  // namespace

int beepCount() {
    return g_beeps.load();
}

void installBeepCounter() {
    fw::testing::setBeepHandler([] { ++g_beeps; });
}

RecordingWorker::RecordingWorker() {
    setStopCheck({.requested = [stop = m_stop] { return stop->load(); },
                  .clear = [stop = m_stop] { stop->store(false); }});
}

std::vector<std::string> RecordingWorker::runBatch() {
    m_messages.clear();
    m_setnameCalls = 0;
    Run();
    fw::runEventLoop();
    wait();
    return m_messages;
}

std::string RecordingWorker::setname(const fw::FolderItemPtr& folder, const std::string& name) {
    const int call = ++m_setnameCalls;
    if (onSetname)
        onSetname(call);
    return threadResize::setname(folder, name);
}

void RecordingWorker::Event_Run() {
    try {
        threadResize::Event_Run();
    } catch (...) {
        AddUserInterfaceUpdate({fw::Pair{"test: exception escaped the run", true}});
    }
    AddUserInterfaceUpdate({fw::Pair{kEnded, true}});
}

void RecordingWorker::Event_UserInterfaceUpdate(const std::vector<fw::Dictionary>& data) {
    for (const fw::Dictionary& message : data) {
        if (message.HasKey(kEnded)) {
            fw::quitEventLoop(0);
            continue;
        }
        if (message.HasKey("Done") || message.HasKey("Error"))
            beepsAtEnd = beepCount();
        m_messages.push_back(describe(message));
    }
}
