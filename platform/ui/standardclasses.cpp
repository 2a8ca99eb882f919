#include "platform/ui/standardclasses.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/framework/controls.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/window.h"

namespace fw {

namespace {

template <typename V>
constexpr PropertyType typeFor() {
    if constexpr (std::is_same_v<V, bool>)
        return PropertyType::Boolean;
    if constexpr (std::is_same_v<V, std::int64_t>)
        return PropertyType::Integer;
    if constexpr (std::is_same_v<V, FontUnitValue>)
        return PropertyType::FontUnit;
    if constexpr (std::is_same_v<V, float>)
        return PropertyType::Single;
    if constexpr (std::is_same_v<V, double>)
        return PropertyType::Double;
    if constexpr (std::is_same_v<V, Color>)
        return PropertyType::Color;
    if constexpr (std::is_same_v<V, std::string>)
        return PropertyType::String;
}

template <typename C>
C& as(Object& object, const std::string& property) {
    if (auto* typed = dynamic_cast<C*>(&object))
        return *typed;
    throw RuntimeException("Property " + property + " set on an object of class " +
                           object.ClassName() + ", which does not have it");
}

// A property whose setter calls a member of class C with the value of type V.
template <typename C, typename V, typename F>
PropertyInfo prop(const char* name, F setter) {
    std::string n(name);
    return {n, typeFor<V>(), [setter, n](Object& object, const PropertyValue& value) {
                setter(as<C>(object, n), std::get<V>(value));
            }};
}

// A control property that only keeps its value.
template <typename V>
PropertyInfo kept(const char* name) {
    std::string n(name);
    return {n, typeFor<V>(), [n](Object& object, const PropertyValue& value) {
                as<Control>(object, n).setStoredProperty(n, value);
            }};
}

template <typename V>
PropertyInfo keptOnWindow(const char* name) {
    std::string n(name);
    return {n, typeFor<V>(), [n](Object& object, const PropertyValue& value) {
                as<Window>(object, n).setStoredProperty(n, value);
            }};
}

using Int = std::int64_t;
using Str = std::string;

ClassInfo controlClass() {
    ClassInfo c{"Control", "", {}, {}};
    c.properties = {
        prop<Control, Int>("Left", [](Control& o, Int v) { o.setLeft(v); }),
        prop<Control, Int>("Top", [](Control& o, Int v) { o.setTop(v); }),
        prop<Control, Int>("Width", [](Control& o, Int v) { o.setWidth(v); }),
        prop<Control, Int>("Height", [](Control& o, Int v) { o.setHeight(v); }),
        prop<Control, Int>("Index", [](Control& o, Int v) { o.setIndex(v); }),
        prop<Control, bool>("Visible", [](Control& o, bool v) { o.setVisible(v); }),
        prop<Control, bool>("Enabled", [](Control& o, bool v) { o.setEnabled(v); }),
        kept<Str>("Tooltip"),
        prop<Control, bool>("TabStop", [](Control& o, bool v) { o.setTabStop(v); }),
        kept<Int>("TabPanelIndex"),
        prop<Control, Int>("TabIndex", [](Control& o, Int v) { o.setTabIndex(v); }),
        kept<bool>("AllowAutoDeactivate"),
        kept<bool>("Transparent"),
        kept<bool>("LockLeft"),
        kept<bool>("LockTop"),
        kept<bool>("LockRight"),
        kept<bool>("LockBottom"),
        prop<Control, Str>("InitialParent",
                           [](Control& o, const Str& v) { o.setInitialParent(v); }),
        prop<Control, Str>("FontName", [](Control& o, const Str& v) { o.setFontName(v); }),
        kept<FontUnitValue>("FontUnit"),
        prop<Control, float>("FontSize", [](Control& o, float v) { o.setFontSize(v); }),
        prop<Control, bool>("Bold", [](Control& o, bool v) { o.setBold(v); }),
        prop<Control, bool>("Italic", [](Control& o, bool v) { o.setItalic(v); }),
        prop<Control, bool>("Underline", [](Control& o, bool v) { o.setUnderline(v); }),
    };
    return c;
}

template <typename C>
PropertyInfo caption() {
    return prop<C, Str>("Caption", [](C& o, const Str& v) { o.setCaption(v); });
}

std::vector<PropertyInfo> dataBinding() {
    return {kept<Str>("DataSource"), kept<Str>("DataField")};
}

ClassInfo withBinding(ClassInfo c) {
    for (auto& p : dataBinding())
        c.properties.push_back(std::move(p));
    return c;
}

ClassInfo labelClass() {
    return withBinding(
        {"Label",
         "Control",
         {
             prop<Label, Str>("Value", [](Label& o, const Str& v) { o.setCaption(v); }),
             caption<Label>(),
             prop<Label, bool>("Multiline", [](Label& o, bool v) { o.setMultiline(v); }),
             kept<bool>("Selectable"),
             prop<Label, bool>("Transparent", [](Label& o, bool v) { o.setTransparent(v); }),
             prop<Label, Color>("TextColor", [](Label& o, Color v) { o.setTextColor(v); }),
             prop<Label, Int>("TextAlignment", [](Label& o, Int v) { o.setTextAlignment(v); }),
         },
         {}});
}

ClassInfo textFieldClass() {
    return withBinding(
        {"TextField",
         "Control",
         {
             prop<TextField, Str>("Value", [](TextField& o, const Str& v) { o.setText(v); }),
             kept<Str>("Hint"),
             kept<Str>("Format"),
             kept<Str>("ValidationMask"),
             kept<bool>("HasBorder"),
             kept<bool>("Password"),
             kept<bool>("ReadOnly"),
             kept<bool>("AllowTabs"),
             kept<bool>("AllowSpellChecking"),
             kept<bool>("AllowFocusRing"),
             kept<Color>("BackgroundColor"),
             kept<Color>("TextColor"),
             kept<Int>("MaximumCharactersAllowed"),
             kept<Int>("TextAlignment"),
         },
         {}});
}

ClassInfo popupMenuClass() {
    return withBinding(
        {"PopupMenu",
         "Control",
         {
             prop<PopupMenu, Str>("InitialValue",
                                  [](PopupMenu& o, const Str& v) { o.setInitialValue(v); }),
             prop<PopupMenu, Int>("SelectedRowIndex",
                                  [](PopupMenu& o, Int v) { o.setListIndex(v); }),
         },
         {}});
}

ClassInfo checkBoxClass() {
    return withBinding(
        {"CheckBox",
         "Control",
         {
             caption<CheckBox>(),
             prop<CheckBox, bool>("Value", [](CheckBox& o, bool v) { o.setValue(v); }),
             kept<Int>("VisualState"),
         },
         {}});
}

ClassInfo sliderClass() {
    return {"Slider",
            "Control",
            {
                prop<Slider, Int>("Value", [](Slider& o, Int v) { o.setValue(v); }),
                prop<Slider, Int>("MinimumValue", [](Slider& o, Int v) { o.setMinimumValue(v); }),
                prop<Slider, Int>("MaximumValue", [](Slider& o, Int v) { o.setMaximumValue(v); }),
                prop<Slider, Int>("LineStep", [](Slider& o, Int v) { o.setLineStep(v); }),
                prop<Slider, Int>("PageStep", [](Slider& o, Int v) { o.setPageStep(v); }),
                kept<Int>("TickMarkStyle"),
                kept<bool>("AllowLiveScrolling"),
            },
            {}};
}

ClassInfo windowClass() {
    return {
        "Window",
        "",
        {
            prop<Window, Int>("Width", [](Window& o, Int v) { o.setWidth(v); }),
            prop<Window, Int>("Height", [](Window& o, Int v) { o.setHeight(v); }),
            prop<Window, Int>("MinimumWidth", [](Window& o, Int v) { o.setMinimumWidth(v); }),
            prop<Window, Int>("MinimumHeight", [](Window& o, Int v) { o.setMinimumHeight(v); }),
            prop<Window, Int>("MaximumWidth", [](Window& o, Int v) { o.setMaximumWidth(v); }),
            prop<Window, Int>("MaximumHeight", [](Window& o, Int v) { o.setMaximumHeight(v); }),
            keptOnWindow<Int>("Type"),
            prop<Window, Str>("Title", [](Window& o, const Str& v) { o.setTitle(v); }),
            prop<Window, bool>("HasCloseButton", [](Window& o, bool v) { o.setHasCloseButton(v); }),
            prop<Window, bool>("HasMaximizeButton",
                               [](Window& o, bool v) { o.setHasMaximizeButton(v); }),
            prop<Window, bool>("HasMinimizeButton",
                               [](Window& o, bool v) { o.setHasMinimizeButton(v); }),
            keptOnWindow<bool>("HasFullScreenButton"),
            prop<Window, bool>("Resizeable", [](Window& o, bool v) { o.setResizeable(v); }),
            keptOnWindow<bool>("Composite"),
            keptOnWindow<Int>("MacProcID"),
            keptOnWindow<bool>("FullScreen"),
            keptOnWindow<Int>("DefaultLocation"),
            keptOnWindow<bool>("Visible"),
            keptOnWindow<bool>("HasBackgroundColor"),
            keptOnWindow<Color>("BackgroundColor"),
            keptOnWindow<bool>("MenuBarVisible"),
            keptOnWindow<bool>("LiveResize"),
        },
        {}};
}

std::vector<ClassInfo> standardClasses() {
    std::vector<ClassInfo> classes;
    classes.push_back(controlClass());
    classes.push_back({"GroupBox", "Control", {caption<GroupBox>()}, {}});
    classes.push_back(labelClass());
    classes.push_back(textFieldClass());
    classes.push_back(popupMenuClass());
    classes.push_back(
        {"RadioButton",
         "Control",
         {caption<RadioButton>(),
          prop<RadioButton, bool>("Value", [](RadioButton& o, bool v) { o.setValue(v); })},
         {}});
    classes.push_back(checkBoxClass());
    classes.push_back(sliderClass());
    classes.push_back(
        {"PushButton",
         "Control",
         {caption<PushButton>(),
          prop<PushButton, bool>("Default", [](PushButton& o, bool v) { o.setDefault(v); }),
          prop<PushButton, bool>("Cancel", [](PushButton& o, bool v) { o.setCancel(v); }),
          kept<Int>("MacButtonStyle")},
         {}});
    classes.push_back(
        {"ProgressBar",
         "Control",
         {prop<ProgressBar, double>("Value", [](ProgressBar& o, double v) { o.setValue(v); }),
          prop<ProgressBar, Int>("MaximumValue",
                                 [](ProgressBar& o, Int v) { o.setMaximumValue(v); }),
          prop<ProgressBar, bool>("Indeterminate",
                                  [](ProgressBar& o, bool v) { o.setIndeterminate(v); })},
         {}});
    classes.push_back({"DisclosureTriangle",
                       "Control",
                       {prop<DisclosureTriangle, bool>(
                            "Value", [](DisclosureTriangle& o, bool v) { o.setValue(v); }),
                        kept<Int>("FacingDirection"), kept<bool>("AllowFocus")},
                       {}});
    classes.push_back({"Separator", "Control", {}, {}});
    classes.push_back({"HTMLViewer", "Control", {kept<Int>("Renderer")}, {}});
    classes.push_back(windowClass());
    classes.push_back({"Application", "", {}, {}});
    return classes;
}

}  // namespace

void registerStandardClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (auto& info : standardClasses())
            ClassRegistry::registerClass(std::move(info));
    });
}

}  // namespace fw
