#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/framework/controls.h"
#include "engine/framework/dragitem.h"
#include "engine/framework/folderitem.h"
#include "engine/framework/lookup.h"
#include "engine/framework/menuitem.h"
#include "engine/framework/window.h"
#include "engine/threadresize.h"

// The program's one settings window.
class Main : public fw::Window {
public:
    // The radio buttons of the control array RBType.
    class RBType : public fw::RadioButton {
    public:
        explicit RBType(std::int64_t index);
        [[nodiscard]] std::string ClassName() const override { return "Main.RBType"; }
    };

    // The window's worker object, kept in its list of controls. Its stop check is the window's
    // stop flag endthread.
    class _wrapper_internalthread : public threadResize, public fw::PaneChild {
    public:
        _wrapper_internalthread();
        void Constructor() {}
        [[nodiscard]] std::string ClassName() const override {
            return "Main._wrapper_internalthread";
        }

        void SetWindow(const std::shared_ptr<fw::Window>& window) override;
        [[nodiscard]] std::shared_ptr<fw::Window> Window() const override;
        [[nodiscard]] std::int64_t PaneIndex() const override { return Index; }
        void SetIndex(std::int64_t index) override { Index = index; }

        std::int64_t Index = 0;
        std::weak_ptr<fw::Window> ownerWindow;

    protected:
        // The progress handler: applies each message to the main window.
        void Event_UserInterfaceUpdate(const std::vector<fw::Dictionary>& data) override;

    private:
        // Reaches endthread through the open main window, never building one.
        [[nodiscard]] static StopCheck windowStopCheck();
    };

    Main();
    ~Main() override;

    [[nodiscard]] std::string ClassName() const override { return "Main.Main"; }
    // Registers "Main.Main", "Main.RBType" and "Main._wrapper_internalthread".
    static void registerClasses();

    // Set-up events.
    void Layout() override;
    void CreateControls() override;
    virtual void CreateControls0();
    virtual void CreateControls1();

    // Control accessors: the control registered under the name, cast to its class; nil when there
    // is none, and using a nil one raises NilObjectException (fw::Ref).
    [[nodiscard]] fw::Ref<fw::GroupBox> GroupBox1() const;
    [[nodiscard]] fw::Ref<fw::Label> StaticText1() const;
    [[nodiscard]] fw::Ref<fw::TextField> EFPSize() const;
    [[nodiscard]] fw::Ref<fw::Label> StaticText3() const;
    [[nodiscard]] fw::Ref<fw::PopupMenu> PMPType() const;
    [[nodiscard]] fw::Ref<fw::TextField> EFIWidth() const;
    [[nodiscard]] fw::Ref<fw::PopupMenu> PMIWidth() const;
    [[nodiscard]] fw::Ref<fw::Label> StaticText4() const;
    [[nodiscard]] fw::Ref<fw::TextField> EFIHeight() const;
    [[nodiscard]] fw::Ref<fw::PopupMenu> PMIHeight() const;
    [[nodiscard]] fw::Ref<fw::Label> StaticText6() const;
    [[nodiscard]] fw::Ref<fw::TextField> EFBWidth() const;
    [[nodiscard]] fw::Ref<fw::Label> StaticText7() const;
    [[nodiscard]] fw::Ref<fw::TextField> EFBHeight() const;
    [[nodiscard]] fw::Ref<fw::RadioButton> RBType(std::int64_t index) const;
    [[nodiscard]] fw::Ref<fw::GroupBox> GroupBox2() const;
    [[nodiscard]] fw::Ref<fw::CheckBox> CBIncrease() const;
    [[nodiscard]] fw::Ref<fw::Label> STJPEGQuality() const;
    [[nodiscard]] fw::Ref<fw::PopupMenu> PMQuality() const;
    [[nodiscard]] fw::Ref<fw::Slider> SLQuality() const;
    [[nodiscard]] fw::Ref<fw::Label> STQuality() const;
    [[nodiscard]] fw::Ref<fw::CheckBox> CBName() const;
    [[nodiscard]] fw::Ref<fw::CheckBox> CBDos() const;
    [[nodiscard]] fw::Ref<fw::Label> StaticText51() const;
    [[nodiscard]] fw::Ref<fw::PopupMenu> PMExportFormat() const;
    [[nodiscard]] fw::Ref<fw::Label> StaticText2() const;
    [[nodiscard]] fw::Ref<fw::Label> STFolder() const;
    [[nodiscard]] fw::Ref<fw::PushButton> PBSelect() const;
    [[nodiscard]] fw::Ref<fw::PushButton> PBGo() const;
    [[nodiscard]] fw::Ref<fw::ProgressBar> PB() const;
    [[nodiscard]] fw::Ref<threadResize> internalthread() const;
    [[nodiscard]] fw::Ref<fw::Label> STStatus() const;
    [[nodiscard]] fw::Ref<fw::DisclosureTriangle> DTSettings() const;
    [[nodiscard]] fw::Ref<fw::Separator> Separator1() const;

    // Settings rules.
    virtual void EFPSize_TextChange(fw::TextField& sender);
    virtual void EFIWidth_TextChange(fw::TextField& sender);
    virtual void EFIHeight_TextChange(fw::TextField& sender);
    virtual void EFBWidth_TextChange(fw::TextField& sender);
    virtual void EFBHeight_TextChange(fw::TextField& sender);
    virtual void RBType_Action(fw::RadioButton& sender);
    virtual void PMQuality_Change(fw::PopupMenu& sender);
    virtual void SLQuality_ValueChanged(fw::Slider& sender);
    virtual void CBName_Action(fw::CheckBox& sender);
    virtual void PMExportFormat_Change(fw::PopupMenu& sender);
    // Source folder choice.
    virtual void PBSelect_Action(fw::PushButton& sender);
    // Run control.
    virtual void PBGo_Action(fw::PushButton& sender);
    virtual void DTSettings_Action(fw::DisclosureTriangle& sender);

    // Menu-item accessors: the node of that name in the window's menu bar, nil when the bar has
    // none of that class; on a window without a menu bar they raise NilObjectException.
    [[nodiscard]] std::shared_ptr<fw::MenuItem> UntitledMenu0() const;
    [[nodiscard]] std::shared_ptr<fw::AppleMenuItem> AppleCredits() const;
    [[nodiscard]] std::shared_ptr<fw::MenuItem> HelpHelp() const;
    [[nodiscard]] std::shared_ptr<fw::MenuItem> UntitledMenu1() const;
    [[nodiscard]] std::shared_ptr<fw::MenuItem> EditClear() const;
    [[nodiscard]] std::shared_ptr<fw::MenuItem> EditPaste() const;
    [[nodiscard]] std::shared_ptr<fw::MenuItem> EditCopy() const;
    [[nodiscard]] std::shared_ptr<fw::MenuItem> EditCut() const;
    [[nodiscard]] std::shared_ptr<fw::MenuItem> EditUndo() const;
    [[nodiscard]] std::shared_ptr<fw::MenuItem> UntitledMenu3() const;
    [[nodiscard]] std::shared_ptr<fw::QuitMenuItem> FileQuit() const;

    void AddMenuHandlers(fw::Window& window) override;
    void Event_Close() override;
    void Event_DropObject(fw::DragItem& item, std::int64_t action) override;
    void Event_EnableMenuItems() override;
    void Event_Open() override;
    virtual bool AppleCredits_Action();
    virtual bool HelpHelp_Action();

    virtual void enablego();
    virtual void checkcontrol();
    virtual void savepref();
    virtual void checksettingsdisclosure();
    virtual void loadpref();

    // The source folder of the next batch; nil until the first choice.
    fw::FolderItemPtr f;
    // The stop request of the running batch.
    std::atomic<bool> endthread{false};
};

// The resizing rule the radio buttons select, as every rule of the window reads it: RBType member
// 0, else member 1, else box (member 2 is not read).
[[nodiscard]] ResizeRule selectedRule(const Main& window);

// The rows of the quality pop-up PMQuality: four presets of the slider, then "Custom". (The rows of
// the other pop-ups are the worker settings they give: ProportionalMode, SizeUnit, PictureType.)
namespace qualityrow {
inline constexpr std::int64_t excellent = 0;  // 90
inline constexpr std::int64_t good = 1;       // 80
inline constexpr std::int64_t decent = 2;     // 60
inline constexpr std::int64_t low = 3;        // 40
inline constexpr std::int64_t custom = 4;
}  // namespace qualityrow

// From now on the requests to end the program that come as signals (the session's SIGTERM at
// logout, SIGINT from Ctrl+C, SIGHUP from a closed terminal) close the main window as its close
// button does: the batch stops after the picture it is making, the settings are saved and the
// program quits with code 0. With no main window open the program just quits.
void closeMainWindowOnTerminationRequests();

namespace the {
// The open main window, or a new one built and opened. Looking up the open window is safe on any
// thread; building one is not.
std::shared_ptr<::Main> Main();
// The open main window, never building one: messages, stop checks or termination requests that
// arrive after the window has closed have nothing left to act on. Callers keep the one result for
// all they do, since the window may close in between.
[[nodiscard]] std::shared_ptr<::Main> openMain();
}  // namespace the
