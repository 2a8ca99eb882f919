#include <QLineEdit>
#include <QSignalBlocker>

#include "engine/framework/controls.h"
#include "platform/ui/controlimpl.h"
#include "platform/ui/uisupport.h"

namespace fw {

namespace {

struct TextFieldImpl : Control::Impl {
    TextFieldImpl() {
        edit = new QLineEdit();
        // Drops of files belong to the window, not to the field under the pointer.
        edit->setAcceptDrops(false);
        attach(edit);
        QObject::connect(edit, &QLineEdit::textChanged, edit, [this](const QString& now) {
            // Typing; code changes update the held text first and raise their own event.
            std::string typed = ui::fromQt(now);
            if (typed == text)
                return;
            text = std::move(typed);
            auto& field = static_cast<TextField&>(*owner);
            ui::runGuarded([&] { field.TextChange.raise(field); });
        });
    }
    // The field's block values that Qt can show.
    void storedPropertyChanged(const std::string& lowerName) override {
        Control::Impl::storedPropertyChanged(lowerName);
        const PropertyValue& v = stored[lowerName];
        const auto flag = [&] { return std::holds_alternative<bool>(v) && std::get<bool>(v); };
        if (lowerName == "readonly")
            edit->setReadOnly(flag());
        if (lowerName == "password")
            edit->setEchoMode(flag() ? QLineEdit::Password : QLineEdit::Normal);
        if (lowerName == "hasborder")
            edit->setFrame(flag());
        if (lowerName == "hint" && std::holds_alternative<std::string>(v))
            edit->setPlaceholderText(ui::toQt(std::get<std::string>(v)));
        if (lowerName == "maximumcharactersallowed" && std::holds_alternative<std::int64_t>(v)) {
            const std::int64_t n = std::get<std::int64_t>(v);
            edit->setMaxLength(n > 0 && n < 32767 ? static_cast<int>(n) : 32767);
        }
        if (lowerName == "textalignment" && std::holds_alternative<std::int64_t>(v)) {
            const std::int64_t a = std::get<std::int64_t>(v);
            edit->setAlignment(a == 2 ? Qt::AlignHCenter : a == 3 ? Qt::AlignRight : Qt::AlignLeft);
        }
    }

    QLineEdit* edit;
    std::string text;
};

TextFieldImpl& dataOf(const TextField& t) {
    return static_cast<TextFieldImpl&>(t.impl());
}

}  // namespace

TextField::TextField() : Control(std::make_unique<TextFieldImpl>()) {}

std::string TextField::Text() const {
    ui::requireMainThread();
    return dataOf(*this).text;
}

void TextField::setText(const std::string& text) {
    ui::requireMainThread();
    auto& d = dataOf(*this);
    if (text == d.text)
        return;
    d.text = text;
    {
        const QSignalBlocker quiet(d.edit);
        d.edit->setText(ui::toQt(text));
    }
    TextChange.raise(*this);
}

}  // namespace fw
