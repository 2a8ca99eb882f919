#include <QProgressBar>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "engine/framework/controls.h"
#include "platform/ui/controlimpl.h"
#include "platform/ui/uisupport.h"

namespace fw {

namespace {

// Set by tests that follow a bar through a batch, where several values may land between two looks.
std::function<void(double)>& valueHandler() {
    static std::function<void(double)> handler;
    return handler;
}

// The bar's own scale; the held value and maximum may be anything and are only clamped here.
constexpr int barSteps = 10000;

struct ProgressBarImpl : Control::Impl {
    ProgressBarImpl() {
        bar = new QProgressBar();
        bar->setTextVisible(false);
        attach(bar);
        show();
    }
    void show() {
        if (indeterminate) {
            bar->setRange(0, 0);
            return;
        }
        bar->setRange(0, barSteps);
        double fraction = 0;
        if (maximum > 0 && std::isfinite(value))
            fraction = std::clamp(value / static_cast<double>(maximum), 0.0, 1.0);
        bar->setValue(static_cast<int>(std::lround(fraction * barSteps)));
    }
    QProgressBar* bar;
    double value = 0;
    std::int64_t maximum = 100;
    bool indeterminate = false;
};

ProgressBarImpl& dataOf(const ProgressBar& p) {
    return static_cast<ProgressBarImpl&>(p.impl());
}

}  // namespace

ProgressBar::ProgressBar() : Control(std::make_unique<ProgressBarImpl>()) {}

double ProgressBar::Value() const {
    ui::requireMainThread();
    return dataOf(*this).value;
}

void ProgressBar::setValue(double v) {
    ui::requireMainThread();
    dataOf(*this).value = v;
    dataOf(*this).show();
    if (valueHandler())
        valueHandler()(v);
}

std::int64_t ProgressBar::MaximumValue() const {
    ui::requireMainThread();
    return dataOf(*this).maximum;
}

void ProgressBar::setMaximumValue(std::int64_t v) {
    ui::requireMainThread();
    dataOf(*this).maximum = v;
    dataOf(*this).show();
}

void ProgressBar::setIndeterminate(bool v) {
    ui::requireMainThread();
    dataOf(*this).indeterminate = v;
    dataOf(*this).show();
}

namespace ui {

void setProgressValueHandler(std::function<void(double)> handler) {
    requireMainThread();
    valueHandler() = std::move(handler);
}

}  // namespace ui

}  // namespace fw
