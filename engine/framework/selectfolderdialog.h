#pragma once

#include <functional>

#include "engine/framework/folderitem.h"

namespace fw {

class SelectFolderDialog {
public:
    // The chosen folder, or nil when the user cancels.
    [[nodiscard]] FolderItemPtr ShowModal();

    // Seam for tests: answers ShowModal in place of a real dialog. Empty restores the dialog.
    static void setTestResponder(std::function<FolderItemPtr()> responder);
};

}  // namespace fw
