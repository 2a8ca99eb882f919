#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// How a child process runs, besides its command line and environment.
struct ChildOptions {
    std::string folder;                   // where it runs; empty: this process's folder
    std::string errorFile = "/dev/null";  // where its standard error goes; empty: with its output
};

// A program run as a child process: a chosen environment (with the sanitizers' options of the test
// run), its signals at their defaults whatever the test runner ignores, its standard output read
// through a pipe. A child still running when the object goes is killed.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment, const ChildOptions& options = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of its standard output, without the line end; nothing at the end of the
    // output or when none came within the timeout.
    [[nodiscard]] std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    // Whether it has a handler of its own for the signal (its SigCgt in /proc).
    [[nodiscard]] bool catches(int signal) const;
    // Polls until it catches the signal, so that the signal is sure to reach its handler; false
    // when it did not within the timeout.
    bool waitUntilCatches(int signal, std::chrono::milliseconds timeout) const;
    void sendSignal(int signal) const;
    // Waits for it to end, reading and keeping what it still writes. Tells how it ended: "exit
    // code N", "ended by signal N", or "still running" after the timeout.
    [[nodiscard]] std::string wait(std::chrono::milliseconds timeout);
    // Its exit code once it has ended by exiting; nothing while it runs or when a signal ended it.
    [[nodiscard]] std::optional<int> exitCode() const;
    // Everything read from its standard output so far.
    [[nodiscard]] const std::string& output() const { return m_output; }

private:
    bool readSome(int timeoutMs);

    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_output;
    std::size_t m_consumed = 0;   // bytes of m_output already handed out as lines
    std::optional<int> m_status;  // the wait status, once it has ended
};

// This process's environment, to run a child in the same session.
[[nodiscard]] std::vector<std::string> currentEnvironment();
// The environment of a desktop session of its own below the folder, so that children in it meet
// only each other: its home, configuration, data and runtime folders (made here, the runtime
// folder for the user alone), the offscreen screen and the fonts the windows are laid out for.
[[nodiscard]] std::vector<std::string> privateSession(const std::string& folder,
                                                      const std::string& runtime = "runtime");
