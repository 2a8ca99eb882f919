#include <QRadioButton>
#include <QSignalBlocker>

#include "engine/framework/controls.h"
#include "engine/framework/namecase.h"
#include "engine/framework/window.h"
#include "platform/ui/controlimpl.h"
#include "platform/ui/uisupport.h"

namespace fw {

namespace {

// Exclusivity is by container (the group box named in InitialParent), not by Qt parent: every
// control is a child of the window's content area.
class RadioWidget : public QRadioButton {
protected:
    // A click on the selected button keeps it selected.
    void nextCheckState() override {
        if (!isChecked())
            setChecked(true);
    }
};

struct RadioButtonImpl : Control::Impl {
    RadioButtonImpl() {
        button = new RadioWidget();
        button->setAutoExclusive(false);
        attach(button);
        QObject::connect(button, &QAbstractButton::toggled, button, [this](bool checked) {
            if (!checked || value)
                return;
            auto& radio = static_cast<RadioButton&>(*owner);
            ui::runGuarded([&] { radio.setValue(true); });
        });
    }
    void show() {
        const QSignalBlocker quiet(button);
        button->setChecked(value);
    }
    RadioWidget* button;
    std::string caption;
    bool value = false;
};

RadioButtonImpl& dataOf(const RadioButton& r) {
    return static_cast<RadioButtonImpl&>(r.impl());
}

}  // namespace

RadioButton::RadioButton() : Control(std::make_unique<RadioButtonImpl>()) {}

std::string RadioButton::Caption() const {
    ui::requireMainThread();
    return dataOf(*this).caption;
}

void RadioButton::setCaption(const std::string& text) {
    ui::requireMainThread();
    dataOf(*this).caption = text;
    dataOf(*this).button->setText(ui::withNewlines(text));
}

bool RadioButton::Value() const {
    ui::requireMainThread();
    return dataOf(*this).value;
}

void RadioButton::setValue(bool selected) {
    ui::requireMainThread();
    auto& d = dataOf(*this);
    if (selected == d.value) {
        d.show();
        return;
    }
    d.value = selected;
    d.show();
    if (!selected)
        return;
    if (fw::Window* w = window()) {
        const std::string container = InitialParent();
        for (Object* object : w->controls()) {
            auto* other = dynamic_cast<RadioButton*>(object);
            if (other == nullptr || other == this)
                continue;
            if (!equalsIgnoringCase(other->InitialParent(), container))
                continue;
            auto& od = dataOf(*other);
            od.value = false;
            od.show();
        }
    }
    Action.raise(*this);
}

}  // namespace fw
