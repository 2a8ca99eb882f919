#include "mainwindow/app.h"

#include "engine/framework/classregistry.h"

void App::registerClass() {
    fw::ClassRegistry::registerClass({"App", "Application", {}, {"Open", "OpenDocument"}});
}

// The program has nothing to do when the application opens: the default view is the start-up's.
void App::Event_Open() {}

void App::Constructor() {}

bool App::IsEventImplemented(const std::string& eventName) const {
    return fw::ClassRegistry::isEventImplemented("App", eventName);
}
