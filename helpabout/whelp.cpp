#include "helpabout/whelp.h"

#include <mutex>
#include <vector>

#include "engine/framework/classregistry.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/propertyblock.h"
#include "engine/framework/system.h"
#include "engine/framework/text.h"
#include "helpabout/blockvalues.h"
#include "helpabout/windowblock.h"
#include "strings/loc.h"

using namespace helpabout::block;

namespace {

const char* const className = "WHelp.WHelp";

// The entries every control of the window shares, with its place, size, locks and tab index.
[[nodiscard]] std::vector<fw::BlockEntry> controlBlock(std::int64_t left, std::int64_t top,
                                                       std::int64_t width, std::int64_t height,
                                                       bool locked, std::int64_t tabIndex) {
    return {
        {"Index", Int(noIndex)},
        {"Left", Int(left)},
        {"Top", Int(top)},
        {"Width", Int(width)},
        {"Height", Int(height)},
        {"LockLeft", Bool(locked)},
        {"LockTop", Bool(locked)},
        {"LockRight", Bool(locked)},
        {"LockBottom", Bool(locked)},
        {"InitialParent", Text("")},
        {"TabIndex", Int(tabIndex)},
        {"TabPanelIndex", Int(0)},
        {"TabStop", Bool(true)},
        {"Visible", Bool(true)},
        {"Enabled", Bool(true)},
        {"AllowAutoDeactivate", Bool(true)},
        {"Tooltip", Text("")},
    };
}

// The window's font for the three controls above the viewer.
void appendSystemFont(std::vector<fw::BlockEntry>& entries) {
    entries.insert(entries.end(), {
                                      {"FontName", Text("System")},
                                      {"FontSize", Size(12)},
                                      {"FontUnit", Unit(0)},
                                      {"Bold", Bool(false)},
                                      {"Italic", Bool(false)},
                                      {"Underline", Bool(false)},
                                  });
}

[[nodiscard]] std::vector<fw::BlockEntry> labelBlock() {
    auto entries = controlBlock(127, 13, 61, 20, false, 1);
    entries.insert(entries.end(), {
                                      {"Value", Text("Jump to:")},
                                      {"Multiline", Bool(false)},
                                      {"Selectable", Bool(false)},
                                      {"TextAlignment", Int(0)},
                                      {"TextColor", Colour(black)},
                                      {"Transparent", Bool(true)},
                                  });
    appendSystemFont(entries);
    entries.insert(entries.end(), {{"DataSource", Text("")}, {"DataField", Text("")}});
    return entries;
}

[[nodiscard]] std::vector<fw::BlockEntry> indexButtonBlock() {
    auto entries = controlBlock(20, 14, 95, 20, false, 2);
    entries.insert(entries.end(), {
                                      {"Default", Bool(false)},
                                      {"Cancel", Bool(false)},
                                      {"MacButtonStyle", Int(0)},
                                  });
    appendSystemFont(entries);
    return entries;
}

[[nodiscard]] std::vector<fw::BlockEntry> jumpToBlock() {
    auto entries = controlBlock(200, 14, 204, 20, false, 3);
    entries.push_back({"SelectedRowIndex", Int(0)});
    appendSystemFont(entries);
    entries.insert(entries.end(), {{"DataSource", Text("")}, {"DataField", Text("")}});
    return entries;
}

[[nodiscard]] std::vector<fw::BlockEntry> viewerBlock() {
    auto entries = controlBlock(20, 46, 595, 450, true, 0);
    entries.push_back({"Renderer", Int(0)});
    return entries;
}

// Whether the address begins with the prefix, compared as whole texts of the prefix's length.
[[nodiscard]] bool startsWith(const std::string& url, const std::string& prefix) {
    return fw::Left(url, fw::Len(prefix)) == prefix;
}

}  // namespace

WHelp::WHelp() {
    registerClass();
}

void WHelp::registerClass() {
    static std::once_flag once;
    std::call_once(once, [] {
        fw::ClassRegistry::registerClass(
            {className, "Window", {}, {"Layout", "CreateControls", "Open"}});
    });
}

bool WHelp::IsEventImplemented(const std::string& eventName) const {
    return fw::ClassRegistry::isEventImplemented(className, eventName);
}

void WHelp::Layout() {
    setTitle(loc::helptitle(""));
    fw::PropertyBlock::apply(*this, className,
                             windowBlock(635, 516, /*type=*/0, /*composite=*/true));
}

void WHelp::CreateControls() {
    CreateControls0();
}

void WHelp::CreateControls0() {
    AddControl(std::make_shared<fw::Label>(), "StaticText1");
    fw::PropertyBlock::apply(*StaticText1(), "Label", labelBlock());

    AddControl(std::make_shared<fw::PushButton>(), "PBIndex");
    PBIndex()->setCaption(loc::helpindex(""));
    fw::PropertyBlock::apply(*PBIndex(), "PushButton", indexButtonBlock());
    PBIndex()->Action.addHandler([this](fw::PushButton& sender) { PBIndex_Action(sender); });

    AddControl(std::make_shared<fw::PopupMenu>(), "PMJumpTo");
    fw::PropertyBlock::apply(*PMJumpTo(), "PopupMenu", jumpToBlock());
    PMJumpTo()->Change.addHandler([this](fw::PopupMenu& sender) { PMJumpTo_Change(sender); });

    AddControl(std::make_shared<fw::HTMLViewer>(), "hvMain");
    fw::PropertyBlock::apply(*hvMain(), "HTMLViewer", viewerBlock());
    // The viewer's own Edit handlers serve these items while this window is the active one.
    for (const char* item : {"EditClear", "EditCopy", "EditCut", "EditPaste", "EditSelectAll"})
        AddMenuHandler(item, *hvMain());
    hvMain()->DocumentBegin.addHandler([this](fw::HTMLViewer& sender, const std::string& url) {
        hvMain_DocumentBegin(sender, url);
    });
    hvMain()->CancelLoad.addHandler([this](fw::HTMLViewer& sender, const std::string& url) {
        return hvMain_CancelLoad(sender, url);
    });
}

template <typename T>
T* WHelp::control(const char* name) const {
    auto* found = dynamic_cast<T*>(ControlByName(name));
    if (found == nullptr)
        throw fw::NilObjectException(std::string("No control named ") + name);
    return found;
}

fw::Label* WHelp::StaticText1() const {
    return control<fw::Label>("StaticText1");
}
fw::PushButton* WHelp::PBIndex() const {
    return control<fw::PushButton>("PBIndex");
}
fw::PopupMenu* WHelp::PMJumpTo() const {
    return control<fw::PopupMenu>("PMJumpTo");
}
fw::HTMLViewer* WHelp::hvMain() const {
    return control<fw::HTMLViewer>("hvMain");
}

void WHelp::Event_Open() {
    const fw::FolderItemPtr base = fw::GetFolderItem("", 0);
    if (!base)
        throw fw::NilObjectException();
    const fw::FolderItemPtr data = base->Child("data", true);
    basef = data->Child("help" + loc::lang(""), true);
    createfilemenu();
    showfile("index");
}

void WHelp::showfile(const std::string& name) {
    fw::HTMLViewer* viewer = hvMain();
    if (!basef)
        throw fw::NilObjectException();
    viewer->LoadPage(basef->Child(name + ".html", true));
}

void WHelp::createfilemenu() {
    fw::PopupMenu* list = PMJumpTo();
    list->DeleteAllRows();
    afile.assign(1, std::string());
    list->AddRow(loc::helphistoric(""));
    afile[0] = "historic";
    list->AddRow(loc::helpresizesettings(""));
    afile.push_back("resizing");
    list->AddRow(loc::helpexportsettings(""));
    afile.push_back("exportation");
    list->AddRow(loc::helpfaq(""));
    afile.push_back("faq");
}

void WHelp::PBIndex_Action(fw::PushButton& /*sender*/) {
    showfile("index");
}

void WHelp::PMJumpTo_Change(fw::PopupMenu& sender) {
    const std::int64_t row = sender.ListIndex();
    if (row >= 0 && row <= static_cast<std::int64_t>(afile.size()) - 1)
        showfile(afile[static_cast<std::size_t>(row)]);
}

void WHelp::hvMain_DocumentBegin(fw::HTMLViewer& /*sender*/, const std::string& /*url*/) {
    // The list is a menu of commands, not a sign of the page shown.
    PMJumpTo()->setListIndex(-1);
}

bool WHelp::hvMain_CancelLoad(fw::HTMLViewer& /*sender*/, const std::string& url) {
    const bool outside =
        startsWith(url, "http://") || startsWith(url, "https://") || startsWith(url, "mailto:");
    if (!outside)
        return false;
    fw::ShowURL(url);
    return true;
}

namespace the {

std::shared_ptr<::WHelp> WHelp() {
    if (auto open = std::dynamic_pointer_cast<::WHelp>(fw::Window::FindOpen("WHelp.WHelp")))
        return open;
    auto window = std::make_shared<::WHelp>();
    window->Constructor();
    return window;
}

}  // namespace the
