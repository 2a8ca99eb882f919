#include "engine/framework/termination.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <utility>
#include <vector>

#include "engine/framework/eventloop.h"
#include "engine/framework/exceptions.h"
#include "platform/core/temporaryfiles.h"

namespace fw {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The self-pipe: the signal handler writes the signal's number, the event loop reads it.
int wakeRead = -1;
int wakeWrite = -1;

// Main thread only.
struct Delivery {
    std::function<void(int)> handler;
    std::vector<int> pending;
    QTimer* retry = nullptr;
};

Delivery& delivery() {
    static auto* d = new Delivery;  // never destroyed: a signal may come while the process ends
    return *d;
}

// Only write() and errno: what a signal handler may do.
extern "C" void onTerminationSignal(int signal) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signal);
    // A full pipe already holds requests enough.
    [[maybe_unused]] const ssize_t written = write(wakeWrite, &byte, 1);
    errno = savedErrno;
}

void deliverPending() {
    Delivery& d = delivery();
    // A dialog's own event loop is running: the code that opened the dialog is still on the stack
    // and must not see its window close under it. The request waits for that loop to end.
    if (QThread::currentThread()->loopLevel() > 1) {
        d.retry->start();
        return;
    }
    while (!d.pending.empty()) {
        const int signal = d.pending.front();
        d.pending.erase(d.pending.begin());
        const std::function<void(int)> handler = d.handler;  // it may replace itself
        if (!handler)
            continue;
        try {
            handler(signal);
        } catch (const std::exception& e) {
            std::cerr << "vimbel: termination request failed: " << e.what() << std::endl;
        }
    }
}

void readWakePipe() {
    unsigned char bytes[64];
    for (;;) {
        const ssize_t n = read(wakeRead, bytes, sizeof bytes);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            break;
        }
        for (ssize_t i = 0; i < n; ++i)
            delivery().pending.push_back(bytes[i]);
    }
    deliverPending();
}

void install() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        throw RuntimeException("The termination requests cannot be set up");
    wakeRead = fds[0];
    wakeWrite = fds[1];

    QCoreApplication* app = QCoreApplication::instance();
    auto* notifier = new QSocketNotifier(wakeRead, QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [] { readWakePipe(); });
    Delivery& d = delivery();
    d.retry = new QTimer(app);
    d.retry->setSingleShot(true);
    d.retry->setInterval(100);
    QObject::connect(d.retry, &QTimer::timeout, app, [] { deliverPending(); });

    for (const int signal : kSignals) {
        struct sigaction current {};
        sigaction(signal, nullptr, &current);
        // A signal the process was started to ignore (nohup) stays ignored.
        if (current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = onTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(signal, &action, nullptr);
    }
}

}  // namespace

void setTerminationHandler(std::function<void(int signal)> handler) {
    if (QCoreApplication::instance() == nullptr || !isMainThread())
        throw RuntimeException(
            "Termination requests are taken on the main thread of a set-up "
            "platform");
    if (wakeRead < 0)
        install();
    delivery().handler = std::move(handler);
}

void exitRemovingTemporaryFiles(int code) {
    std::fflush(nullptr);
    temporaryfiles::removeAllForExit();
    _exit(code);
}

}  // namespace fw
