#include <QPushButton>

#include "engine/framework/controls.h"
#include "platform/ui/controlimpl.h"
#include "platform/ui/uisupport.h"

namespace fw {

namespace {

struct PushButtonImpl : Control::Impl {
    PushButtonImpl() {
        button = new QPushButton();
        // Return on a focused button goes to the window, which presses its default button.
        button->setAutoDefault(false);
        attach(button);
        QObject::connect(button, &QAbstractButton::clicked, button, [this] {
            auto& b = static_cast<PushButton&>(*owner);
            ui::runGuarded([&] { b.Action.raise(b); });
        });
    }
    QPushButton* button;
    std::string caption;
    bool isDefault = false;
    bool isCancel = false;
};

PushButtonImpl& dataOf(const PushButton& b) {
    return static_cast<PushButtonImpl&>(b.impl());
}

}  // namespace

PushButton::PushButton() : Control(std::make_unique<PushButtonImpl>()) {}

std::string PushButton::Caption() const {
    ui::requireMainThread();
    return dataOf(*this).caption;
}

void PushButton::setCaption(const std::string& text) {
    ui::requireMainThread();
    dataOf(*this).caption = text;
    // "&" is a literal character in the program's captions, not a mnemonic mark.
    dataOf(*this).button->setText(
        ui::withNewlines(text).replace(QLatin1Char('&'), QStringLiteral("&&")));
}

bool PushButton::Default() const {
    ui::requireMainThread();
    return dataOf(*this).isDefault;
}

void PushButton::setDefault(bool v) {
    ui::requireMainThread();
    dataOf(*this).isDefault = v;
    dataOf(*this).button->setDefault(v);  // the default button's look
}

bool PushButton::Cancel() const {
    ui::requireMainThread();
    return dataOf(*this).isCancel;
}

void PushButton::setCancel(bool v) {
    ui::requireMainThread();
    dataOf(*this).isCancel = v;
}

}  // namespace fw
