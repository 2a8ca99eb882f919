#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace fw::platform {

// The command line handed to a Qt application, which keeps references to argc and argv for its
// whole life: an object of this type must outlive the application (and is never copied).
class StoredArguments {
public:
    StoredArguments() = default;
    StoredArguments(const StoredArguments&) = delete;
    StoredArguments& operator=(const StoredArguments&) = delete;

    // The program's arguments ("vimbel" as its name when argv holds none), with extra ones put
    // right after the name.
    void assign(int argc, char** argv, std::initializer_list<const char*> extra = {});

    [[nodiscard]] int& argc() { return m_argc; }
    [[nodiscard]] char** argv() { return m_argv.data(); }

private:
    int m_argc = 0;
    std::vector<std::string> m_arguments;
    std::vector<char*> m_argv;
};

}  // namespace fw::platform
