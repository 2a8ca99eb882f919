#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/framework/classregistry.h"
#include "engine/framework/color.h"
#include "engine/framework/control.h"
#include "engine/framework/propertyblock.h"

// The vocabulary the program's windows write their layout property blocks in: typed values,
// the colours and the "no index" of the blocks, and the groups of entries that every window block
// and every control block holds. What is particular to one window stays in that window's file.
namespace fw::layout {

using Block = std::vector<BlockEntry>;

// A block value must carry exactly its property's declared type, and a bare literal could pick
// another alternative of the variant (a C string would become a Boolean): values are spelled
// through these.
[[nodiscard]] inline PropertyValue Int(std::int64_t v) {
    return v;
}
[[nodiscard]] inline PropertyValue Bool(bool v) {
    return v;
}
[[nodiscard]] inline PropertyValue Text(const char* v) {
    return std::string(v);
}
[[nodiscard]] inline PropertyValue Size(float points) {
    return points;
}
[[nodiscard]] inline PropertyValue Unit(std::uint8_t v) {
    return FontUnitValue{v};
}
[[nodiscard]] inline PropertyValue Colour(Color c) {
    return c;
}

inline constexpr Color black = RGB(0, 0, 0);
inline constexpr Color white = RGB(255, 255, 255);
// The Index of a control that is not a member of a control array.
inline constexpr std::int64_t noIndex = Control::NoIndex;

inline void append(Block& block, const Block& more) {
    block.insert(block.end(), more.begin(), more.end());
}

// The frame of a window: what differs between the program's window blocks.
struct WindowFrame {
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t maximumWidth = 32000;
    std::int64_t maximumHeight = 32000;
    std::int64_t type = 0;        // the window kind
    const char* title = nullptr;  // nullptr: the window sets its title itself, not in the block
    bool hasMaximizeButton = true;
    bool hasMinimizeButton = true;
    bool resizeable = true;
    bool composite = false;
};

// A window block: the frame, then the entries every window of the program sets alike (minimum
// size 64 x 64, a close button, no full screen, default placement, no background colour of its
// own, the menu bar shown).
[[nodiscard]] inline Block windowBlock(const WindowFrame& f) {
    Block b{{"Width", Int(f.width)},
            {"Height", Int(f.height)},
            {"MinimumWidth", Int(64)},
            {"MinimumHeight", Int(64)},
            {"MaximumWidth", Int(f.maximumWidth)},
            {"MaximumHeight", Int(f.maximumHeight)},
            {"Type", Int(f.type)}};
    if (f.title != nullptr)
        b.push_back({"Title", Text(f.title)});
    append(b, {{"HasCloseButton", Bool(true)},
               {"HasMaximizeButton", Bool(f.hasMaximizeButton)},
               {"HasMinimizeButton", Bool(f.hasMinimizeButton)},
               {"HasFullScreenButton", Bool(false)},
               {"Resizeable", Bool(f.resizeable)},
               {"Composite", Bool(f.composite)},
               {"MacProcID", Int(0)},
               {"FullScreen", Bool(false)},
               {"DefaultLocation", Int(0)},
               {"Visible", Bool(true)},
               {"HasBackgroundColor", Bool(false)},
               {"BackgroundColor", Colour(white)},
               {"MenuBarVisible", Bool(true)},
               {"LiveResize", Bool(false)}});
    return b;
}

// Where a control sits: its container ("" for the window, else a group box's name), its geometry
// in content coordinates and its tab position within the container.
struct ControlPlace {
    const char* parent = "";
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::int64_t tab = 0;
};

// How a control takes part in its window, where it differs from the usual.
struct ControlTraits {
    bool enabled = true;
    std::int64_t index = noIndex;
    bool lockLeft = false;
    bool lockTop = false;
    bool lockRight = false;
    bool lockBottom = false;
    bool tabStop = true;  // false: the block carries no TabStop entry
};

// The entries every control block holds: visible, no tooltip, no tab panel.
[[nodiscard]] inline Block controlEntries(const ControlPlace& p, const ControlTraits& t = {}) {
    Block b{{"Index", Int(t.index)},
            {"Left", Int(p.left)},
            {"Top", Int(p.top)},
            {"Width", Int(p.width)},
            {"Height", Int(p.height)},
            {"LockLeft", Bool(t.lockLeft)},
            {"LockTop", Bool(t.lockTop)},
            {"LockRight", Bool(t.lockRight)},
            {"LockBottom", Bool(t.lockBottom)},
            {"TabIndex", Int(p.tab)},
            {"TabPanelIndex", Int(0)},
            {"InitialParent", Text(p.parent)},
            {"Visible", Bool(true)},
            {"Enabled", Bool(t.enabled)},
            {"Tooltip", Text("")},
            {"AllowAutoDeactivate", Bool(true)}};
    if (t.tabStop)
        b.push_back({"TabStop", Bool(true)});
    return b;
}

// The font of a control that carries text, plain unless italic. Size 0 is the platform's standard
// size; "System" is the platform's standard face.
[[nodiscard]] inline Block fontEntries(const char* name, float size, bool italic = false) {
    return {{"FontName", Text(name)}, {"FontUnit", Unit(0)},    {"FontSize", Size(size)},
            {"Bold", Bool(false)},    {"Italic", Bool(italic)}, {"Underline", Bool(false)}};
}

// No data binding.
[[nodiscard]] inline Block dataBindingEntries() {
    return {{"DataSource", Text("")}, {"DataField", Text("")}};
}

// What a label block holds after its control entries: the text when the block carries it
// (nullptr: none), how it wraps and aligns (2: centred), black text, the font, no data binding.
[[nodiscard]] inline Block labelEntries(const char* value, bool multiline, std::int64_t alignment,
                                        bool transparent, const char* fontName, float fontSize) {
    Block b;
    if (value != nullptr)
        b.push_back({"Value", Text(value)});
    append(b, {{"Multiline", Bool(multiline)},
               {"Selectable", Bool(false)},
               {"TextAlignment", Int(alignment)},
               {"TextColor", Colour(black)},
               {"Transparent", Bool(transparent)}});
    append(b, fontEntries(fontName, fontSize));
    append(b, dataBindingEntries());
    return b;
}

}  // namespace fw::layout
