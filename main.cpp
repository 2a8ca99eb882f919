// The program's entry: the platform first, then the classes, then the start-up driver.
#include <exception>

#include "engine/framework/application.h"
#include "mainwindow/startup.h"

int main(int argc, char** argv) {
    fw::RuntimeInit(argc, argv);
    try {
        startup::registerClasses();
    } catch (...) {
        // A class that cannot be registered leaves nothing to start: report it and run no step.
        fw::UnhandledException(std::current_exception());
        return fw::RuntimeExitCode();
    }
    startup::Main();
    return fw::RuntimeExitCode();
}
