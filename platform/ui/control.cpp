#include "engine/framework/control.h"

#include <QVariant>

#include <algorithm>

#include "engine/framework/eventloop.h"
#include "engine/framework/namecase.h"
#include "platform/ui/controlimpl.h"
#include "platform/ui/uisupport.h"
#include "platform/ui/windowimpl.h"

namespace fw {

namespace {
constexpr const char* ownerProperty = "vimbelControl";
}

Control::Impl::Impl() {
    ui::requireMainThread();
}

Control::Impl::~Impl() {
    if (widget == nullptr)
        return;
    widget->disconnect();
    widget->blockSignals(true);
    widget->setProperty(ownerProperty, QVariant());
    // The last holder may let go on another thread; widgets are deleted on the main thread.
    if (fw::isMainThread())
        delete widget.data();
    else
        widget->deleteLater();
}

void Control::Impl::attach(QWidget* w) {
    widget = w;
    naturalFocus = w->focusPolicy();
    w->hide();
    applyGeometry();
    applyFont();
    applyEnabled();
}

void Control::Impl::applyGeometry() {
    if (widget == nullptr)
        return;
    widget->setGeometry(static_cast<int>(left), static_cast<int>(top),
                        static_cast<int>(std::max<std::int64_t>(0, width)),
                        static_cast<int>(std::max<std::int64_t>(0, height)));
    applyVisible();
}

void Control::Impl::applyEnabled() {
    if (widget != nullptr)
        widget->setEnabled(enabled);
}

void Control::Impl::applyVisible() {
    // A control without a window stays hidden: shown, it would become a window of its own.
    if (widget != nullptr && widget->parentWidget() != nullptr)
        widget->setVisible(visible && inView());
}

bool Control::Impl::inView() const {
    if (window == nullptr)
        return true;
    const Window::Impl& area = window->impl();
    return left < area.width && top < area.height && left + width > 0 && top + height > 0;
}

void Control::Impl::applyFont() {
    if (widget != nullptr)
        widget->setFont(ui::fontFor(fontName, fontSize, bold, italic, underline));
}

void Control::Impl::applyTabStop() {
    if (widget == nullptr || naturalFocus == Qt::NoFocus)
        return;
    widget->setFocusPolicy(tabStop ? naturalFocus : Qt::ClickFocus);
}

void Control::Impl::storedPropertyChanged(const std::string& lowerName) {
    if (lowerName == "tooltip" && widget != nullptr) {
        const auto it = stored.find(lowerName);
        if (it != stored.end() && std::holds_alternative<std::string>(it->second))
            widget->setToolTip(ui::toQt(std::get<std::string>(it->second)));
    }
}

bool Control::Impl::lockedProperty(const char* lockName) const {
    const auto it = stored.find(asciiLowercase(lockName));
    return it != stored.end() && std::holds_alternative<bool>(it->second) &&
           std::get<bool>(it->second);
}

Control* controlForWidget(const QWidget* widget) {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        const QVariant v = w->property(ownerProperty);
        if (v.isValid())
            return static_cast<Control*>(v.value<void*>());
    }
    return nullptr;
}

Control::Control(std::unique_ptr<Impl> impl) : d(std::move(impl)) {
    d->owner = this;
    if (d->widget != nullptr)
        d->widget->setProperty(ownerProperty, QVariant::fromValue<void*>(this));
}

Control::~Control() = default;

std::string Control::Name() const {
    ui::requireMainThread();
    return d->name;
}
void Control::setName(const std::string& name) {
    ui::requireMainThread();
    d->name = name;
    if (d->widget != nullptr)
        d->widget->setObjectName(ui::toQt(name));
}
std::int64_t Control::Index() const {
    ui::requireMainThread();
    return d->index;
}
void Control::setIndex(std::int64_t index) {
    ui::requireMainThread();
    d->index = index;
}

bool Control::Enabled() const {
    ui::requireMainThread();
    return d->enabled;
}
void Control::setEnabled(bool enabled) {
    ui::requireMainThread();
    d->enabled = enabled;
    d->applyEnabled();
}
bool Control::Visible() const {
    ui::requireMainThread();
    return d->visible;
}
void Control::setVisible(bool visible) {
    ui::requireMainThread();
    d->visible = visible;
    d->applyVisible();
}

std::int64_t Control::Left() const {
    ui::requireMainThread();
    return d->left;
}
std::int64_t Control::Top() const {
    ui::requireMainThread();
    return d->top;
}
std::int64_t Control::Width() const {
    ui::requireMainThread();
    return d->width;
}
std::int64_t Control::Height() const {
    ui::requireMainThread();
    return d->height;
}
void Control::setLeft(std::int64_t v) {
    ui::requireMainThread();
    d->left = v;
    d->applyGeometry();
}
void Control::setTop(std::int64_t v) {
    ui::requireMainThread();
    d->top = v;
    d->applyGeometry();
}
void Control::setWidth(std::int64_t v) {
    ui::requireMainThread();
    d->width = v;
    d->applyGeometry();
}
void Control::setHeight(std::int64_t v) {
    ui::requireMainThread();
    d->height = v;
    d->applyGeometry();
}

std::int64_t Control::TabIndex() const {
    ui::requireMainThread();
    return d->tabIndex;
}
void Control::setTabIndex(std::int64_t v) {
    ui::requireMainThread();
    d->tabIndex = v;
}
bool Control::TabStop() const {
    ui::requireMainThread();
    return d->tabStop;
}
void Control::setTabStop(bool v) {
    ui::requireMainThread();
    d->tabStop = v;
    d->applyTabStop();
}
std::string Control::InitialParent() const {
    ui::requireMainThread();
    return d->initialParent;
}
void Control::setInitialParent(const std::string& name) {
    ui::requireMainThread();
    d->initialParent = name;
}

void Control::setFontName(const std::string& name) {
    ui::requireMainThread();
    d->fontName = name;
    d->applyFont();
}
void Control::setFontSize(double points) {
    ui::requireMainThread();
    d->fontSize = points;
    d->applyFont();
}
void Control::setBold(bool v) {
    ui::requireMainThread();
    d->bold = v;
    d->applyFont();
}
void Control::setItalic(bool v) {
    ui::requireMainThread();
    d->italic = v;
    d->applyFont();
}
void Control::setUnderline(bool v) {
    ui::requireMainThread();
    d->underline = v;
    d->applyFont();
}
bool Control::Italic() const {
    ui::requireMainThread();
    return d->italic;
}

fw::Window* Control::window() const {
    ui::requireMainThread();
    return d->window;
}

void Control::setStoredProperty(const std::string& name, const PropertyValue& value) {
    ui::requireMainThread();
    const std::string key = asciiLowercase(name);
    d->stored[key] = value;
    d->storedPropertyChanged(key);
}

const PropertyValue* Control::storedProperty(const std::string& name) const {
    ui::requireMainThread();
    const auto it = d->stored.find(asciiLowercase(name));
    return it == d->stored.end() ? nullptr : &it->second;
}

}  // namespace fw
