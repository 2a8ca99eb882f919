#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "engine/framework/folderitem.h"
#include "engine/framework/object.h"

namespace fw {

class MenuBar;

class Application : public Object {
public:
    Application();
    ~Application() override;

    [[nodiscard]] std::string ClassName() const override { return "Application"; }

    virtual void Event_Open() {}
    // An item handed to the program by the operating system (each command-line path).
    virtual void Event_OpenDocument(const FolderItemPtr& /*item*/) {}
    [[nodiscard]] virtual bool IsEventImplemented(const std::string& eventName) const;

    // Stores, in this order: major, minor, bug, non-release, stage, long, short, package info.
    void _x_SetVersionData(std::int64_t major, std::int64_t minor, std::int64_t bug,
                           std::int64_t nonRelease, std::int64_t stage,
                           const std::string& longVersion, const std::string& shortVersion,
                           const std::string& packageInfo);
    [[nodiscard]] std::int64_t MajorVersion() const;
    [[nodiscard]] std::int64_t MinorVersion() const;
    [[nodiscard]] std::int64_t BugVersion() const;
    [[nodiscard]] std::int64_t NonReleaseVersion() const;
    [[nodiscard]] std::int64_t StageCode() const;
    [[nodiscard]] std::string LongVersion() const;
    [[nodiscard]] std::string ShortVersion() const;
    [[nodiscard]] std::string PackageInfo() const;

    [[nodiscard]] std::shared_ptr<fw::MenuBar> MenuBar() const;
    void setMenuBar(const std::shared_ptr<fw::MenuBar>& bar);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The platform's application services, in the order a program uses them.
// Initialises the platform (GUI) with the process's arguments; before anything else.
void RuntimeInit(int argc, char** argv);
// From now on the platform holds the object as the application object.
void RuntimeRegisterAppObject(const std::shared_ptr<Application>& app);
[[nodiscard]] std::shared_ptr<Application> RuntimeAppObject();
// Completes the platform's set-up, then calls lateStartup. Afterwards the application's Open event
// and one OpenDocument event per command-line path are raised from the event loop.
// One program runs per user session: a later start hands its command-line paths to the running
// one, which raises an OpenDocument event for each, in order, then brings its first window (the
// default view) to the front; the later start calls no lateStartup, and its RuntimeRun returns 0
// at once, without a window.
void RunFrameworkInitialization(const std::function<void()>& lateStartup);
// Runs the event loop until the application quits; returns the quit code.
int RuntimeRun();
// The platform's report of an exception that escaped: its text on stderr; the exit code becomes
// non-zero.
void UnhandledException(const std::exception& e);
void UnhandledException(std::exception_ptr e);
// The process exit code after the finalisers.
[[nodiscard]] int RuntimeExitCode();
// Asks the platform to end the program with the code, closing open windows through their close
// handlers first.
void Quit(int code = 0);

}  // namespace fw
