// The program's entry: the platform first, then the classes, then the start-up driver.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>

#include "engine/framework/application.h"
#include "engine/framework/picture.h"
#include "engine/framework/thread.h"
#include "mainwindow/startup.h"

int main(int argc, char** argv) {
    fw::RuntimeInit(argc, argv);
    fw::initPictures(argc, argv);
    try {
        startup::registerClasses();
    } catch (...) {
        // A class that cannot be registered leaves nothing to start: report it and run no step.
        fw::UnhandledException(std::current_exception());
        return fw::RuntimeExitCode();
    }
    startup::Main();
    const int code = fw::RuntimeExitCode();
    // An unhandled failure can end the event loop while a batch still runs. Returning would
    // destroy the statics under the running worker, so leave without static destruction. Nothing
    // is lost: each picture is renamed into place only once complete.
    if (fw::Thread::runningCount() > 0) {
        std::cout.flush();
        std::cerr.flush();
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
