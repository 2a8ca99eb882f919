#include "engine/framework/eventloop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace fw {

namespace {

std::mutex setupMutex;
std::atomic<bool> mainThreadRecorded{false};
std::thread::id recordedMainThread;

// QCoreApplication keeps references to argc and argv for its whole life.
int storedArgc = 0;
std::vector<std::string> storedArguments;
std::vector<char*> storedArgv;

void storeArguments(int argc, char** argv) {
    storedArguments.clear();
    for (int i = 0; i < argc && argv != nullptr && argv[i] != nullptr; ++i)
        storedArguments.emplace_back(argv[i]);
    if (storedArguments.empty())
        storedArguments.emplace_back("vimbel");
    storedArgv.clear();
    for (auto& argument : storedArguments)
        storedArgv.push_back(argument.data());
    storedArgv.push_back(nullptr);
    storedArgc = static_cast<int>(storedArguments.size());
}

void ensureApplication() {
    if (QCoreApplication::instance() == nullptr)
        initHeadless(0, nullptr);
}

}  // namespace

void initHeadless(int argc, char** argv) {
    std::lock_guard lock(setupMutex);
    if (!mainThreadRecorded) {
        recordedMainThread = std::this_thread::get_id();
        mainThreadRecorded = true;
    }
    if (QCoreApplication::instance() != nullptr)
        return;
    storeArguments(argc, argv);
    // Lives until the process ends: the platform's objects may be used up to exit.
    new QCoreApplication(storedArgc, storedArgv.data());
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

void processEvents() {
    if (QCoreApplication::instance() == nullptr)
        return;
    // Events posted while the pending ones run (a delivery that queues more) get further rounds.
    for (int round = 0; round < 4; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

bool isMainThread() {
    if (QCoreApplication* app = QCoreApplication::instance())
        return QThread::currentThread() == app->thread();
    if (mainThreadRecorded)
        return std::this_thread::get_id() == recordedMainThread;
    return true;
}

}  // namespace fw
