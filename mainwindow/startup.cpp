#include "mainwindow/startup.h"

#include <exception>
#include <memory>
#include <utility>

#include "engine/framework/application.h"
#include "engine/threadresize.h"
#include "helpabout/credits.h"
#include "helpabout/whelp.h"
#include "mainwindow/app.h"
#include "mainwindow/main.h"
#include "mainwindow/menu.h"

void VimbelFileTypes::Init() {}

std::vector<std::string> VimbelFileTypes::All() {
    return {};
}

namespace startup {

namespace {

std::function<void(const std::string&)>& stepHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

void step(const char* name) {
    if (stepHook())
        stepHook()(name);
}

}  // namespace

void setStepHook(std::function<void(const std::string&)> hook) {
    stepHook() = std::move(hook);
}

void registerClasses() {
    threadResize::registerClass();
    App::registerClass();
    Menu::registerClass();
    ::Main::registerClasses();
    WHelp::registerClass();
    Credits::registerClass();
}

void Main() {
    step("Main");
    try {
        closeMainWindowOnTerminationRequests();
        EarlyStartup();
        fw::RunFrameworkInitialization([] { LateStartup(); });
        fw::RuntimeRun();
    } catch (...) {
        fw::UnhandledException(std::current_exception());
    }
}

void EarlyStartup() {
    step("EarlyStartup");
    // The platform registered its standard classes when it was set up, and the controls that come
    // as plug-ins elsewhere are built into it: nothing to resolve.
    InitFileTypes();
    NewAppInstance();
    ApplicationAddMenuHandlers();
}

void InitFileTypes() {
    step("InitFileTypes");
    VimbelFileTypes::Init();
}

void NewAppInstance() {
    step("NewAppInstance");
    auto app = std::make_shared<App>();
    app->Constructor();
    app->_x_SetVersionData(1, 7, 0, 0, 3, "1.7.0", "1.7.0", "1.7.0");
    app->setMenuBar(the::Menu());
    fw::RuntimeRegisterAppObject(app);
}

// The application binds no menu handlers of its own: the main window and the help window's
// viewer bind theirs.
void ApplicationAddMenuHandlers() {
    step("ApplicationAddMenuHandlers");
}

void LateStartup() {
    step("LateStartup");
    MakeDefaultView();
}

void MakeDefaultView() {
    step("MakeDefaultView");
    // The platform keeps the open window alive; the reference is not needed here.
    (void)the::Main();
}

}  // namespace startup
