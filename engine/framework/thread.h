#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/framework/dictionary.h"

namespace fw {

// A worker thread whose Run event is Event_Run. Progress crosses to the main thread through the
// user-interface update queue: every dictionary queued with AddUserInterfaceUpdate reaches
// Event_UserInterfaceUpdate on the main thread, in push order, one or several per call.
class Thread {
public:
    Thread();
    virtual ~Thread();  // waits for a running Event_Run to return
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts Event_Run on a new thread and returns at once. A previous run is joined first.
    void Run();
    // Queues one Dictionary made of the pairs. Callable from the worker thread.
    void AddUserInterfaceUpdate(const std::vector<Pair>& pairs);

    [[nodiscard]] bool isRunning() const;
    // The number of runs in progress in the whole process, from Run until Event_Run has returned.
    [[nodiscard]] static int runningCount();
    // Blocks until the current run, if any, has returned. Queued updates stay queued.
    void wait();
    // Delivers the queued updates now, on the calling (main) thread.
    void deliverPendingUpdates();

    std::int64_t Priority = 5;
    std::int64_t StackSize = 0;

protected:
    // Called by Run on the starting thread, after a previous run has returned and before the new
    // one begins, so that whatever it resets cannot race with requests made right after Run.
    virtual void aboutToRun() {}
    virtual void Event_Run() = 0;
    virtual void Event_UserInterfaceUpdate(const std::vector<Dictionary>& data);

private:
    struct Impl;
    std::shared_ptr<Impl> d;
};

}  // namespace fw
