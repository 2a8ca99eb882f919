#include "helpabout/credits.h"

#include <mutex>
#include <vector>

#include "engine/framework/classregistry.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/layoutblocks.h"
#include "engine/framework/propertyblock.h"
#include "engine/framework/system.h"
#include "strings/loc.h"

using namespace fw::layout;

namespace {

const char* const className = "Credits.Credits";

// One label of the box. The first three lines carry their fixed text in the block; the
// translation lines get theirs from the string table before it.
struct LabelLine {
    const char* name;
    std::int64_t left, top, width, height;
    bool lockedLeftTop;
    std::int64_t tabIndex;
    bool multiline;
    std::int64_t alignment;  // 2: centred
    const char* fixedText;   // nullptr: the caption comes from the string table
    std::string (*caption)(const std::string& lang);
    const char* fontName;
    float fontSize;  // 0: the platform's standard size
    bool (Credits::*mouseDown)(fw::Label&, std::int64_t, std::int64_t);
};

[[nodiscard]] Block labelBlock(const LabelLine& line) {
    Block b = controlEntries({"", line.left, line.top, line.width, line.height, line.tabIndex},
                             {.lockLeft = line.lockedLeftTop, .lockTop = line.lockedLeftTop});
    append(b, labelEntries(line.fixedText, line.multiline, line.alignment, false, line.fontName,
                           line.fontSize));
    return b;
}

const std::string nameLine = "Vimbel! 1.7\r\n\r\nArdemol";
const std::string webLine = std::string("www.") + Credits::webHost;

}  // namespace

Credits::Credits() {
    registerClass();
}

void Credits::registerClass() {
    static std::once_flag once;
    std::call_once(once, [] {
        fw::ClassRegistry::registerClass(
            {className, "Window", {}, {"Layout", "CreateControls", "MouseDown"}});
    });
}

std::string Credits::mailLink() {
    return std::string("mailto:") + emailAddress;
}
std::string Credits::webLink() {
    return std::string("http://") + webHost;
}

bool Credits::IsEventImplemented(const std::string& eventName) const {
    return fw::ClassRegistry::isEventImplemented(className, eventName);
}

void Credits::Layout() {
    setTitle(loc::aboutvimbel(""));
    fw::PropertyBlock::apply(*this, className,
                             windowBlock({.width = 191, .height = 203, .type = 2}));
}

void Credits::CreateControls() {
    CreateControls0();
}

void Credits::CreateControls0() {
    const LabelLine lines[] = {
        {"StaticText2", 4, 13, 183, 51, false, 0, true, 2, nameLine.c_str(), nullptr, "System", 0,
         nullptr},
        {"stemail1", 4, 69, 183, 14, false, 5, true, 2, emailAddress, nullptr, "System", 0,
         &Credits::stemail1_MouseDown},
        {"StaticText5", 4, 84, 183, 23, false, 6, true, 2, webLine.c_str(), nullptr, "System", 0,
         &Credits::StaticText5_MouseDown},
        {"Label1", 12, 144, 151, 20, true, 7, false, 0, nullptr, loc::credittranslation, "Arial",
         12, nullptr},
        {"Label2", 12, 159, 151, 20, true, 8, false, 0, nullptr, loc::creditgerman, "Arial", 12,
         nullptr},
        {"Label3", 12, 174, 167, 20, true, 9, false, 0, nullptr, loc::creditspanish, "Arial", 12,
         nullptr},
    };
    for (const LabelLine& line : lines) {
        AddControl(std::make_shared<fw::Label>(), line.name);
        fw::Label& label = *fw::controlNamed<fw::Label>(*this, line.name);
        if (line.caption != nullptr)
            label.setCaption(line.caption(""));
        fw::PropertyBlock::apply(label, "Label", labelBlock(line));
        if (line.mouseDown != nullptr) {
            // Through the member pointer, so that a subclass's override is the one called.
            const auto handler = line.mouseDown;
            label.MouseDown.addHandler(
                [this, handler](fw::Label& sender, std::int64_t x, std::int64_t y) {
                    return (this->*handler)(sender, x, y);
                });
        }
    }
}

fw::Ref<fw::Label> Credits::StaticText2() const {
    return fw::controlNamed<fw::Label>(*this, "StaticText2");
}
fw::Ref<fw::Label> Credits::stemail1() const {
    return fw::controlNamed<fw::Label>(*this, "stemail1");
}
fw::Ref<fw::Label> Credits::StaticText5() const {
    return fw::controlNamed<fw::Label>(*this, "StaticText5");
}
fw::Ref<fw::Label> Credits::Label1() const {
    return fw::controlNamed<fw::Label>(*this, "Label1");
}
fw::Ref<fw::Label> Credits::Label2() const {
    return fw::controlNamed<fw::Label>(*this, "Label2");
}
fw::Ref<fw::Label> Credits::Label3() const {
    return fw::controlNamed<fw::Label>(*this, "Label3");
}

bool Credits::stemail1_MouseDown(fw::Label& /*sender*/, std::int64_t /*x*/, std::int64_t /*y*/) {
    fw::ShowURL(mailLink());
    return true;
}

bool Credits::StaticText5_MouseDown(fw::Label& /*sender*/, std::int64_t /*x*/, std::int64_t /*y*/) {
    fw::ShowURL(webLink());
    return true;
}

bool Credits::Event_MouseDown(std::int64_t /*x*/, std::int64_t /*y*/) {
    Close();
    return false;
}

namespace the {

std::shared_ptr<::Credits> Credits() {
    if (auto open = std::dynamic_pointer_cast<::Credits>(fw::Window::FindOpen("Credits.Credits")))
        return open;
    auto box = std::make_shared<::Credits>();
    box->Constructor();
    return box;
}

}  // namespace the
