#pragma once

#include <functional>
#include <string>
#include <vector>

// The application's document types: the program declares none.
class VimbelFileTypes {
public:
    // Declares the document types; there are none.
    static void Init();
    // The names of the declared types.
    [[nodiscard]] static std::vector<std::string> All();
};

// The program's start-up steps. They live in a namespace of their own so that the driver Main
// does not collide with the accessor the::Main().
namespace startup {

// Registers every class of the program with the framework; runs before Main.
void registerClasses();

// The driver: early start-up, the platform's set-up with the late start-up, then the event loop.
// An exception from any of these goes to the platform's report and skips the steps after it.
void Main();
void EarlyStartup();
void InitFileTypes();
void NewAppInstance();
void ApplicationAddMenuHandlers();
// Called by the platform once its own set-up is complete.
void LateStartup();
void MakeDefaultView();

// Test seam: the hook runs at the start of each step above with the step's name ("Main",
// "EarlyStartup", ...); an empty hook removes it.
void setStepHook(std::function<void(const std::string& step)> hook);

}  // namespace startup
