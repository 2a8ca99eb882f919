// Choosing the source folder: the Select button's dialog, a drop on the window, and an item handed
// over by the operating system.
#include <memory>

#include "engine/framework/dragitem.h"
#include "engine/framework/folderitem.h"
#include "engine/framework/selectfolderdialog.h"
#include "engine/framework/system.h"
#include "mainwindow/app.h"
#include "mainwindow/main.h"

namespace {

// The chosen folder becomes the next batch's source: the label names it, the bar starts over.
void takeFolder(Main& window, const fw::FolderItemPtr& folder) {
    window.f = folder;
    window.STFolder()->setCaption(window.f->Name());
    window.PB()->setValue(0);
}

}  // namespace

void Main::PBSelect_Action(fw::PushButton& /*sender*/) {
    fw::SelectFolderDialog dialog;
    if (const fw::FolderItemPtr chosen = dialog.ShowModal())
        takeFolder(*this, chosen);
    enablego();
}

void Main::Event_DropObject(fw::DragItem& item, std::int64_t /*action*/) {
    // Only the first item of a drop counts.
    if (!item.FolderItemAvailable()) {
        fw::Beep();
    } else {
        const fw::FolderItemPtr dropped = item.FolderItem();
        const fw::FolderItemPtr folder = dropped->Directory() ? dropped : dropped->Parent();
        if (folder)
            takeFolder(*this, folder);
    }
    enablego();
}

void App::Event_OpenDocument(const fw::FolderItemPtr& item) {
    const std::shared_ptr<Main> window = the::Main();
    // While a batch runs (Select disabled) a folder counts by its parent, like a file.
    fw::FolderItemPtr folder;
    if (item)
        folder = item->Directory() && window->PBSelect()->Enabled() ? item : item->Parent();
    // A filesystem root handed over during a batch has no parent: keep the current folder.
    if (folder)
        takeFolder(*window, folder);
    window->enablego();
}
