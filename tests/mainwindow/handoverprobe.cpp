// The program as built, with a probe on its standard output, for the tests that start it more
// than once: it minimizes its main window once the window is up and says "ready"; after each
// hand-over from a later start it reports the documents' count, the source folder they left and
// whether the window came back, then minimizes the window again.
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "engine/framework/application.h"
#include "engine/framework/controls.h"
#include "engine/framework/window.h"
#include "mainwindow/main.h"
#include "mainwindow/startup.h"
#include "platform/testing/testing.h"
#include "platform/ui/runtimestate.h"

namespace {

std::shared_ptr<Main> openMainWindow() {
    return std::dynamic_pointer_cast<Main>(fw::Window::FindOpen("Main.Main"));
}

void report(const std::string& line) {
    std::cout << line << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    fw::RuntimeInit(argc, argv);
    startup::registerClasses();
    startup::setStepHook([](const std::string& step) {
        if (step != "MakeDefaultView")
            return;
        fw::testing::post([] {
            const std::shared_ptr<Main> window = openMainWindow();
            fw::testing::minimize(*window);
            report(std::string("ready minimized=") +
                   (fw::testing::isMinimized(*window) ? "1" : "0"));
        });
    });
    fw::platform::setHandOverObserver([](const std::vector<std::string>& documents) {
        const std::shared_ptr<Main> window = openMainWindow();
        fw::testing::waitUntil([&] { return fw::testing::isActive(*window); },
                               std::chrono::seconds(5));
        report("handed " + std::to_string(documents.size()) +
               " folder=" + (window->f ? window->f->NativePath() : std::string("none")) +
               " label=" + window->STFolder()->Caption() +
               " minimized=" + (fw::testing::isMinimized(*window) ? "1" : "0") +
               " active=" + (fw::testing::isActive(*window) ? "1" : "0"));
        fw::testing::minimize(*window);
    });
    startup::Main();
    return fw::RuntimeExitCode();
}
