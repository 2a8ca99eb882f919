#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A program started by a test: its standard output read line by line, its end awaited. A child
// still running when the object goes is killed.
class ChildProcess {
public:
    using Variables = std::vector<std::pair<std::string, std::string>>;

    // Starts the program with the arguments in the folder, its environment being this process's
    // with the variables set on top.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& folder, const Variables& variables);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of its output without the line end; nothing when none came in time or the
    // output ended.
    [[nodiscard]] std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    // Its exit status (128 + the signal when a signal ended it); nothing while it still runs
    // after the timeout.
    [[nodiscard]] std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    [[nodiscard]] bool running();
    void kill();

private:
    pid_t m_pid = -1;
    int m_output = -1;
    std::string m_pending;
    std::optional<int> m_status;
};
