#pragma once

#include <cstdint>
#include <string>

#include "engine/framework/color.h"
#include "engine/framework/control.h"
#include "engine/framework/event.h"
#include "engine/framework/folderitem.h"

// The standard controls. Change events fire also when code changes a value, never when the value
// set is the one already held. Enabled False stops user input only.
namespace fw {

class GroupBox : public Control {
public:
    GroupBox();
    [[nodiscard]] std::string ClassName() const override { return "GroupBox"; }
    [[nodiscard]] std::string Caption() const;
    void setCaption(const std::string& text);
};

class Label : public Control {
public:
    Label();
    [[nodiscard]] std::string ClassName() const override { return "Label"; }
    [[nodiscard]] std::string Caption() const;  // the block's "Value"
    void setCaption(const std::string& text);
    [[nodiscard]] Color TextColor() const;
    void setTextColor(Color c);
    [[nodiscard]] std::int64_t TextAlignment() const;  // 0 default/left, 1 left, 2 centre, 3 right
    void setTextAlignment(std::int64_t a);
    void setMultiline(bool v);
    void setTransparent(bool v);

    // A press on the label: (the label, x, y); True when handled.
    Event<bool(Label&, std::int64_t, std::int64_t)> MouseDown;
};

class TextField : public Control {
public:
    TextField();
    [[nodiscard]] std::string ClassName() const override { return "TextField"; }
    [[nodiscard]] std::string Text() const;  // the block's "Value"
    void setText(const std::string& text);
    Event<void(TextField&)> TextChange;
};

class PopupMenu : public Control {
public:
    PopupMenu();
    [[nodiscard]] std::string ClassName() const override { return "PopupMenu"; }
    // Replaces the rows with the items of one text, separated by CR or CR LF.
    void setInitialValue(const std::string& items);
    [[nodiscard]] std::string InitialValue() const;
    void AddRow(const std::string& text);
    void DeleteAllRows();
    [[nodiscard]] std::int64_t RowCount() const;
    [[nodiscard]] std::string List(std::int64_t row) const;
    // -1: no row. Setting a row outside 0..RowCount-1 selects no row.
    [[nodiscard]] std::int64_t ListIndex() const;
    void setListIndex(std::int64_t row);
    [[nodiscard]] std::string Text() const;  // the selected row's text, "" for none
    Event<void(PopupMenu&)> Change;
};

class RadioButton : public Control {
public:
    RadioButton();
    [[nodiscard]] std::string ClassName() const override { return "RadioButton"; }
    [[nodiscard]] std::string Caption() const;
    void setCaption(const std::string& text);
    [[nodiscard]] bool Value() const;
    // Selecting clears the other radio buttons of the same container; Action only on becoming
    // selected.
    void setValue(bool selected);
    Event<void(RadioButton&)> Action;
};

class CheckBox : public Control {
public:
    CheckBox();
    [[nodiscard]] std::string ClassName() const override { return "CheckBox"; }
    [[nodiscard]] std::string Caption() const;
    void setCaption(const std::string& text);
    [[nodiscard]] bool Value() const;
    void setValue(bool ticked);
    Event<void(CheckBox&)> Action;
};

class Slider : public Control {
public:
    Slider();
    [[nodiscard]] std::string ClassName() const override { return "Slider"; }
    [[nodiscard]] std::int64_t Value() const;
    void setValue(std::int64_t v);
    [[nodiscard]] std::int64_t MinimumValue() const;
    void setMinimumValue(std::int64_t v);
    [[nodiscard]] std::int64_t MaximumValue() const;
    void setMaximumValue(std::int64_t v);
    void setLineStep(std::int64_t v);
    void setPageStep(std::int64_t v);
    Event<void(Slider&)> ValueChanged;
};

class PushButton : public Control {
public:
    PushButton();
    [[nodiscard]] std::string ClassName() const override { return "PushButton"; }
    [[nodiscard]] std::string Caption() const;
    void setCaption(const std::string& text);
    // The default button is pressed by Return/Enter, the cancel button by Escape.
    [[nodiscard]] bool Default() const;
    void setDefault(bool v);
    [[nodiscard]] bool Cancel() const;
    void setCancel(bool v);
    Event<void(PushButton&)> Action;
};

class ProgressBar : public Control {
public:
    ProgressBar();
    [[nodiscard]] std::string ClassName() const override { return "ProgressBar"; }
    // Any maximum (-1 and 0 included) and any value are accepted; drawing clamps.
    [[nodiscard]] double Value() const;
    void setValue(double v);
    [[nodiscard]] std::int64_t MaximumValue() const;
    void setMaximumValue(std::int64_t v);
    void setIndeterminate(bool v);
};

class DisclosureTriangle : public Control {
public:
    DisclosureTriangle();
    [[nodiscard]] std::string ClassName() const override { return "DisclosureTriangle"; }
    [[nodiscard]] bool Value() const;  // True: open
    void setValue(bool open);
    // Raised when the user clicks the triangle (after its value has flipped).
    Event<void(DisclosureTriangle&)> Action;
};

class Separator : public Control {
public:
    Separator();
    [[nodiscard]] std::string ClassName() const override { return "Separator"; }
};

class HTMLViewer : public Control {
public:
    HTMLViewer();
    [[nodiscard]] std::string ClassName() const override { return "HTMLViewer"; }
    // Starts showing a local HTML file (raises CancelLoad first, then DocumentBegin).
    void LoadPage(const FolderItemPtr& file);
    // The address of the page shown ("" before the first page).
    [[nodiscard]] std::string currentAddress() const;
    [[nodiscard]] std::string plainText() const;

    // Before every navigation, with the target address; True stops it.
    Event<bool(HTMLViewer&, const std::string&)> CancelLoad;
    // When a page begins to load, with its address.
    Event<void(HTMLViewer&, const std::string&)> DocumentBegin;

    // The viewer's own Edit handlers, bound by menu item name.
    bool EditClear();
    bool EditCopy();
    bool EditCut();
    bool EditPaste();
    bool EditSelectAll();
};

}  // namespace fw
