// The main window's layout: the window block and its 36 objects, each made by the same fixed
// sequence from a declarative table.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/framework/color.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/layoutblocks.h"
#include "engine/framework/propertyblock.h"
#include "mainwindow/main.h"
#include "mainwindow/menu.h"
#include "strings/loc.h"

namespace {

using namespace fw::layout;
using LocText = std::string (*)(const std::string& lang);

// ---- Class-common entries -------------------------------------------------------------------

using Place = ControlPlace;

// The per-control values that differ from the common ones. Every control of this window also
// carries a Transparent entry.
struct Traits {
    bool enabled = true;
    std::int64_t index = noIndex;
    bool lockTop = false;
    bool lockLeft = false;
    bool transparent = true;
    bool tabStop = true;  // false: the block carries no tab-stop entry
};

Block commonEntries(const Place& p, const Traits& t) {
    Block b = fw::layout::controlEntries(p, {.enabled = t.enabled,
                                             .index = t.index,
                                             .lockLeft = t.lockLeft,
                                             .lockTop = t.lockTop,
                                             .tabStop = t.tabStop});
    b.push_back({"Transparent", t.transparent});
    return b;
}

// Controls that carry text. Size 0 is the platform's standard size.
Block systemFont(float size, bool italic = false) {
    return fw::layout::fontEntries("System", size, italic);
}

Block groupBox(const Place& p, const Traits& t = {}) {
    Block b = commonEntries(p, t);
    append(b, systemFont(12));
    return b;
}

struct LabelText {
    std::int64_t alignment = 0;  // 0 default, 2 centre, 3 right
    bool italic = false;
    const char* value = nullptr;  // the block's text; nullptr when it comes from the string table
};

Block label(const Place& p, const Traits& t = {}, const LabelText& text = {}) {
    Block b = commonEntries(p, t);
    append(b, systemFont(12, text.italic));
    append(b, {{"Multiline", false},
               {"Selectable", false},
               {"TextColor", black},
               {"TextAlignment", text.alignment}});
    append(b, dataBindingEntries());
    if (text.value != nullptr)
        b.push_back({"Value", std::string(text.value)});
    return b;
}

Block textField(const Place& p, const Traits& t = {}) {
    Block b = commonEntries(p, t);
    append(b, systemFont(0));
    append(b, {{"HasBorder", true},
               {"BackgroundColor", white},
               {"TextColor", black},
               {"Value", std::string()},
               {"Hint", std::string()},
               {"Format", std::string()},
               {"ValidationMask", std::string()},
               {"MaximumCharactersAllowed", std::int64_t{0}},
               {"Password", false},
               {"ReadOnly", false},
               {"AllowTabs", false},
               {"AllowSpellChecking", false},
               {"AllowFocusRing", true},
               {"TextAlignment", std::int64_t{0}}});
    append(b, dataBindingEntries());
    return b;
}

struct Rows {
    float fontSize = 12;
    std::int64_t selected = 0;
    const char* items =
        nullptr;  // the block's item list; nullptr when it comes from the string table
};

Block popup(const Place& p, const Traits& t, const Rows& rows) {
    Block b = commonEntries(p, t);
    append(b, systemFont(rows.fontSize));
    append(b, dataBindingEntries());
    if (rows.items != nullptr)
        b.push_back({"InitialValue", std::string(rows.items)});
    b.push_back({"SelectedRowIndex", rows.selected});
    return b;
}

Block radioButton(const Place& p, const Traits& t, bool selected) {
    Block b = commonEntries(p, t);
    append(b, systemFont(12));
    b.push_back({"Value", selected});
    return b;
}

Block checkBox(const Place& p, const Traits& t = {}) {
    Block b = commonEntries(p, t);
    append(b, systemFont(12));
    append(b, {{"Value", false}, {"VisualState", std::int64_t{0}}});
    append(b, dataBindingEntries());
    return b;
}

Block pushButton(const Place& p, const Traits& t, bool isDefault) {
    Block b = commonEntries(p, t);
    append(b, systemFont(12));
    append(b, {{"MacButtonStyle", std::int64_t{0}}, {"Default", isDefault}, {"Cancel", false}});
    return b;
}

// ---- The fixed creation sequence ------------------------------------------------------------

template <typename T>
struct Recipe {
    const char* name = nullptr;    // the name it is added under ("RBtype" for one member)
    std::int64_t index = noIndex;  // array members are looked up by "RBType" and index
    std::function<std::shared_ptr<T>()> make{};  // default: the parameterless constructor
    std::function<void(T&)> caption{};           // from the string table, before the block
    const char* blockClass = nullptr;
    Block block{};
    std::function<void(Main&, T&)> hook{};  // the window's handler on the control's event
};

// Checked and cast to its class: a control that is not there raises NilObjectException.
template <typename T>
T& lookUp(const Main& window, const char* name, std::int64_t index) {
    return index == noIndex ? *fw::controlNamed<T>(window, name)
                            : *fw::controlNamed<T>(window, "RBType", index);
}

template <typename T>
void create(Main& window, const Recipe<T>& recipe) {
    std::shared_ptr<T> object = recipe.make ? recipe.make() : std::make_shared<T>();
    window.AddControl(object, recipe.name);
    object.reset();
    if (recipe.caption)
        recipe.caption(lookUp<T>(window, recipe.name, recipe.index));
    fw::PropertyBlock::apply(lookUp<T>(window, recipe.name, recipe.index), recipe.blockClass,
                             recipe.block);
    if (recipe.hook)
        recipe.hook(window, lookUp<T>(window, recipe.name, recipe.index));
}

template <typename T>
std::function<void(T&)> captionFrom(LocText text) {
    return [text](T& control) { control.setCaption(text("")); };
}

std::function<void(fw::PopupMenu&)> itemsFrom(LocText text) {
    return [text](fw::PopupMenu& popup) { popup.setInitialValue(text("")); };
}

// Delegates on the window's own handler operations: a call through the member pointer is virtual.
std::function<void(Main&, fw::TextField&)> onTextChange(void (Main::*handler)(fw::TextField&)) {
    return [handler](Main& window, fw::TextField& field) {
        field.TextChange.addHandler([&window, handler](fw::TextField& s) { (window.*handler)(s); });
    };
}

std::function<void(Main&, fw::PopupMenu&)> onChange(void (Main::*handler)(fw::PopupMenu&)) {
    return [handler](Main& window, fw::PopupMenu& popup) {
        popup.Change.addHandler([&window, handler](fw::PopupMenu& s) { (window.*handler)(s); });
    };
}

template <typename T>
std::function<void(Main&, T&)> onAction(void (Main::*handler)(T&)) {
    return [handler](Main& window, T& control) {
        control.Action.addHandler([&window, handler](T& s) { (window.*handler)(s); });
    };
}

std::function<std::shared_ptr<fw::RadioButton>()> member(std::int64_t index) {
    return [index] { return std::make_shared<class Main::RBType>(index); };
}

}  // namespace

void Main::Layout() {
    setMenuBar(the::Menu());
    const Block window = windowBlock({.width = 746,
                                      .height = 335,
                                      .maximumWidth = 746,
                                      .maximumHeight = 331,
                                      .title = "Vimbel!",
                                      .hasMaximizeButton = false,
                                      .hasMinimizeButton = false,
                                      .resizeable = false});
    fw::PropertyBlock::apply(*this, ClassName(), window);
}

void Main::CreateControls() {
    CreateControls0();
    CreateControls1();
}

// Objects 1 to 30: the resizing settings, the exportation settings and the folder row.
void Main::CreateControls0() {
    using fw::CheckBox;
    using fw::GroupBox;
    using fw::Label;
    using fw::PopupMenu;
    using fw::PushButton;
    using fw::RadioButton;
    using fw::Slider;
    using fw::TextField;
    const Traits inBox{.lockTop = true};
    const Traits inBoxDisabled{.enabled = false, .lockTop = true};

    create<GroupBox>(*this, {.name = "GroupBox1",
                             .caption = captionFrom<GroupBox>(loc::resizesettings),
                             .blockClass = "GroupBox",
                             .block = groupBox({"", 368, 4, 365, 311, 0})});
    create<Label>(*this, {.name = "StaticText1",
                          .caption = captionFrom<Label>(loc::sizewanted),
                          .blockClass = "Label",
                          .block = label({"GroupBox1", 410, 70, 89, 16, 0}, inBox)});
    create<TextField>(*this, {.name = "EFPSize",
                              .blockClass = "TextField",
                              .block = textField({"GroupBox1", 512, 67, 44, 22, 1}, inBox),
                              .hook = onTextChange(&Main::EFPSize_TextChange)});
    create<Label>(*this, {.name = "StaticText3",
                          .caption = captionFrom<Label>(loc::dimwidth),
                          .blockClass = "Label",
                          .block = label({"GroupBox1", 410, 242, 92, 16, 2}, inBox)});
    create<PopupMenu>(*this,
                      {.name = "PMPType",
                       .caption = itemsFrom(loc::sizewantedmenu),
                       .blockClass = "PopupMenu",
                       .block = popup({"GroupBox1", 569, 67, 146, 21, 3}, inBox,
                                      {.selected = valueOf(ProportionalMode::BiggestSide)})});
    create<TextField>(*this, {.name = "EFIWidth",
                              .blockClass = "TextField",
                              .block = textField({"GroupBox1", 511, 239, 45, 22, 4}, inBoxDisabled),
                              .hook = onTextChange(&Main::EFIWidth_TextChange)});
    create<PopupMenu>(*this, {.name = "PMIWidth",
                              .caption = itemsFrom(loc::menuindependant),
                              .blockClass = "PopupMenu",
                              .block = popup({"GroupBox1", 568, 238, 146, 21, 5}, inBoxDisabled,
                                             {.selected = valueOf(SizeUnit::Pixels)})});
    create<Label>(*this, {.name = "StaticText4",
                          .caption = captionFrom<Label>(loc::dimheight),
                          .blockClass = "Label",
                          .block = label({"GroupBox1", 410, 273, 92, 16, 6}, inBox)});
    create<TextField>(*this, {.name = "EFIHeight",
                              .blockClass = "TextField",
                              .block = textField({"GroupBox1", 511, 270, 45, 22, 7}, inBoxDisabled),
                              .hook = onTextChange(&Main::EFIHeight_TextChange)});
    create<PopupMenu>(*this, {.name = "PMIHeight",
                              .caption = itemsFrom(loc::menuindependant),
                              .blockClass = "PopupMenu",
                              .block = popup({"GroupBox1", 568, 271, 146, 18, 8}, inBoxDisabled,
                                             {.selected = valueOf(SizeUnit::Pixels)})});
    create<Label>(*this, {.name = "StaticText6",
                          .caption = captionFrom<Label>(loc::boxmaxwidth),
                          .blockClass = "Label",
                          .block = label({"GroupBox1", 411, 141, 198, 16, 9}, inBox)});
    create<TextField>(*this,
                      {.name = "EFBWidth",
                       .blockClass = "TextField",
                       .block = textField({"GroupBox1", 634, 140, 80, 22, 10}, inBoxDisabled),
                       .hook = onTextChange(&Main::EFBWidth_TextChange)});
    create<Label>(*this, {.name = "StaticText7",
                          .caption = captionFrom<Label>(loc::boxmaxheight),
                          .blockClass = "Label",
                          .block = label({"GroupBox1", 411, 172, 198, 16, 11}, inBox)});
    create<TextField>(*this,
                      {.name = "EFBHeight",
                       .blockClass = "TextField",
                       .block = textField({"GroupBox1", 634, 171, 80, 22, 12}, inBoxDisabled),
                       .hook = onTextChange(&Main::EFBHeight_TextChange)});
    // The three members of RBType; member 1 is added as "RBtype" and found as "RBType".
    create<RadioButton>(
        *this, {.name = "RBType",
                .index = 0,
                .make = member(0),
                .caption = captionFrom<RadioButton>(loc::proportional),
                .blockClass = "Main.RBType",
                .block = radioButton({"GroupBox1", 382, 38, 280, 20, 13}, {.index = 0}, true),
                .hook = onAction(&Main::RBType_Action)});
    create<RadioButton>(
        *this, {.name = "RBtype",
                .index = 1,
                .make = member(1),
                .caption = captionFrom<RadioButton>(loc::independant),
                .blockClass = "Main.RBType",
                .block = radioButton({"GroupBox1", 382, 207, 292, 19, 14}, {.index = 1}, false),
                .hook = onAction(&Main::RBType_Action)});
    create<RadioButton>(
        *this, {.name = "RBType",
                .index = 2,
                .make = member(2),
                .caption = captionFrom<RadioButton>(loc::boxresizing),
                .blockClass = "Main.RBType",
                .block = radioButton({"GroupBox1", 381, 109, 281, 19, 15}, {.index = 2}, false),
                .hook = onAction(&Main::RBType_Action)});

    create<GroupBox>(*this, {.name = "GroupBox2",
                             .caption = captionFrom<GroupBox>(loc::exportsettings),
                             .blockClass = "GroupBox",
                             .block = groupBox({"", 13, 117, 343, 198, 1})});
    create<CheckBox>(*this, {.name = "CBIncrease",
                             .caption = captionFrom<CheckBox>(loc::increase),
                             .blockClass = "CheckBox",
                             .block = checkBox({"GroupBox2", 25, 228, 316, 20, 0}, inBox)});
    create<Label>(*this, {.name = "STJPEGQuality",
                          .caption = captionFrom<Label>(loc::jpegquality),
                          .blockClass = "Label",
                          .block = label({"GroupBox2", 25, 170, 162, 20, 1}, inBox)});
    create<PopupMenu>(*this, {.name = "PMQuality",
                              .caption = itemsFrom(loc::jpegqualitymenu),
                              .blockClass = "PopupMenu",
                              .block = popup({"GroupBox2", 194, 172, 147, 20, 2}, inBox,
                                             {.fontSize = 0, .selected = qualityrow::good}),
                              .hook = onChange(&Main::PMQuality_Change)});
    {
        Block slider = commonEntries({"GroupBox2", 24, 203, 289, 15, 3}, inBox);
        append(slider, {{"MinimumValue", std::int64_t{1}},
                        {"MaximumValue", std::int64_t{100}},
                        {"Value", std::int64_t{80}},
                        {"LineStep", std::int64_t{1}},
                        {"PageStep", std::int64_t{20}},
                        {"AllowLiveScrolling", true},
                        {"TickMarkStyle", std::int64_t{0}}});
        create<Slider>(*this, {.name = "SLQuality",
                               .blockClass = "Slider",
                               .block = std::move(slider),
                               .hook = [](Main& window, Slider& s) {
                                   s.ValueChanged.addHandler(
                                       [&window](Slider& x) { window.SLQuality_ValueChanged(x); });
                               }});
    }
    create<Label>(*this, {.name = "STQuality",
                          .blockClass = "Label",
                          .block = label({"GroupBox2", 306, 198, 35, 20, 4},
                                         {.lockTop = true, .transparent = false},
                                         {.alignment = 3, .value = "80"})});
    create<CheckBox>(*this, {.name = "CBName",
                             .caption = captionFrom<CheckBox>(loc::makenameswebready),
                             .blockClass = "CheckBox",
                             .block = checkBox({"GroupBox2", 24, 260, 316, 20, 5}, inBox),
                             .hook = onAction(&Main::CBName_Action)});
    create<CheckBox>(*this, {.name = "CBDos",
                             .caption = captionFrom<CheckBox>(loc::dosformat),
                             .blockClass = "CheckBox",
                             .block = checkBox({"GroupBox2", 52, 284, 288, 20, 6}, inBoxDisabled)});
    create<Label>(*this, {.name = "StaticText51",
                          .caption = captionFrom<Label>(loc::exportformat),
                          .blockClass = "Label",
                          .block = label({"GroupBox2", 24, 141, 162, 20, 7}, inBox)});
    create<PopupMenu>(
        *this,
        {.name = "PMExportFormat",
         .blockClass = "PopupMenu",
         .block =
             popup({"GroupBox2", 194, 141, 146, 20, 8}, {.lockTop = true, .lockLeft = true},
                   {.fontSize = 0, .selected = valueOf(PictureType::JPEG), .items = "JPEG\r\nPNG"}),
         .hook = onChange(&Main::PMExportFormat_Change)});

    create<Label>(*this, {.name = "StaticText2",
                          .caption = captionFrom<Label>(loc::folder),
                          .blockClass = "Label",
                          .block = label({"", 13, 16, 60, 16, 2}, {.lockTop = true})});
    create<Label>(*this, {.name = "STFolder",
                          .caption = captionFrom<Label>(loc::nofolderselected),
                          .blockClass = "Label",
                          .block = label({"", 85, 16, 175, 16, 3}, {.lockTop = true})});
    create<PushButton>(*this,
                       {.name = "PBSelect",
                        .caption = captionFrom<PushButton>(loc::buttonselect),
                        .blockClass = "PushButton",
                        .block = pushButton({"", 272, 14, 84, 20, 4}, {.lockTop = true}, false),
                        .hook = onAction(&Main::PBSelect_Action)});
}

// Objects 31 to 36: Go, the progress bar, the worker, the status line and the triangle's strip.
void Main::CreateControls1() {
    create<fw::PushButton>(*this,
                           {.name = "PBGo",
                            .caption = captionFrom<fw::PushButton>(loc::buttongo),
                            .blockClass = "PushButton",
                            .block = pushButton({"", 272, 51, 84, 20, 5}, {.enabled = false}, true),
                            .hook = onAction(&Main::PBGo_Action)});
    {
        Block bar = commonEntries({"", 13, 56, 247, 12, 6}, {.tabStop = false});
        append(bar,
               {{"MaximumValue", std::int64_t{100}}, {"Value", 0.0}, {"Indeterminate", false}});
        create<fw::ProgressBar>(
            *this, {.name = "PB", .blockClass = "ProgressBar", .block = std::move(bar)});
    }
    create<threadResize>(*this, {.name = "internalthread",
                                 .make =
                                     [] {
                                         auto worker = std::make_shared<_wrapper_internalthread>();
                                         worker->Constructor();
                                         return worker;
                                     },
                                 .blockClass = "threadResize",
                                 .block = {{"Priority", std::int64_t{5}},
                                           {"StackSize", std::int64_t{0}},
                                           {"pictureType", std::int64_t{0}},
                                           {"proportionalMode", std::int64_t{0}},
                                           {"bigger", false},
                                           {"resizeType", std::int64_t{0}},
                                           {"proportionalSize", std::int64_t{0}},
                                           {"boxWidth", std::int64_t{0}},
                                           {"boxHeight", std::int64_t{0}},
                                           {"independentHeight", std::int64_t{0}},
                                           {"independentWidth", std::int64_t{0}},
                                           {"independentWidthMode", std::int64_t{0}},
                                           {"independentHeightMode", std::int64_t{0}},
                                           {"jpegQuality", std::int64_t{0}},
                                           {"nameWeb", false},
                                           {"nameDOS", false}}});
    create<fw::Label>(*this, {.name = "STStatus",
                              .blockClass = "Label",
                              .block = label({"", 13, 77, 343, 20, 8}, {.transparent = false},
                                             {.alignment = 2, .italic = true, .value = ""})});
    {
        Block triangle = commonEntries({"", 16, 103, 12, 12, 9}, {});
        append(triangle,
               {{"Value", true}, {"FacingDirection", std::int64_t{0}}, {"AllowFocus", false}});
        create<fw::DisclosureTriangle>(*this, {.name = "DTSettings",
                                               .blockClass = "DisclosureTriangle",
                                               .block = std::move(triangle),
                                               .hook = onAction(&Main::DTSettings_Action)});
    }
    create<fw::Separator>(*this, {.name = "Separator1",
                                  .blockClass = "Separator",
                                  .block = commonEntries({"", 34, 105, 322, 4, 10}, {})});
}
