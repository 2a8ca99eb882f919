#pragma once

#include <QMenuBar>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/framework/menuitem.h"
#include "engine/framework/window.h"

namespace fw {

class Control;
class WindowWidget;
class ContentWidget;

struct Window::Impl {
    explicit Impl(Window* owner);
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    [[nodiscard]] int menuBarHeight() const;
    // Gives the widget the content size held here, below the menu bar, within the limits.
    void applySize();
    void applyFlags();
    // Places the menu bar and the content area; controls locked to the right or bottom edge
    // follow a change of the content size.
    void layoutChildren();
    // The bar the window shows: its own, else the application's.
    [[nodiscard]] std::shared_ptr<fw::MenuBar> shownMenuBar() const;
    void rebuildMenuBar();
    void markActive();
    void pressDefaultButton(bool cancel);
    // Gives the keyboard focus to the first control in tab order that is in view, enabled and
    // takes focus from the keyboard.
    void focusFirstInView();
    // A focus that fell out of view (controls outside the content area are hidden, so that no
    // input reaches them) goes to the first control in view.
    void keepFocusInView();

    Window* const owner;
    QPointer<QWidget> top;  // the top-level widget (menu bar above, content area below)
    QWidget* content = nullptr;
    QPointer<QMenuBar> qbar;
    std::shared_ptr<fw::MenuBar> ownBar;
    std::shared_ptr<fw::MenuBar> builtFrom;

    std::string title;
    std::int64_t width = 300;
    std::int64_t height = 300;
    std::int64_t minWidth = 64;
    std::int64_t minHeight = 64;
    std::int64_t maxWidth = 32000;
    std::int64_t maxHeight = 32000;
    bool resizeable = true;
    bool closeButton = true;
    bool maximizeButton = true;
    bool minimizeButton = true;
    bool applyingSize = false;
    std::int64_t laidOutWidth = 300;
    std::int64_t laidOutHeight = 300;

    bool open = false;
    bool closing = false;
    bool acceptsDrops = false;
    std::uint64_t activation = 0;

    struct Entry {
        std::string name;
        std::shared_ptr<Object> object;
    };
    std::vector<Entry> controls;
    std::vector<Control*> tabOrder;  // the controls in the order Tab visits them
    // By lower-case item name.
    std::map<std::string, std::function<bool()>> menuHandlers;
    // Items served by a control's own handlers, which also decide their enabling.
    struct ControlHandler {
        std::weak_ptr<Object> weak;
        Control* raw = nullptr;
        bool held = false;  // the control is owned by a shared pointer, which `weak` watches
        [[nodiscard]] Control* control() const { return held && weak.expired() ? nullptr : raw; }
    };
    std::map<std::string, ControlHandler> controlMenuHandlers;
    std::map<std::string, PropertyValue> stored;
};

// The window whose handlers the menus serve: the active one, else the one shown last.
[[nodiscard]] Window* activeWindowForMenus();

}  // namespace fw
