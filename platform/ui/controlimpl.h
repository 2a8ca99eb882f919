#pragma once

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <map>
#include <string>

#include "engine/framework/control.h"

namespace fw {

// The Qt side of a control. Each control class derives its own Impl that makes its widget; the
// base keeps what every control has. All controls of a window are children of the window's
// content widget, so a control's geometry is in content-area pixels wherever its container is.
struct Control::Impl {
    // Checks the thread before any widget is made.
    Impl();
    virtual ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    // Takes the control's widget; it stays hidden until the control is added to a window.
    void attach(QWidget* w);

    virtual void applyGeometry();
    virtual void applyEnabled();
    // Shows the widget while the control is visible and lies at least partly inside its
    // window's content area.
    virtual void applyVisible();
    [[nodiscard]] bool inView() const;
    virtual void applyFont();
    virtual void applyTabStop();
    // After the widget has been placed in a window's content area.
    virtual void addedToWindow() {}
    // A stored property changed (tooltips take effect).
    virtual void storedPropertyChanged(const std::string& lowerName);

    // Menu items that the control serves with handlers of its own (an HTML viewer's Edit items).
    [[nodiscard]] virtual bool servesMenuItem(const std::string& /*lowerName*/) const {
        return false;
    }
    [[nodiscard]] virtual bool menuItemEnabled(const std::string& /*lowerName*/) const {
        return false;
    }
    virtual bool runMenuItem(const std::string& /*lowerName*/) { return false; }

    [[nodiscard]] bool lockedProperty(const char* name) const;

    Control* owner = nullptr;
    QPointer<QWidget> widget;
    Qt::FocusPolicy naturalFocus = Qt::NoFocus;

    std::string name;
    std::int64_t index = Control::NoIndex;
    bool enabled = true;
    bool visible = true;
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t width = 80;
    std::int64_t height = 22;
    std::int64_t tabIndex = 0;
    bool tabStop = true;
    std::string initialParent;
    std::string fontName = "System";
    double fontSize = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    fw::Window* window = nullptr;
    std::map<std::string, PropertyValue> stored;  // keyed by lower-case name
};

// The control that owns the widget or one of its ancestors; nullptr when none.
[[nodiscard]] Control* controlForWidget(const QWidget* widget);

}  // namespace fw
