#include "tests/engine/childprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment,
                           const ChildOptions& options) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    if (options.errorFile.empty())
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, options.errorFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!options.folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options.folder.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t all;
    sigfillset(&all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // The sanitizers' options of the test run hold for the child too.
    std::vector<std::string> variables = environment;
    for (const std::string name : {"ASAN_OPTIONS", "UBSAN_OPTIONS"}) {
        const bool given = std::any_of(variables.begin(), variables.end(),
                                       [&](const auto& v) { return v.starts_with(name + "="); });
        if (const char* value = std::getenv(name.c_str()); value != nullptr && !given)
            variables.push_back(name + "=" + value);
    }
    std::vector<char*> envp;
    for (const std::string& e : variables)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    const int error = posix_spawn(&m_pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(fds[1]);
    m_out = fds[0];
    if (error != 0) {
        m_pid = -1;
        throw std::runtime_error("cannot start " + arguments.front());
    }
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0 && !m_status) {
        kill(m_pid, SIGKILL);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
    if (m_out >= 0)
        close(m_out);
}

bool ChildProcess::readSome(int timeoutMs) {
    pollfd p{m_out, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0)
        return false;
    char buffer[4096];
    const ssize_t n = read(m_out, buffer, sizeof buffer);
    if (n <= 0)
        return false;
    m_output.append(buffer, static_cast<std::size_t>(n));
    return true;
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const std::size_t end = m_output.find('\n', m_consumed);
        if (end != std::string::npos) {
            std::string line = m_output.substr(m_consumed, end - m_consumed);
            m_consumed = end + 1;
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !readSome(static_cast<int>(left.count())))
            return std::nullopt;
    }
}

bool ChildProcess::catches(int signal) const {
    std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigCgt:", 0) == 0) {
            const std::uint64_t mask = std::stoull(line.substr(7), nullptr, 16);
            return (mask >> (signal - 1)) & 1U;
        }
    }
    return false;
}

bool ChildProcess::waitUntilCatches(int signal, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!catches(signal)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void ChildProcess::sendSignal(int signal) const {
    if (m_pid > 0 && !m_status)
        kill(m_pid, signal);
}

std::string ChildProcess::wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!m_status) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_status = status;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return "still running";
        if (!readSome(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    while (readSome(0)) {
    }
    if (WIFEXITED(*m_status))
        return "exit code " + std::to_string(WEXITSTATUS(*m_status));
    if (WIFSIGNALED(*m_status))
        return "ended by signal " + std::to_string(WTERMSIG(*m_status));
    return "stopped";
}

std::optional<int> ChildProcess::exitCode() const {
    if (!m_status || !WIFEXITED(*m_status))
        return std::nullopt;
    return WEXITSTATUS(*m_status);
}

std::vector<std::string> privateSession(const std::string& folder, const std::string& runtime) {
    namespace fs = std::filesystem;
    for (const char* sub : {"home", "config", "data"})
        fs::create_directories(fs::path(folder) / sub);
    const fs::path runtimeFolder = fs::path(folder) / runtime;
    fs::create_directories(runtimeFolder);
    fs::permissions(runtimeFolder, fs::perms::owner_all, fs::perm_options::replace);
    return {"HOME=" + folder + "/home",
            "XDG_CONFIG_HOME=" + folder + "/config",
            "XDG_DATA_HOME=" + folder + "/data",
            "XDG_RUNTIME_DIR=" + runtimeFolder.string(),
            "PATH=/usr/bin:/bin",
            "QT_QPA_PLATFORM=offscreen",
            "QT_QPA_FONTDIR=/usr/share/fonts/truetype/dejavu"};
}

std::vector<std::string> currentEnvironment() {
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable)
        variables.emplace_back(*variable);
    return variables;
}
