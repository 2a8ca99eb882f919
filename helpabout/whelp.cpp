#include "helpabout/whelp.h"

#include <mutex>
#include <vector>

#include "engine/framework/classregistry.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/layoutblocks.h"
#include "engine/framework/propertyblock.h"
#include "engine/framework/system.h"
#include "engine/framework/text.h"
#include "strings/loc.h"

using namespace fw::layout;

namespace {

const char* const className = "WHelp.WHelp";

// The three controls above the viewer are fixed in place; the viewer follows all four edges.
[[nodiscard]] Block controlBlock(const ControlPlace& place, bool locked) {
    return controlEntries(
        place, {.lockLeft = locked, .lockTop = locked, .lockRight = locked, .lockBottom = locked});
}

[[nodiscard]] Block labelBlock() {
    Block b = controlBlock({"", 127, 13, 61, 20, 1}, false);
    append(b, labelEntries("Jump to:", false, 0, true, "System", 12));
    return b;
}

[[nodiscard]] Block indexButtonBlock() {
    Block b = controlBlock({"", 20, 14, 95, 20, 2}, false);
    append(b, {
                  {"Default", Bool(false)},
                  {"Cancel", Bool(false)},
                  {"MacButtonStyle", Int(0)},
              });
    append(b, fontEntries("System", 12));
    return b;
}

[[nodiscard]] Block jumpToBlock() {
    Block b = controlBlock({"", 200, 14, 204, 20, 3}, false);
    b.push_back({"SelectedRowIndex", Int(0)});
    append(b, fontEntries("System", 12));
    append(b, dataBindingEntries());
    return b;
}

[[nodiscard]] Block viewerBlock() {
    Block b = controlBlock({"", 20, 46, 595, 450, 0}, true);
    b.push_back({"Renderer", Int(0)});
    return b;
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
                             windowBlock({.width = 635, .height = 516, .composite = true}));
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

fw::Ref<fw::Label> WHelp::StaticText1() const {
    return fw::controlNamed<fw::Label>(*this, "StaticText1");
}
fw::Ref<fw::PushButton> WHelp::PBIndex() const {
    return fw::controlNamed<fw::PushButton>(*this, "PBIndex");
}
fw::Ref<fw::PopupMenu> WHelp::PMJumpTo() const {
    return fw::controlNamed<fw::PopupMenu>(*this, "PMJumpTo");
}
fw::Ref<fw::HTMLViewer> WHelp::hvMain() const {
    return fw::controlNamed<fw::HTMLViewer>(*this, "hvMain");
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
    const fw::Ref<fw::HTMLViewer> viewer = hvMain();
    if (!basef)
        throw fw::NilObjectException();
    viewer->LoadPage(basef->Child(name + ".html", true));
}

void WHelp::createfilemenu() {
    const fw::Ref<fw::PopupMenu> list = PMJumpTo();
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
