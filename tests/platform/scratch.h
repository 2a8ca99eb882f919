#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>

// Helpers for the platform tests: a private folder per test and environment overrides that are
// undone afterwards, so no test touches the real home, desktop or configuration.
namespace scratch {

class Dir {
public:
    Dir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vimbel-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~Dir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    Dir(const Dir&) = delete;
    Dir& operator=(const Dir&) = delete;

    [[nodiscard]] const std::string& path() const { return m_path; }
    [[nodiscard]] std::string at(const std::string& relative) const {
        return m_path + "/" + relative;
    }

    // Writes a file (and its folders) below the scratch folder; returns its path.
    std::string write(const std::string& relative, const std::string& bytes = "") const {
        const std::string p = at(relative);
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }
    std::string mkdir(const std::string& relative) const {
        const std::string p = at(relative);
        std::filesystem::create_directories(p);
        return p;
    }

private:
    std::string m_path;
};

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Sets (or, with nullopt, unsets) an environment variable for the scope.
class Env {
public:
    Env(const char* name, const std::optional<std::string>& value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~Env() {
        if (m_old)
            setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }
    Env(const Env&) = delete;
    Env& operator=(const Env&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

}  // namespace scratch
