#include "engine/framework/application.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QStringList>
#include <QStyleFactory>

#include <iostream>
#include <mutex>
#include <string>
#include <vector>

#include "engine/framework/classregistry.h"
#include "engine/framework/eventloop.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/menuitem.h"
#include "engine/framework/window.h"
#include "platform/core/quietwarnings.h"
#include "platform/core/storedarguments.h"
#include "platform/ui/desktopservices.h"
#include "platform/ui/runtimestate.h"
#include "platform/ui/singleinstance.h"
#include "platform/ui/standardclasses.h"
#include "platform/ui/uisupport.h"

namespace fw {

struct Application::Impl {
    std::int64_t major = 0;
    std::int64_t minor = 0;
    std::int64_t bug = 0;
    std::int64_t nonRelease = 0;
    std::int64_t stage = 0;
    std::string longVersion;
    std::string shortVersion;
    std::string packageInfo;
    std::shared_ptr<fw::MenuBar> menuBar;
};

namespace {

struct RuntimeState {
    platform::StoredArguments arguments;
    std::shared_ptr<Application> app;
    std::mutex exitMutex;
    int exitCode = 0;
    bool failed = false;  // an unhandled exception was reported: the exit code stays non-zero
    bool running = false;
    bool quitPending = false;  // Quit came while no loop ran: the next run returns at once
    bool quitting = false;
    bool leaving = false;  // the loop is ending: hand-overs from later starts are refused
    std::vector<std::string> argumentsForTests;
    std::function<void(const std::vector<std::string>&)> handOverObserver;
};

RuntimeState& state() {
    // Never destroyed: the application object and windows may live until the process ends.
    static auto* s = new RuntimeState;
    return *s;
}

// Ends the running loop with the code, or makes the next run return at once.
void leaveLoop(int code) {
    RuntimeState& s = state();
    std::lock_guard lock(s.exitMutex);
    if (!s.failed)
        s.exitCode = code;
    s.leaving = true;
    const int finalCode = s.failed ? 1 : s.exitCode;
    QCoreApplication* app = QCoreApplication::instance();
    if (!s.running || app == nullptr) {
        s.quitPending = true;
        return;
    }
    // Queued, so that a call from another thread or from deep inside a handler unwinds first.
    QMetaObject::invokeMethod(
        app,
        [finalCode] {
            singleinstance::stopListening();
            QCoreApplication::exit(finalCode);
        },
        Qt::QueuedConnection);
}

// The command-line arguments after the program's name, as Qt left them (its own options taken
// out).
std::vector<std::string> documentArguments() {
    if (!state().argumentsForTests.empty())
        return state().argumentsForTests;
    std::vector<std::string> out;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i)
        out.push_back(QFile::encodeName(args[i]).toStdString());
    return out;
}

// The documents of the command line as absolute paths. Options (those Qt did not take itself)
// are not paths; every other path goes to the program, existing or not: it decides what a
// missing one means.
std::vector<std::string> documentPaths() {
    std::vector<std::string> paths;
    for (const std::string& argument : documentArguments()) {
        if (argument.empty() || argument.front() == '-')
            continue;
        const QFileInfo info(QFile::decodeName(argument.c_str()));
        paths.push_back(QFile::encodeName(info.absoluteFilePath()).toStdString());
    }
    return paths;
}

// Raises the application's OpenDocument event for the path from the event loop, after what is
// already queued.
void postOpenDocument(const std::string& path) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [path] {
            if (auto app = RuntimeAppObject())
                ui::runGuarded([&] { app->Event_OpenDocument(FolderItem::fromNativePath(path)); });
        },
        Qt::QueuedConnection);
}

// A later start's documents: one OpenDocument event each, in their order, then the first window
// opened (the default view) comes to the front.
bool takeHandOver(std::vector<std::string> documents) {
    {
        RuntimeState& s = state();
        std::lock_guard lock(s.exitMutex);
        if (s.leaving)
            return false;
    }
    for (const std::string& path : documents)
        postOpenDocument(path);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [documents = std::move(documents)] {
            ui::runGuarded([] {
                const std::vector<std::shared_ptr<Window>> windows = Window::openWindows();
                if (!windows.empty())
                    windows.front()->Show();
            });
            if (state().handOverObserver)
                state().handOverObserver(documents);
        },
        Qt::QueuedConnection);
    return true;
}

}  // namespace

Application::Application() : d(std::make_unique<Impl>()) {}
Application::~Application() = default;

bool Application::IsEventImplemented(const std::string& eventName) const {
    return ClassRegistry::isEventImplemented(ClassName(), eventName);
}

void Application::_x_SetVersionData(std::int64_t major, std::int64_t minor, std::int64_t bug,
                                    std::int64_t nonRelease, std::int64_t stage,
                                    const std::string& longVersion, const std::string& shortVersion,
                                    const std::string& packageInfo) {
    d->major = major;
    d->minor = minor;
    d->bug = bug;
    d->nonRelease = nonRelease;
    d->stage = stage;
    d->longVersion = longVersion;
    d->shortVersion = shortVersion;
    d->packageInfo = packageInfo;
}

std::int64_t Application::MajorVersion() const {
    return d->major;
}
std::int64_t Application::MinorVersion() const {
    return d->minor;
}
std::int64_t Application::BugVersion() const {
    return d->bug;
}
std::int64_t Application::NonReleaseVersion() const {
    return d->nonRelease;
}
std::int64_t Application::StageCode() const {
    return d->stage;
}
std::string Application::LongVersion() const {
    return d->longVersion;
}
std::string Application::ShortVersion() const {
    return d->shortVersion;
}
std::string Application::PackageInfo() const {
    return d->packageInfo;
}

std::shared_ptr<fw::MenuBar> Application::MenuBar() const {
    return d->menuBar;
}
void Application::setMenuBar(const std::shared_ptr<fw::MenuBar>& bar) {
    d->menuBar = bar;
}

void RuntimeInit(int argc, char** argv) {
    RuntimeState& s = state();
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        return;
    if (QCoreApplication::instance() != nullptr)
        throw RuntimeException("The platform was set up without windows");
    s.arguments.assign(argc, argv);

    // One look on every desktop, so that the laid-out geometry fits the captions everywhere.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication* app = nullptr;
    {
        const platform::QuietPlainWarnings quiet;
        // Lives until the process ends.
        app = new QApplication(s.arguments.argc(), s.arguments.argv());
    }
    // The program decides when it ends (Quit), not the last closed window.
    app->setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("vimbel"));
    // Menus and message boxes take the font the controls' "System" stands for.
    QFont font = QApplication::font();
    font.setFamily(ui::systemFamily());
    font.setPixelSize(ui::standardPixelSize);
    QApplication::setFont(font);
    registerStandardClasses();
    ui::installDesktopServices();
    QApplication::setWindowIcon(ui::applicationIcon());
    // The rest of the platform's set-up (main thread, codecs) finds the application made.
    initHeadless(s.arguments.argc(), s.arguments.argv());
}

void RuntimeRegisterAppObject(const std::shared_ptr<Application>& app) {
    state().app = app;
}

std::shared_ptr<Application> RuntimeAppObject() {
    return state().app;
}

void RunFrameworkInitialization(const std::function<void()>& lateStartup) {
    ui::requireMainThread();
    const std::vector<std::string> documents = documentPaths();
    if (singleinstance::claim(documents, takeHandOver) == singleinstance::Role::HandedOver) {
        // The running program has taken the documents: this start ends at once, without a window.
        leaveLoop(0);
        return;
    }
    if (lateStartup)
        lateStartup();
    // From the event loop: the application's Open, then each document named on the command line.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            if (auto app = RuntimeAppObject())
                ui::runGuarded([&] { app->Event_Open(); });
        },
        Qt::QueuedConnection);
    for (const std::string& path : documents)
        postOpenDocument(path);
}

int RuntimeRun() {
    ui::requireMainThread();
    RuntimeState& s = state();
    {
        std::lock_guard lock(s.exitMutex);
        if (s.quitPending) {
            s.quitPending = false;
            return s.failed ? 1 : s.exitCode;
        }
        s.running = true;
        s.leaving = false;
    }
    const int code = QApplication::exec();
    std::lock_guard lock(s.exitMutex);
    s.running = false;
    s.quitPending = false;
    return s.failed ? 1 : code;
}

void UnhandledException(const std::exception& e) {
    std::cerr << "vimbel: unhandled exception: " << e.what() << std::endl;
    {
        RuntimeState& s = state();
        std::lock_guard lock(s.exitMutex);
        s.failed = true;
        s.exitCode = 1;
    }
    leaveLoop(1);
}

void UnhandledException(std::exception_ptr e) {
    try {
        if (e)
            std::rethrow_exception(e);
        UnhandledException(RuntimeException("unknown failure"));
    } catch (const std::exception& caught) {
        UnhandledException(caught);
    } catch (...) {
        UnhandledException(RuntimeException("an exception of unknown type"));
    }
}

int RuntimeExitCode() {
    RuntimeState& s = state();
    std::lock_guard lock(s.exitMutex);
    return s.failed ? 1 : s.exitCode;
}

void Quit(int code) {
    ui::requireMainThread();
    RuntimeState& s = state();
    // A close handler that quits in turn (the main window's does) joins this quit.
    if (s.quitting)
        return;
    s.quitting = true;
    try {
        std::vector<std::shared_ptr<Window>> windows = Window::openWindows();
        for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
            try {
                (*it)->Close();
            } catch (...) {
                UnhandledException(std::current_exception());
            }
        }
    } catch (...) {
        s.quitting = false;
        throw;
    }
    s.quitting = false;
    leaveLoop(code);
}

namespace platform {

void resetRuntimeForTests() {
    RuntimeState& s = state();
    std::lock_guard lock(s.exitMutex);
    s.exitCode = 0;
    s.failed = false;
    s.quitPending = false;
    s.quitting = false;
    s.leaving = false;
}

void setDocumentArgumentsForTests(std::vector<std::string> arguments) {
    state().argumentsForTests = std::move(arguments);
}

void setHandOverObserver(std::function<void(const std::vector<std::string>&)> observer) {
    state().handOverObserver = std::move(observer);
}

}  // namespace platform

}  // namespace fw
