#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/framework/folderitem.h"

namespace fw {

// The items of one drop. Starts at the first item; NextItem moves on.
class DragItem {
public:
    struct Entry {
        FolderItemPtr file;  // nil when the item carries no local file
        std::string text;
    };
    explicit DragItem(std::vector<Entry> entries) : m_entries(std::move(entries)) {}

    [[nodiscard]] bool FolderItemAvailable() const {
        return m_pos < m_entries.size() && m_entries[m_pos].file != nullptr;
    }
    [[nodiscard]] FolderItemPtr FolderItem() const {
        return m_pos < m_entries.size() ? m_entries[m_pos].file : nullptr;
    }
    [[nodiscard]] std::string Text() const {
        return m_pos < m_entries.size() ? m_entries[m_pos].text : std::string();
    }
    bool NextItem() {
        if (m_pos + 1 >= m_entries.size())
            return false;
        ++m_pos;
        return true;
    }

private:
    std::vector<Entry> m_entries;
    std::size_t m_pos = 0;
};

}  // namespace fw
