#include "tests/mainwindow/childprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <stdexcept>
#include <thread>

extern char** environ;

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& folder, const Variables& variables) {
    std::map<std::string, std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const auto equals = text.find('=');
        if (equals != std::string::npos)
            environment[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : variables)
        environment[name] = value;
    std::vector<std::string> envText;
    for (const auto& [name, value] : environment)
        envText.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& text : envText)
        envp.push_back(text.data());
    envp.push_back(nullptr);
    std::vector<std::string> argText{program};
    argText.insert(argText.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& text : argText)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    const int failed =
        posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (failed != 0) {
        close(pipeEnds[0]);
        throw std::runtime_error("cannot start " + program + ": " + std::strerror(failed));
    }
    m_output = pipeEnds[0];
}

ChildProcess::~ChildProcess() {
    kill();
    if (m_output >= 0)
        close(m_output);
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto newline = m_pending.find('\n');
        if (newline != std::string::npos) {
            std::string line = m_pending.substr(0, newline);
            m_pending.erase(0, newline + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || m_output < 0)
            return std::nullopt;
        pollfd watch{m_output, POLLIN, 0};
        if (poll(&watch, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = read(m_output, buffer, sizeof buffer);
        if (n <= 0) {
            close(m_output);
            m_output = -1;
            continue;
        }
        m_pending.append(buffer, static_cast<std::size_t>(n));
    }
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!m_status) {
        int status = 0;
        const pid_t done = waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid)
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        else if (done < 0)
            m_status = -1;
        else if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return m_status;
}

bool ChildProcess::running() {
    return !waitForExit(std::chrono::milliseconds(0));
}

void ChildProcess::kill() {
    if (m_pid > 0 && running()) {
        ::kill(m_pid, SIGKILL);
        (void)waitForExit(std::chrono::seconds(30));
    }
}
