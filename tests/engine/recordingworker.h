#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
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
class RecordingWorker : public threadResize {
public:
    ~RecordingWorker() override { wait(); }

    // Messages as texts: Status='...', NbDone=1, Done=true, Error='...'.
    std::vector<std::string> runBatch();
    [[nodiscard]] bool stopFlag() { return stopRequested(); }

    // Called on the worker thread with the 1-based count of names asked for, before each one.
    std::function<void(int)> onSetname;
    int beepsAtEnd = -1;  // beeps heard when the last message was applied

    [[nodiscard]] std::string setname(const fw::FolderItemPtr& folder,
                                      const std::string& name) override;

protected:
    void Event_Run() override;
    void Event_UserInterfaceUpdate(const std::vector<fw::Dictionary>& data) override;

private:
    std::vector<std::string> m_messages;
    std::atomic<int> m_setnameCalls{0};
};
