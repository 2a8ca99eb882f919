#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>

#include "engine/framework/controls.h"
#include "platform/ui/controlimpl.h"
#include "platform/ui/uisupport.h"

namespace fw {

namespace {

struct LabelImpl;

class LabelWidget : public QLabel {
public:
    explicit LabelWidget(LabelImpl* impl) : m_impl(impl) {}

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    LabelImpl* m_impl;
};

struct LabelImpl : Control::Impl {
    LabelImpl() {
        label = new LabelWidget(this);
        label->setTextFormat(Qt::PlainText);
        attach(label);
        applyLook();
    }

    void applyLook() {
        Qt::Alignment horizontal = Qt::AlignLeft;
        if (alignment == 2)
            horizontal = Qt::AlignHCenter;
        if (alignment == 3)
            horizontal = Qt::AlignRight;
        // Text hangs from the top: stacked labels (the about box's, 15 pixels apart while 20
        // high) then overlap only below their text.
        label->setAlignment(horizontal | Qt::AlignTop);
        label->setWordWrap(multiline);
        // The label's colour is its enabled colour; disabled, it greys out as the style says.
        QPalette palette = label->palette();
        const QColor colour(textColor.red, textColor.green, textColor.blue, 255 - textColor.alpha);
        palette.setColor(QPalette::Active, QPalette::WindowText, colour);
        palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
        palette.setColor(
            QPalette::Disabled, QPalette::WindowText,
            QApplication::palette(label).color(QPalette::Disabled, QPalette::WindowText));
        label->setPalette(palette);
        // An opaque label paints the window's background colour behind its text.
        label->setAutoFillBackground(!transparent);
    }

    void storedPropertyChanged(const std::string& lowerName) override {
        Control::Impl::storedPropertyChanged(lowerName);
        if (lowerName != "selectable")
            return;
        const PropertyValue& v = stored[lowerName];
        const bool selectable = std::holds_alternative<bool>(v) && std::get<bool>(v);
        label->setTextInteractionFlags(selectable ? Qt::TextSelectableByMouse
                                                  : Qt::NoTextInteraction);
    }

    LabelWidget* label;
    std::string caption;
    Color textColor{};
    std::int64_t alignment = 0;
    bool multiline = false;
    bool transparent = true;
};

void LabelWidget::mousePressEvent(QMouseEvent* event) {
    auto& owner = static_cast<Label&>(*m_impl->owner);
    // A label without MouseDown handlers lets the press through to the window's background.
    if (event->button() != Qt::LeftButton || !owner.MouseDown.hasHandlers()) {
        event->ignore();
        return;
    }
    event->accept();
    const QPoint at = event->position().toPoint();
    ui::runGuarded([&] { owner.MouseDown.raise(owner, at.x(), at.y()); });
}

LabelImpl& dataOf(const Label& l) {
    return static_cast<LabelImpl&>(l.impl());
}

}  // namespace

Label::Label() : Control(std::make_unique<LabelImpl>()) {}

std::string Label::Caption() const {
    ui::requireMainThread();
    return dataOf(*this).caption;
}

void Label::setCaption(const std::string& text) {
    ui::requireMainThread();
    auto& d = dataOf(*this);
    d.caption = text;
    d.label->setText(ui::withNewlines(text));
}

Color Label::TextColor() const {
    ui::requireMainThread();
    return dataOf(*this).textColor;
}

void Label::setTextColor(Color c) {
    ui::requireMainThread();
    dataOf(*this).textColor = c;
    dataOf(*this).applyLook();
}

std::int64_t Label::TextAlignment() const {
    ui::requireMainThread();
    return dataOf(*this).alignment;
}

void Label::setTextAlignment(std::int64_t a) {
    ui::requireMainThread();
    dataOf(*this).alignment = a;
    dataOf(*this).applyLook();
}

void Label::setMultiline(bool v) {
    ui::requireMainThread();
    dataOf(*this).multiline = v;
    dataOf(*this).applyLook();
}

void Label::setTransparent(bool v) {
    ui::requireMainThread();
    dataOf(*this).transparent = v;
    dataOf(*this).applyLook();
}

}  // namespace fw
