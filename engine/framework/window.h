#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/framework/classregistry.h"
#include "engine/framework/object.h"

namespace fw {

class Control;
class DragItem;
class MenuBar;

// A top-level window. All members but FindOpen raise ThreadAccessingUIException off the main
// thread. Width and Height are those of the content area, below the menu bar.
class Window : public Object {
public:
    Window();
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    [[nodiscard]] std::string ClassName() const override { return "Window"; }

    // Builds the window through its set-up events (Layout, CreateControls, AddMenuHandlers),
    // registers it as open under its class name, shows it and raises Open, all before returning.
    // The framework keeps an open window alive until it has closed.
    void Constructor();

    // The open window registered under the class name; nil when none. Safe on any thread.
    [[nodiscard]] static std::shared_ptr<Window> FindOpen(const std::string& className);
    // Every open window, oldest first (main thread).
    [[nodiscard]] static std::vector<std::shared_ptr<Window>> openWindows();

    // Set-up and window events, raised by the framework.
    virtual void Layout() {}
    virtual void CreateControls() {}
    virtual void AddMenuHandlers(Window& /*window*/) {}
    virtual void Event_Open() {}
    virtual void Event_Close() {}
    virtual void Event_DropObject(DragItem& /*item*/, std::int64_t /*action*/) {}
    virtual void Event_EnableMenuItems() {}
    // A press on the window's background; True when handled.
    virtual bool Event_MouseDown(std::int64_t /*x*/, std::int64_t /*y*/) { return false; }
    // Whether the window's class handles the named event (answered from the class registry).
    [[nodiscard]] virtual bool IsEventImplemented(const std::string& eventName) const;

    // Controls, and objects kept among them (PaneChild), found by name with letter case ignored.
    void AddControl(const std::shared_ptr<Object>& control, const std::string& name);
    [[nodiscard]] Object* ControlByName(const std::string& name) const;
    [[nodiscard]] Object* ControlByNameIndex(const std::string& name, std::int64_t index) const;
    [[nodiscard]] std::vector<Object*> controls() const;

    [[nodiscard]] std::string Title() const;
    void setTitle(const std::string& title);
    [[nodiscard]] std::int64_t Width() const;
    void setWidth(std::int64_t w);
    [[nodiscard]] std::int64_t Height() const;
    void setHeight(std::int64_t h);
    void setMinimumWidth(std::int64_t v);
    void setMinimumHeight(std::int64_t v);
    void setMaximumWidth(std::int64_t v);
    void setMaximumHeight(std::int64_t v);
    void setResizeable(bool v);
    void setHasCloseButton(bool v);
    void setHasMaximizeButton(bool v);
    void setHasMinimizeButton(bool v);
    // Block values that carry no behaviour here (window kind, placement, ...) are kept as they
    // were set, so that they can be read back.
    void setStoredProperty(const std::string& name, const PropertyValue& value);
    [[nodiscard]] const PropertyValue* storedProperty(const std::string& name) const;

    [[nodiscard]] std::shared_ptr<fw::MenuBar> MenuBar() const;
    void setMenuBar(const std::shared_ptr<fw::MenuBar>& bar);

    // Shows the window and brings it to the front.
    void Show();
    // Closes the window: raises Close, then the window stops counting as open.
    void Close();
    [[nodiscard]] bool isOpen() const;
    // From now on the window takes drops of files of that type ("all": every kind).
    void AcceptFileDrop(const std::string& fileType);
    // Binds a handler to the menu item of that name while this window is active.
    void AddMenuHandler(const std::string& itemName, std::function<bool()> handler);
    // Binds the control's own handler of that item (an HTML viewer's Edit commands); in each
    // enabling pass the control also enables the item while it can serve it.
    void AddMenuHandler(const std::string& itemName, Control& control);

    struct Impl;
    [[nodiscard]] Impl& impl() const { return *d; }

private:
    std::unique_ptr<Impl> d;
};

}  // namespace fw
