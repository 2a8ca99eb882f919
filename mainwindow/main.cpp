#include "mainwindow/main.h"

#include <exception>
#include <iostream>
#include <utility>

#include "engine/framework/application.h"
#include "engine/framework/classregistry.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/termination.h"
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

fw::Ref<fw::GroupBox> Main::GroupBox1() const {
    return fw::controlNamed<fw::GroupBox>(*this, "GroupBox1");
}
fw::Ref<fw::Label> Main::StaticText1() const {
    return fw::controlNamed<fw::Label>(*this, "StaticText1");
}
fw::Ref<fw::TextField> Main::EFPSize() const {
    return fw::controlNamed<fw::TextField>(*this, "EFPSize");
}
fw::Ref<fw::Label> Main::StaticText3() const {
    return fw::controlNamed<fw::Label>(*this, "StaticText3");
}
fw::Ref<fw::PopupMenu> Main::PMPType() const {
    return fw::controlNamed<fw::PopupMenu>(*this, "PMPType");
}
fw::Ref<fw::TextField> Main::EFIWidth() const {
    return fw::controlNamed<fw::TextField>(*this, "EFIWidth");
}
fw::Ref<fw::PopupMenu> Main::PMIWidth() const {
    return fw::controlNamed<fw::PopupMenu>(*this, "PMIWidth");
}
fw::Ref<fw::Label> Main::StaticText4() const {
    return fw::controlNamed<fw::Label>(*this, "StaticText4");
}
fw::Ref<fw::TextField> Main::EFIHeight() const {
    return fw::controlNamed<fw::TextField>(*this, "EFIHeight");
}
fw::Ref<fw::PopupMenu> Main::PMIHeight() const {
    return fw::controlNamed<fw::PopupMenu>(*this, "PMIHeight");
}
fw::Ref<fw::Label> Main::StaticText6() const {
    return fw::controlNamed<fw::Label>(*this, "StaticText6");
}
fw::Ref<fw::TextField> Main::EFBWidth() const {
    return fw::controlNamed<fw::TextField>(*this, "EFBWidth");
}
fw::Ref<fw::Label> Main::StaticText7() const {
    return fw::controlNamed<fw::Label>(*this, "StaticText7");
}
fw::Ref<fw::TextField> Main::EFBHeight() const {
    return fw::controlNamed<fw::TextField>(*this, "EFBHeight");
}
fw::Ref<fw::RadioButton> Main::RBType(std::int64_t index) const {
    return fw::controlNamed<fw::RadioButton>(*this, "RBType", index);
}
fw::Ref<fw::GroupBox> Main::GroupBox2() const {
    return fw::controlNamed<fw::GroupBox>(*this, "GroupBox2");
}
fw::Ref<fw::CheckBox> Main::CBIncrease() const {
    return fw::controlNamed<fw::CheckBox>(*this, "CBIncrease");
}
fw::Ref<fw::Label> Main::STJPEGQuality() const {
    return fw::controlNamed<fw::Label>(*this, "STJPEGQuality");
}
fw::Ref<fw::PopupMenu> Main::PMQuality() const {
    return fw::controlNamed<fw::PopupMenu>(*this, "PMQuality");
}
fw::Ref<fw::Slider> Main::SLQuality() const {
    return fw::controlNamed<fw::Slider>(*this, "SLQuality");
}
fw::Ref<fw::Label> Main::STQuality() const {
    return fw::controlNamed<fw::Label>(*this, "STQuality");
}
fw::Ref<fw::CheckBox> Main::CBName() const {
    return fw::controlNamed<fw::CheckBox>(*this, "CBName");
}
fw::Ref<fw::CheckBox> Main::CBDos() const {
    return fw::controlNamed<fw::CheckBox>(*this, "CBDos");
}
fw::Ref<fw::Label> Main::StaticText51() const {
    return fw::controlNamed<fw::Label>(*this, "StaticText51");
}
fw::Ref<fw::PopupMenu> Main::PMExportFormat() const {
    return fw::controlNamed<fw::PopupMenu>(*this, "PMExportFormat");
}
fw::Ref<fw::Label> Main::StaticText2() const {
    return fw::controlNamed<fw::Label>(*this, "StaticText2");
}
fw::Ref<fw::Label> Main::STFolder() const {
    return fw::controlNamed<fw::Label>(*this, "STFolder");
}
fw::Ref<fw::PushButton> Main::PBSelect() const {
    return fw::controlNamed<fw::PushButton>(*this, "PBSelect");
}
fw::Ref<fw::PushButton> Main::PBGo() const {
    return fw::controlNamed<fw::PushButton>(*this, "PBGo");
}
fw::Ref<fw::ProgressBar> Main::PB() const {
    return fw::controlNamed<fw::ProgressBar>(*this, "PB");
}
fw::Ref<threadResize> Main::internalthread() const {
    return fw::controlNamed<threadResize>(*this, "internalthread");
}
fw::Ref<fw::Label> Main::STStatus() const {
    return fw::controlNamed<fw::Label>(*this, "STStatus");
}
fw::Ref<fw::DisclosureTriangle> Main::DTSettings() const {
    return fw::controlNamed<fw::DisclosureTriangle>(*this, "DTSettings");
}
fw::Ref<fw::Separator> Main::Separator1() const {
    return fw::controlNamed<fw::Separator>(*this, "Separator1");
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

// The window opens with the saved settings and from then on takes dropped files of every kind.
void Main::Event_Open() {
    loadpref();
    AcceptFileDrop("all");
}

void Main::Event_Close() {
    // A running batch is asked to stop and allowed to finish the picture it is writing. The window
    // still counts as open here, so the worker's stop check finds it.
    threadResize& worker = *internalthread();
    if (worker.isRunning()) {
        endthread = true;
        worker.wait();
    }
    // Its last messages are applied now, to this window, rather than after it has gone.
    worker.deliverPendingUpdates();
    // The settings are saved, but a file that cannot be written must not keep the program alive.
    try {
        savepref();
    } catch (const std::exception& e) {
        std::cerr << "Vimbel!: preferences not saved: " << e.what() << '\n';
    }
    fw::Quit(0);
}

void closeMainWindowOnTerminationRequests() {
    fw::setTerminationHandler([](int /*signal*/) {
        // Looked up, not built: a request that comes after the close has nothing left to close.
        if (const std::shared_ptr<::Main> window = the::openMain())
            window->Close();
        else
            fw::Quit(0);
    });
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

std::shared_ptr<::Main> openMain() {
    return std::dynamic_pointer_cast<::Main>(fw::Window::FindOpen("Main.Main"));
}

std::shared_ptr<::Main> Main() {
    if (auto open = openMain())
        return open;
    // Building a window is refused off the main thread by the framework itself.
    auto window = std::make_shared<::Main>();
    window->Constructor();
    return window;
}

}  // namespace the
