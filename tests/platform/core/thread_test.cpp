#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMetaObject>

#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/framework/eventloop.h"
#include "engine/framework/thread.h"

namespace {

// A deadline only guards against hanging; nothing here measures speed.
bool waitUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        fw::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class Worker : public fw::Thread {
public:
    ~Worker() override { wait(); }

    std::function<void(Worker&)> body;
    std::function<void(const std::vector<fw::Dictionary>&)> onUpdate;

    std::vector<std::vector<fw::Dictionary>> batches;
    bool deliveredOffMain = false;
    std::atomic<bool> ranOnMain{false};

    void post(std::int64_t n) { AddUserInterfaceUpdate({{"NbDone", n}}); }

    [[nodiscard]] std::vector<std::int64_t> delivered() const {
        std::vector<std::int64_t> values;
        for (const auto& batch : batches)
            for (const auto& d : batch)
                values.push_back(std::get<std::int64_t>(d.Value("NbDone")));
        return values;
    }

protected:
    void Event_Run() override {
        ranOnMain = fw::isMainThread();
        if (body)
            body(*this);
    }
    void Event_UserInterfaceUpdate(const std::vector<fw::Dictionary>& data) override {
        if (!fw::isMainThread())
            deliveredOffMain = true;
        batches.push_back(data);
        if (onUpdate)
            onUpdate(data);
    }
};

std::vector<std::int64_t> oneTo(std::int64_t n) {
    std::vector<std::int64_t> v;
    for (std::int64_t i = 1; i <= n; ++i)
        v.push_back(i);
    return v;
}

TEST(Thread, RunReturnsAtOnceAndUpdatesArriveOnTheMainThreadInPushOrder) {
    Worker worker;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    worker.body = [released](Worker& w) {
        released.wait();  // Run must have returned before the body gets going
        for (std::int64_t i = 1; i <= 2000; ++i) {
            w.post(i);
            if (i % 100 == 0)
                std::this_thread::yield();
        }
    };
    worker.Run();
    EXPECT_TRUE(worker.isRunning());
    release.set_value();

    ASSERT_TRUE(
        waitUntil([&] { return !worker.isRunning() && worker.delivered().size() == 2000; }));
    EXPECT_EQ(worker.delivered(), oneTo(2000));
    EXPECT_FALSE(worker.ranOnMain);
    EXPECT_FALSE(worker.deliveredOffMain);
    for (const auto& batch : worker.batches) {
        EXPECT_FALSE(batch.empty());
        for (const auto& d : batch)
            EXPECT_EQ(d.Count(), 1u);
    }
}

TEST(Thread, RunAgainWaitsForThePreviousRun) {
    Worker worker;
    std::atomic<int> inside{0}, overlaps{0}, runs{0};
    worker.body = [&](Worker&) {
        if (inside.fetch_add(1) != 0)
            ++overlaps;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ++runs;
        inside.fetch_sub(1);
    };
    for (int i = 0; i < 3; ++i)
        worker.Run();
    worker.wait();
    EXPECT_EQ(runs, 3);
    EXPECT_EQ(overlaps, 0);
    EXPECT_FALSE(worker.isRunning());
}

TEST(Thread, RunningCountCoversEveryRunUntilItsEventRunReturns) {
    ASSERT_EQ(fw::Thread::runningCount(), 0);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    Worker plain, failing;
    plain.body = [released](Worker&) { released.wait(); };
    failing.body = [released](Worker&) {
        released.wait();
        throw std::runtime_error("run failed");
    };
    plain.Run();
    EXPECT_EQ(fw::Thread::runningCount(), 1);
    failing.Run();
    EXPECT_EQ(fw::Thread::runningCount(), 2);
    ::testing::internal::CaptureStderr();
    release.set_value();
    plain.wait();
    failing.wait();
    (void)::testing::internal::GetCapturedStderr();
    EXPECT_EQ(fw::Thread::runningCount(), 0) << "a run that failed is no longer counted";
}

TEST(Thread, AnExceptionEscapingTheRunIsReportedNotFatal) {
    Worker worker;
    worker.body = [](Worker& w) {
        w.post(1);
        throw std::runtime_error("worker exploded");
    };
    ::testing::internal::CaptureStderr();
    worker.Run();
    worker.wait();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("worker exploded"), std::string::npos) << err;
    EXPECT_FALSE(worker.isRunning());
    ASSERT_TRUE(waitUntil([&] { return worker.delivered().size() == 1; }));

    worker.body = [](Worker& w) { w.post(2); };  // the object serves the next run as before
    worker.Run();
    worker.wait();
    ASSERT_TRUE(waitUntil([&] { return worker.delivered().size() == 2; }));
}

TEST(Thread, AnExceptionEscapingTheUpdateHandlerIsReportedAndDeliveryGoesOn) {
    Worker worker;
    worker.onUpdate = [&](const std::vector<fw::Dictionary>&) {
        if (worker.batches.size() == 1)
            throw std::runtime_error("handler exploded");
    };
    worker.post(1);
    ::testing::internal::CaptureStderr();
    worker.deliverPendingUpdates();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("handler exploded"), std::string::npos) << err;

    worker.post(2);
    ASSERT_TRUE(waitUntil([&] { return worker.delivered().size() == 2; }));
    EXPECT_EQ(worker.delivered(), oneTo(2));
}

TEST(Thread, DeliverPendingUpdatesDrainsAtOnceAndNothingTwice) {
    Worker worker;
    worker.body = [](Worker& w) {
        for (std::int64_t i = 1; i <= 3; ++i)
            w.post(i);
    };
    worker.Run();
    worker.wait();
    worker.deliverPendingUpdates();
    EXPECT_EQ(worker.delivered(), oneTo(3));
    fw::processEvents();  // the call posted for them finds nothing left
    EXPECT_EQ(worker.delivered(), oneTo(3));
}

TEST(Thread, AHandlerThatSpinsTheEventLoopSeesNoLaterUpdateInside) {
    Worker worker;
    int depth = 0, nestedDeliveries = 0;
    worker.onUpdate = [&](const std::vector<fw::Dictionary>& data) {
        if (depth > 0)
            ++nestedDeliveries;
        ++depth;
        if (std::get<std::int64_t>(data.front().Value("NbDone")) == 1) {
            worker.post(2);
            worker.post(3);
            fw::processEvents();
            worker.deliverPendingUpdates();
        }
        --depth;
    };
    worker.post(1);
    ASSERT_TRUE(waitUntil([&] { return worker.delivered().size() == 3; }));
    EXPECT_EQ(worker.delivered(), oneTo(3));
    EXPECT_EQ(nestedDeliveries, 0);
}

TEST(Thread, QueuedDeliveryIsHarmlessOnceTheObjectIsGone) {
    auto worker = std::make_unique<Worker>();
    worker->body = [](Worker& w) { w.post(1); };
    worker->Run();
    worker->wait();
    worker.reset();       // its delivery call is still queued
    fw::processEvents();  // and must find nothing to call
    SUCCEED();
}

TEST(Thread, AHandlerMayDestroyItsOwnThreadObject) {
    auto worker = std::make_unique<Worker>();
    int calls = 0;
    worker->onUpdate = [&](const std::vector<fw::Dictionary>&) {
        ++calls;
        worker->post(99);  // queued behind this batch, and dropped with the object
        worker.reset();
    };
    worker->post(1);
    ASSERT_TRUE(waitUntil([&] { return worker == nullptr; }));
    fw::processEvents();
    EXPECT_EQ(calls, 1);

    // The same through the synchronous path.
    worker = std::make_unique<Worker>();
    worker->onUpdate = [&](const std::vector<fw::Dictionary>&) { worker.reset(); };
    worker->post(1);
    worker->deliverPendingUpdates();
    EXPECT_EQ(worker, nullptr);
    fw::processEvents();
}

TEST(EventLoop, SetUpOnceOnTheMainThread) {
    fw::initHeadless(0, nullptr);  // already done by the test runner: no second application
    EXPECT_TRUE(fw::isMainThread());
    bool elsewhere = true;
    std::thread([&] { elsewhere = fw::isMainThread(); }).join();
    EXPECT_FALSE(elsewhere);
}

// Posts a call that posts the next one, until the chain has the length asked (0: without end).
void postChain(int length, int& done, const bool& stop) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [length, &done, &stop] {
            ++done;
            if (!stop && (length == 0 || done < length))
                postChain(length, done, stop);
        },
        Qt::QueuedConnection);
}

// Each event of a chain is posted while the one before runs: one call must see them all through,
// and a chain without end must not keep it going for ever.
TEST(EventLoop, ProcessEventsRunsEventsPostedWhileItRuns) {
    int done = 0;
    bool stop = false;
    postChain(50, done, stop);
    fw::processEvents();
    EXPECT_EQ(done, 50);

    done = 0;
    postChain(0, done, stop);
    fw::processEvents();
    EXPECT_GT(done, 50);
    stop = true;
    fw::processEvents();
}

TEST(EventLoop, QuitEndsTheLoopWithItsCode) {
    // Asked from another thread, as a worker would.
    std::thread asker([] { fw::quitEventLoop(7); });
    EXPECT_EQ(fw::runEventLoop(), 7);
    asker.join();
}

}  // namespace
