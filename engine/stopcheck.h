#pragma once

#include <functional>

// How a batch learns that it should stop, handed to the worker by its owner. The batch asks
// requested() at one place only, on the worker thread after each saved picture and its "NbDone";
// when the answer is yes it calls clear() and ends like a complete batch. A start calls clear()
// too, on the starting thread before the worker runs, so that a request left from an earlier
// batch does not end the new one. Both may be called on either thread: what they share must be
// safe to share, and must live as long as the worker.
struct StopCheck {
    std::function<bool()> requested;
    std::function<void()> clear;
};
