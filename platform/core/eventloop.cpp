#include "engine/framework/eventloop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/core/storedarguments.h"
#include "platform/core/threadclass.h"

namespace fw {

namespace {

std::mutex setupMutex;
std::atomic<bool> mainThreadRecorded{false};
std::thread::id recordedMainThread;

platform::StoredArguments applicationArguments;

void ensureApplication() {
    if (QCoreApplication::instance() == nullptr)
        initHeadless(0, nullptr);
}

}  // namespace

void initHeadless(int argc, char** argv) {
    platform::registerThreadClass();
    std::lock_guard lock(setupMutex);
    if (!mainThreadRecorded) {
        recordedMainThread = std::this_thread::get_id();
        mainThreadRecorded = true;
    }
    if (QCoreApplication::instance() != nullptr)
        return;
    applicationArguments.assign(argc, argv);
    // Lives until the process ends: the platform's objects may be used up to exit.
    new QCoreApplication(applicationArguments.argc(), applicationArguments.argv());
}

int runEventLoop() {
    ensureApplication();
    return QCoreApplication::exec();
}

void quitEventLoop(int code) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return;
    // Queued so that a call from any thread, or from before the loop runs, still ends it.
    QMetaObject::invokeMethod(
        app, [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
}

namespace {

// Counts the events delivered to the objects of the main thread while it is installed.
class DeliveryCounter : public QObject {
public:
    bool eventFilter(QObject* /*watched*/, QEvent* /*event*/) override {
        ++delivered;
        return false;
    }
    std::uint64_t delivered = 0;
};

// Events that keep posting more (a zero-interval timer) would otherwise keep the call going.
constexpr int kMaxRounds = 10'000;

}  // namespace

void processEvents() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return;
    // Events posted while the pending ones run (a delivery that queues more) are only sent by a
    // later round, and Qt 6 no longer tells whether any is pending: rounds go on until one
    // delivers nothing. Off the main thread the counter cannot watch, so one round is all.
    DeliveryCounter counter;
    const bool watching = QThread::currentThread() == app->thread();
    if (watching)
        app->installEventFilter(&counter);
    for (int round = 0; round < kMaxRounds; ++round) {
        const std::uint64_t before = counter.delivered;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        if (!watching || counter.delivered == before)
            break;
    }
    if (watching)
        app->removeEventFilter(&counter);
}

bool isMainThread() {
    if (QCoreApplication* app = QCoreApplication::instance())
        return QThread::currentThread() == app->thread();
    if (mainThreadRecorded)
        return std::this_thread::get_id() == recordedMainThread;
    return true;
}

}  // namespace fw
