#include <QCheckBox>
#include <QSignalBlocker>

#include "engine/framework/controls.h"
#include "platform/ui/controlimpl.h"
#include "platform/ui/uisupport.h"

namespace fw {

namespace {

struct CheckBoxImpl : Control::Impl {
    CheckBoxImpl() {
        box = new QCheckBox();
        attach(box);
        QObject::connect(box, &QAbstractButton::toggled, box, [this](bool ticked) {
            if (ticked == value)
                return;
            value = ticked;
            auto& check = static_cast<CheckBox&>(*owner);
            ui::runGuarded([&] { check.Action.raise(check); });
        });
    }
    QCheckBox* box;
    std::string caption;
    bool value = false;
};

CheckBoxImpl& dataOf(const CheckBox& c) {
    return static_cast<CheckBoxImpl&>(c.impl());
}

}  // namespace

CheckBox::CheckBox() : Control(std::make_unique<CheckBoxImpl>()) {}

std::string CheckBox::Caption() const {
    ui::requireMainThread();
    return dataOf(*this).caption;
}

void CheckBox::setCaption(const std::string& text) {
    ui::requireMainThread();
    dataOf(*this).caption = text;
    dataOf(*this).box->setText(ui::withNewlines(text));
}

bool CheckBox::Value() const {
    ui::requireMainThread();
    return dataOf(*this).value;
}

void CheckBox::setValue(bool ticked) {
    ui::requireMainThread();
    auto& d = dataOf(*this);
    if (ticked == d.value)
        return;
    d.value = ticked;
    {
        const QSignalBlocker quiet(d.box);
        d.box->setChecked(ticked);
    }
    Action.raise(*this);
}

}  // namespace fw
