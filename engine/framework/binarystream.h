#pragma once

#include <cstdint>
#include <memory>

#include "engine/framework/folderitem.h"

namespace fw {

class BinaryStream;
using BinaryStreamPtr = std::shared_ptr<BinaryStream>;

// A byte stream over a file. Booleans are one byte; 16-bit integers are little-endian.
// Failures raise IOException with the system's error number; a nil file NilObjectException.
class BinaryStream {
public:
    // Creates the file and writes from its start. With replace, an existing file is replaced at
    // Close, all at once (the bytes go to a temporary file that is renamed into place).
    [[nodiscard]] static BinaryStreamPtr Create(const FolderItemPtr& file, bool replace);
    // Reads an existing file from its start.
    [[nodiscard]] static BinaryStreamPtr Open(const FolderItemPtr& file, bool readWrite = false);
    ~BinaryStream();

    void WriteBoolean(bool value);
    void WriteUInt16(std::uint16_t value);
    // Reading past the end raises IOException.
    [[nodiscard]] bool ReadBoolean();
    [[nodiscard]] std::int16_t ReadInt16();
    [[nodiscard]] std::int64_t Length() const;
    void Close();

    struct Impl;
    explicit BinaryStream(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> d;
};

}  // namespace fw
