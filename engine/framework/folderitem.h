#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace fw {

class FolderItem;
using FolderItemPtr = std::shared_ptr<FolderItem>;

// A reference to a file or folder, which need not exist. Safe to use from any thread.
class FolderItem {
public:
    // A reference to the item at an absolute local path (bytes as the file system has them).
    [[nodiscard]] static FolderItemPtr fromNativePath(const std::string& path);
    ~FolderItem();

    // The item of that name inside this folder, also when it does not exist yet. A name that would
    // leave the folder ("", ".", "..", or one holding "/" or NUL) raises RuntimeException.
    [[nodiscard]] FolderItemPtr Child(const std::string& name, bool followAlias = true) const;
    // The entry at a 0-based index in the folder's listing (sorted by name); nil when out of range.
    // Like Count, raises IOException for a folder that exists but cannot be listed.
    [[nodiscard]] FolderItemPtr ChildAt(std::int64_t index, bool followAlias = true) const;
    // Entries of the folder, files and folders alike; 0 for a file or a missing folder. A folder
    // that exists but cannot be listed (no read permission, no descriptor left) raises IOException
    // with the error number and the folder's name, never passing for an empty folder.
    [[nodiscard]] std::int64_t Count() const;
    // The item's own name, extension included, as valid UTF-8.
    [[nodiscard]] std::string Name() const;
    // Nil for the root of the file system.
    [[nodiscard]] FolderItemPtr Parent() const;
    [[nodiscard]] bool Exists() const;
    [[nodiscard]] bool Directory() const;
    // True when an existing item cannot be replaced, or when nothing is there and the parent
    // folder cannot be written.
    [[nodiscard]] bool Locked() const;
    // Moves the item to the user's trash; when the trash cannot take it, nothing is deleted.
    void Delete();
    // Creates a folder at this place; does nothing when one is already there. LastErrorCode tells
    // whether the folder is there afterwards.
    void CreateAsFolder();
    // The error number of this reference's last CreateAsFolder: 0 when the folder is there, else
    // the system's reason it is not (ENOENT, EACCES, EEXIST for a file in the way, ...).
    [[nodiscard]] int LastErrorCode() const;

    [[nodiscard]] const std::string& NativePath() const;
    // True when both refer to the same place (after resolving links where the item exists).
    [[nodiscard]] bool samePlaceAs(const FolderItem& other) const;

    struct Impl;
    explicit FolderItem(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> d;
};

}  // namespace fw
