#include "mainwindow/main.h"

#include <utility>

#include "engine/framework/classregistry.h"
#include "engine/framework/exceptions.h"
#include "helpabout/credits.h"
#include "helpabout/whelp.h"

namespace {

// The node of that name anywhere in the window's menu bar, cast to its class; nil when the bar
// has none of that class.
template <typename T>
[[nodiscard]] std::shared_ptr<T> menuNode(const fw::Window& window, const char* name) {
    const std::shared_ptr<fw::MenuBar> bar = window.MenuBar();
    if (!bar)
        throw fw::NilObjectException("The window has no menu bar");
    return std::dynamic_pointer_cast<T>(bar->Lookup(name));
}

template <typename T>
void enableItem(const std::shared_ptr<T>& item) {
    if (!item)
        throw fw::NilObjectException("Menu item not found");
    item->Enable();
}

}  // namespace

Main::Main() = default;

Main::~Main() = default;

void Main::registerClasses() {
    fw::ClassRegistry::registerClass({"Main.Main",
                                      "Window",
                                      {},
                                      {"CreateControls", "Layout", "AddMenuHandlers", "Open",
                                       "Close", "DropObject", "EnableMenuItems"}});
    fw::ClassRegistry::registerClass({"Main.RBType", "RadioButton", {}, {}});
    fw::ClassRegistry::registerClass({"Main._wrapper_internalthread", "threadResize", {}, {}});
}

// The member's index is in place before anything else is set on it.
Main::RBType::RBType(std::int64_t index) {
    setIndex(index);
}

Main::_wrapper_internalthread::_wrapper_internalthread() {
    setStopCheck(windowStopCheck());
}

void Main::_wrapper_internalthread::SetWindow(const std::shared_ptr<fw::Window>& window) {
    ownerWindow = window;
}

std::shared_ptr<fw::Window> Main::_wrapper_internalthread::Window() const {
    return ownerWindow.lock();
}

template <typename T>
T* Main::control(const char* name) const {
    return dynamic_cast<T*>(ControlByName(name));
}

fw::GroupBox* Main::GroupBox1() const {
    return control<fw::GroupBox>("GroupBox1");
}
fw::Label* Main::StaticText1() const {
    return control<fw::Label>("StaticText1");
}
fw::TextField* Main::EFPSize() const {
    return control<fw::TextField>("EFPSize");
}
fw::Label* Main::StaticText3() const {
    return control<fw::Label>("StaticText3");
}
fw::PopupMenu* Main::PMPType() const {
    return control<fw::PopupMenu>("PMPType");
}
fw::TextField* Main::EFIWidth() const {
    return control<fw::TextField>("EFIWidth");
}
fw::PopupMenu* Main::PMIWidth() const {
    return control<fw::PopupMenu>("PMIWidth");
}
fw::Label* Main::StaticText4() const {
    return control<fw::Label>("StaticText4");
}
fw::TextField* Main::EFIHeight() const {
    return control<fw::TextField>("EFIHeight");
}
fw::PopupMenu* Main::PMIHeight() const {
    return control<fw::PopupMenu>("PMIHeight");
}
fw::Label* Main::StaticText6() const {
    return control<fw::Label>("StaticText6");
}
fw::TextField* Main::EFBWidth() const {
    return control<fw::TextField>("EFBWidth");
}
fw::Label* Main::StaticText7() const {
    return control<fw::Label>("StaticText7");
}
fw::TextField* Main::EFBHeight() const {
    return control<fw::TextField>("EFBHeight");
}
fw::RadioButton* Main::RBType(std::int64_t index) const {
    return dynamic_cast<fw::RadioButton*>(ControlByNameIndex("RBType", index));
}
fw::GroupBox* Main::GroupBox2() const {
    return control<fw::GroupBox>("GroupBox2");
}
fw::CheckBox* Main::CBIncrease() const {
    return control<fw::CheckBox>("CBIncrease");
}
fw::Label* Main::STJPEGQuality() const {
    return control<fw::Label>("STJPEGQuality");
}
fw::PopupMenu* Main::PMQuality() const {
    return control<fw::PopupMenu>("PMQuality");
}
fw::Slider* Main::SLQuality() const {
    return control<fw::Slider>("SLQuality");
}
fw::Label* Main::STQuality() const {
    return control<fw::Label>("STQuality");
}
fw::CheckBox* Main::CBName() const {
    return control<fw::CheckBox>("CBName");
}
fw::CheckBox* Main::CBDos() const {
    return control<fw::CheckBox>("CBDos");
}
fw::Label* Main::StaticText51() const {
    return control<fw::Label>("StaticText51");
}
fw::PopupMenu* Main::PMExportFormat() const {
    return control<fw::PopupMenu>("PMExportFormat");
}
fw::Label* Main::StaticText2() const {
    return control<fw::Label>("StaticText2");
}
fw::Label* Main::STFolder() const {
    return control<fw::Label>("STFolder");
}
fw::PushButton* Main::PBSelect() const {
    return control<fw::PushButton>("PBSelect");
}
fw::PushButton* Main::PBGo() const {
    return control<fw::PushButton>("PBGo");
}
fw::ProgressBar* Main::PB() const {
    return control<fw::ProgressBar>("PB");
}
threadResize* Main::internalthread() const {
    return control<threadResize>("internalthread");
}
fw::Label* Main::STStatus() const {
    return control<fw::Label>("STStatus");
}
fw::DisclosureTriangle* Main::DTSettings() const {
    return control<fw::DisclosureTriangle>("DTSettings");
}
fw::Separator* Main::Separator1() const {
    return control<fw::Separator>("Separator1");
}

std::shared_ptr<fw::MenuItem> Main::UntitledMenu0() const {
    return menuNode<fw::MenuItem>(*this, "UntitledMenu0");
}
std::shared_ptr<fw::AppleMenuItem> Main::AppleCredits() const {
    return menuNode<fw::AppleMenuItem>(*this, "AppleCredits");
}
std::shared_ptr<fw::MenuItem> Main::HelpHelp() const {
    return menuNode<fw::MenuItem>(*this, "HelpHelp");
}
std::shared_ptr<fw::MenuItem> Main::UntitledMenu1() const {
    return menuNode<fw::MenuItem>(*this, "UntitledMenu1");
}
std::shared_ptr<fw::MenuItem> Main::EditClear() const {
    return menuNode<fw::MenuItem>(*this, "EditClear");
}
std::shared_ptr<fw::MenuItem> Main::EditPaste() const {
    return menuNode<fw::MenuItem>(*this, "EditPaste");
}
std::shared_ptr<fw::MenuItem> Main::EditCopy() const {
    return menuNode<fw::MenuItem>(*this, "EditCopy");
}
std::shared_ptr<fw::MenuItem> Main::EditCut() const {
    return menuNode<fw::MenuItem>(*this, "EditCut");
}
std::shared_ptr<fw::MenuItem> Main::EditUndo() const {
    return menuNode<fw::MenuItem>(*this, "EditUndo");
}
std::shared_ptr<fw::MenuItem> Main::UntitledMenu3() const {
    return menuNode<fw::MenuItem>(*this, "UntitledMenu3");
}
std::shared_ptr<fw::QuitMenuItem> Main::FileQuit() const {
    return menuNode<fw::QuitMenuItem>(*this, "FileQuit");
}

// Handlers are bound by item name and reached through the window's virtual operations, so an
// override in a subclass is the one that runs.
void Main::AddMenuHandlers(fw::Window& window) {
    auto& main = dynamic_cast<::Main&>(window);
    window.AddMenuHandler("AppleCredits", [&main] { return main.AppleCredits_Action(); });
    window.AddMenuHandler("HelpHelp", [&main] { return main.HelpHelp_Action(); });
}

void Main::Event_EnableMenuItems() {
    enableItem(AppleCredits());
    enableItem(HelpHelp());
}

bool Main::HelpHelp_Action() {
    const std::shared_ptr<::WHelp> help = the::WHelp();
    if (!help)
        throw fw::NilObjectException("No help window");
    help->Show();
    return false;
}

bool Main::AppleCredits_Action() {
    const std::shared_ptr<::Credits> about = the::Credits();
    if (!about)
        throw fw::NilObjectException("No about box");
    about->Show();
    return false;
}

namespace the {

std::shared_ptr<::Main> Main() {
    if (auto open = std::dynamic_pointer_cast<::Main>(fw::Window::FindOpen("Main.Main")))
        return open;
    // Building a window is refused off the main thread by the framework itself.
    auto window = std::make_shared<::Main>();
    window->Constructor();
    return window;
}

}  // namespace the
