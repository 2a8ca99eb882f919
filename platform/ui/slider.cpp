#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <limits>

#include "engine/framework/controls.h"
#include "platform/ui/controlimpl.h"
#include "platform/ui/uisupport.h"

namespace fw {

namespace {

[[nodiscard]] int toInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

struct SliderImpl : Control::Impl {
    SliderImpl() {
        slider = new QSlider(Qt::Horizontal);
        attach(slider);
        show();
        QObject::connect(slider, &QSlider::valueChanged, slider, [this](int moved) {
            if (moved == value)
                return;
            value = moved;
            auto& s = static_cast<Slider&>(*owner);
            ui::runGuarded([&] { s.ValueChanged.raise(s); });
        });
    }
    void show() {
        const QSignalBlocker quiet(slider);
        slider->setRange(toInt(minimum), toInt(std::max(minimum, maximum)));
        slider->setValue(toInt(value));
    }
    QSlider* slider;
    std::int64_t value = 0;
    std::int64_t minimum = 0;
    std::int64_t maximum = 100;
};

SliderImpl& dataOf(const Slider& s) {
    return static_cast<SliderImpl&>(s.impl());
}

// The value kept inside the range; a change made by the range raises ValueChanged too.
void settle(Slider& slider, std::int64_t wanted) {
    auto& d = dataOf(slider);
    const std::int64_t v = std::clamp(wanted, d.minimum, std::max(d.minimum, d.maximum));
    const bool changed = v != d.value;
    d.value = v;
    d.show();
    if (changed)
        slider.ValueChanged.raise(slider);
}

}  // namespace

Slider::Slider() : Control(std::make_unique<SliderImpl>()) {}

std::int64_t Slider::Value() const {
    ui::requireMainThread();
    return dataOf(*this).value;
}

void Slider::setValue(std::int64_t v) {
    ui::requireMainThread();
    settle(*this, v);
}

std::int64_t Slider::MinimumValue() const {
    ui::requireMainThread();
    return dataOf(*this).minimum;
}

void Slider::setMinimumValue(std::int64_t v) {
    ui::requireMainThread();
    dataOf(*this).minimum = v;
    settle(*this, dataOf(*this).value);
}

std::int64_t Slider::MaximumValue() const {
    ui::requireMainThread();
    return dataOf(*this).maximum;
}

void Slider::setMaximumValue(std::int64_t v) {
    ui::requireMainThread();
    dataOf(*this).maximum = v;
    settle(*this, dataOf(*this).value);
}

void Slider::setLineStep(std::int64_t v) {
    ui::requireMainThread();
    dataOf(*this).slider->setSingleStep(toInt(v));
}

void Slider::setPageStep(std::int64_t v) {
    ui::requireMainThread();
    dataOf(*this).slider->setPageStep(toInt(v));
}

}  // namespace fw
