#pragma once

#include <sys/types.h>

#include <cstddef>

namespace fw::pic {

// Reads and writes on a file descriptor that a signal may interrupt.

// One read of at most size bytes, retried while interrupted: the byte count, 0 at the end of the
// file, or -1 with errno set.
ssize_t readSome(int fd, void* buffer, std::size_t size);

// Writes all size bytes. False with error set to errno on the first failing write.
bool writeAll(int fd, const void* data, std::size_t size, int& error);

}  // namespace fw::pic
