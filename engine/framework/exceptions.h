#pragma once

#include <stdexcept>
#include <string>

namespace fw {

// Failures of framework operations. Every one carries a message that is fit to show.
class RuntimeException : public std::runtime_error {
public:
    explicit RuntimeException(const std::string& message) : std::runtime_error(message) {}
    [[nodiscard]] std::string Message() const { return what(); }
};

class NilObjectException : public RuntimeException {
public:
    explicit NilObjectException(const std::string& message = "Nil object")
        : RuntimeException(message) {}
};

class OutOfBoundsException : public RuntimeException {
public:
    explicit OutOfBoundsException(const std::string& message) : RuntimeException(message) {}
};

class UnsupportedOperationException : public RuntimeException {
public:
    explicit UnsupportedOperationException(const std::string& message)
        : RuntimeException(message) {}
};

// Raised when a picture opened from a file turns out, once its pixels are decoded, not to be a
// picture after all (damaged from its first row, or needing more memory or work than a picture
// may take): the file counts as one that did not open.
class UnsupportedFormatException : public RuntimeException {
public:
    explicit UnsupportedFormatException(
        const std::string& message = "The file's picture data cannot be decoded")
        : RuntimeException(message) {}
};

// Raised by every window, control and menu member that is called off the main thread.
class ThreadAccessingUIException : public RuntimeException {
public:
    ThreadAccessingUIException()
        : RuntimeException("User interface accessed from a thread other than the main thread") {}
};

class IOException : public RuntimeException {
public:
    IOException(const std::string& message, int errorNumber)
        : RuntimeException(message), m_errorNumber(errorNumber) {}
    [[nodiscard]] int ErrorNumber() const { return m_errorNumber; }

private:
    int m_errorNumber;
};

}  // namespace fw
