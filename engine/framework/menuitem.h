#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/framework/object.h"

namespace fw {

// A menu, a menu item or (as MenuBar) the bar itself. Main thread only.
class MenuItem : public Object {
public:
    MenuItem();
    ~MenuItem() override;
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    [[nodiscard]] std::string ClassName() const override { return "MenuItem"; }

    [[nodiscard]] std::string Name() const;
    void setName(const std::string& name);
    [[nodiscard]] std::string Text() const;
    void setText(const std::string& text);
    // A shortcut text such as "Ctrl+Q" or "Ctrl+?"; "" for none.
    [[nodiscard]] std::string CommandKey() const;
    void setCommandKey(const std::string& key);
    [[nodiscard]] bool AutoEnable() const;
    void setAutoEnable(bool v);
    [[nodiscard]] bool Visible() const;
    void setVisible(bool v);
    [[nodiscard]] bool Enabled() const;
    void setEnabled(bool v);
    // Enables the item for the current use of the menus.
    void Enable();

    // Appends a menu to the bar, or an item to a menu.
    void AddMenu(const std::shared_ptr<MenuItem>& item);
    // The direct child of that name; nil when none.
    [[nodiscard]] std::shared_ptr<MenuItem> Child(const std::string& name) const;
    // The node of that name anywhere below this one; nil when none.
    [[nodiscard]] std::shared_ptr<MenuItem> Lookup(const std::string& name) const;
    [[nodiscard]] std::int64_t Count() const;
    [[nodiscard]] std::shared_ptr<MenuItem> Item(std::int64_t index) const;

    struct Impl;
    [[nodiscard]] Impl& impl() const { return *d; }

private:
    std::unique_ptr<Impl> d;
};

// The platform's quit item: choosing it quits the application.
class QuitMenuItem : public MenuItem {
public:
    [[nodiscard]] std::string ClassName() const override { return "QuitMenuItem"; }
};

class AppleMenuItem : public MenuItem {
public:
    [[nodiscard]] std::string ClassName() const override { return "AppleMenuItem"; }
};

class MenuBar : public MenuItem {
public:
    [[nodiscard]] std::string ClassName() const override { return "MenuBar"; }
};

}  // namespace fw
