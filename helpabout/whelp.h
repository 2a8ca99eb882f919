#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/framework/controls.h"
#include "engine/framework/folderitem.h"
#include "engine/framework/lookup.h"
#include "engine/framework/window.h"

// The help window: the help pages of the data folder in an HTML viewer, an Index button and a
// jump-to list of the topic pages. Links that lead outside go to the desktop, never into the
// viewer.
class WHelp : public fw::Window {
public:
    WHelp();

    [[nodiscard]] std::string ClassName() const override { return "WHelp.WHelp"; }
    // Registers "WHelp.WHelp" with the events it handles; later calls do nothing.
    static void registerClass();

    // Set-up events.
    void Layout() override;
    void CreateControls() override;
    virtual void CreateControls0();

    // Control accessors: the control of that name, cast to its class; nil when there is none, and
    // using a nil one raises NilObjectException (fw::Ref).
    [[nodiscard]] virtual fw::Ref<fw::Label> StaticText1() const;
    [[nodiscard]] virtual fw::Ref<fw::PushButton> PBIndex() const;
    [[nodiscard]] virtual fw::Ref<fw::PopupMenu> PMJumpTo() const;
    [[nodiscard]] virtual fw::Ref<fw::HTMLViewer> hvMain() const;

    // Control handlers.
    virtual void PBIndex_Action(fw::PushButton& sender);
    virtual void PMJumpTo_Change(fw::PopupMenu& sender);
    virtual void hvMain_DocumentBegin(fw::HTMLViewer& sender, const std::string& url);
    // True keeps the viewer where it is: the address goes to the desktop instead.
    [[nodiscard]] virtual bool hvMain_CancelLoad(fw::HTMLViewer& sender, const std::string& url);

    void Event_Open() override;
    // Shows the page with that base name from the help folder.
    virtual void showfile(const std::string& name);
    // Fills the jump-to list and its page names.
    virtual void createfilemenu();

    [[nodiscard]] bool IsEventImplemented(const std::string& eventName) const override;

    // The help folder, set once when the window opens.
    fw::FolderItemPtr basef;
    // Page base names; element i belongs to row i of the jump-to list.
    std::vector<std::string> afile{std::string()};
};

namespace the {
// The open help window, or a new one built and opened.
std::shared_ptr<::WHelp> WHelp();
}  // namespace the
