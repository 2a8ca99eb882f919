#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/framework/dictionary.h"
#include "engine/threadresize.h"

// The beeps sounded so far (the test main routes Beep here instead of the speaker).
[[nodiscard]] int beepCount();
void installBeepCounter();

// A worker that records its progress messages as the main thread applies them. runBatch() starts
// one batch and runs the event loop until the run has returned, so a run that ends without its
// last message cannot hang a test.
// Its stop check is a flag of its own, which requestStop() raises.
class RecordingWorker : public threadResize {
public:
    RecordingWorker();
    // It overrides setname and Event_Run, which run on the worker thread.
    ~RecordingWorker() override { wait(); }

    // Messages as texts: Status='...', NbDone=1, Done=true, Error='...'.
    std::vector<std::string> runBatch();
    void requestStop() { *m_stop = true; }
    [[nodiscard]] bool stopFlag() const { return *m_stop; }

    // Called on the worker thread with the 1-based count of names asked for, before each one.
    std::function<void(int)> onSetname;
    int beepsAtEnd = -1;  // beeps heard when the last message was applied

    [[nodiscard]] std::string setname(const fw::FolderItemPtr& folder,
                                      const std::string& name) override;

protected:
    void Event_Run() override;
    void Event_UserInterfaceUpdate(const std::vector<fw::Dictionary>& data) override;

private:
    std::shared_ptr<std::atomic<bool>> m_stop = std::make_shared<std::atomic<bool>>(false);
    std::vector<std::string> m_messages;
    std::atomic<int> m_setnameCalls{0};
};
