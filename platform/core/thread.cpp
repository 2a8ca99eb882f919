#include "engine/framework/thread.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <atomic>
#include <exception>
#include <iostream>
#include <mutex>
#include <system_error>
#include <thread>

#include "engine/framework/exceptions.h"
#include "platform/core/systemservices.h"

namespace fw {

namespace {

// Constant-initialised with a trivial destructor: still valid while workers outlive main.
std::atomic<int> runsInProgress{0};

}  // namespace

// Shared with the queued delivery calls, which may run after the Thread object is gone.
struct Thread::Impl {
    explicit Impl(Thread* o) : owner(o) {}

    Thread* const owner;

    std::mutex queueMutex;
    std::vector<Dictionary> queue;
    bool drainPosted = false;  // a delivery call is on its way to the main thread

    // Held while updates are delivered; the destructor takes it to mark the object gone.
    std::recursive_mutex deliveryMutex;
    bool alive = true;
    bool delivering = false;

    std::mutex runMutex;
    std::thread worker;
    std::atomic<bool> running{false};

    // Hands every queued update to the owner in push order, repeating until none is left.
    void drain() {
        std::lock_guard delivery(deliveryMutex);
        // A handler that spins the event loop must not see later updates overtake its own
        // batch: the outer loop below picks them up once it returns.
        if (!alive || delivering)
            return;
        delivering = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{delivering};
        for (;;) {
            std::vector<Dictionary> batch;
            {
                std::lock_guard lock(queueMutex);
                if (queue.empty()) {
                    drainPosted = false;
                    break;
                }
                batch.swap(queue);
            }
            try {
                owner->Event_UserInterfaceUpdate(batch);
            } catch (...) {
                platform::reportUnhandledException(std::current_exception());
            }
            if (!alive)
                break;  // the handler destroyed the thread object
        }
    }
};

Thread::Thread() : d(std::make_shared<Impl>(this)) {}

Thread::~Thread() {
    wait();
    {
        // Destroyed by its own run: that run cannot be joined, so it finishes on its own.
        std::lock_guard lock(d->runMutex);
        if (d->worker.joinable())
            d->worker.detach();
    }
    std::lock_guard delivery(d->deliveryMutex);
    d->alive = false;
}

void Thread::Run() {
    std::lock_guard lock(d->runMutex);
    if (d->worker.joinable()) {
        if (d->worker.get_id() == std::this_thread::get_id())
            throw RuntimeException("A thread cannot start itself again from its own run");
        d->worker.join();
    }
    aboutToRun();
    d->running = true;
    // Counted before the thread starts, so that no started run is ever missing from the count.
    ++runsInProgress;
    try {
        d->worker = std::thread([this, impl = d] {
            try {
                Event_Run();
            } catch (const std::exception& e) {
                std::cerr << "Unhandled exception in a thread's run: " << e.what() << std::endl;
            } catch (...) {
                std::cerr << "Unhandled exception in a thread's run" << std::endl;
            }
            impl->running = false;
            --runsInProgress;
        });
    } catch (const std::system_error& e) {
        d->running = false;
        --runsInProgress;
        throw RuntimeException(std::string("The thread could not be started: ") + e.what());
    }
}

void Thread::AddUserInterfaceUpdate(const std::vector<Pair>& pairs) {
    {
        std::lock_guard lock(d->queueMutex);
        d->queue.emplace_back(pairs);
        if (d->drainPosted)
            return;
        d->drainPosted = true;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        // No event loop to post to: the update waits for deliverPendingUpdates.
        std::lock_guard lock(d->queueMutex);
        d->drainPosted = false;
        return;
    }
    QMetaObject::invokeMethod(
        app,
        [weak = std::weak_ptr<Impl>(d)] {
            if (const auto impl = weak.lock())
                impl->drain();
        },
        Qt::QueuedConnection);
}

bool Thread::isRunning() const {
    return d->running;
}

int Thread::runningCount() {
    return runsInProgress;
}

void Thread::wait() {
    std::lock_guard lock(d->runMutex);
    if (d->worker.joinable() && d->worker.get_id() != std::this_thread::get_id())
        d->worker.join();
}

void Thread::deliverPendingUpdates() {
    // Held here too: a handler may destroy this object while its updates are delivered.
    const std::shared_ptr<Impl> keep = d;
    keep->drain();
}

void Thread::Event_UserInterfaceUpdate(const std::vector<Dictionary>& /*data*/) {}

}  // namespace fw
