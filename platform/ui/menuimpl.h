#pragma once

#include <QAction>
#include <QMenuBar>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

#include "engine/framework/menuitem.h"

namespace fw {

class Window;

struct MenuItem::Impl {
    std::string name;
    std::string text;
    std::string commandKey;
    bool autoEnable = true;
    bool visible = true;
    bool enabled = true;
    MenuItem* parent = nullptr;
    std::vector<std::shared_ptr<MenuItem>> children;
    // The Qt actions that show this item in the live bars of the windows. They take input
    // except while a menu is open, so that every shortcut reaches the enabling pass.
    std::vector<QPointer<QAction>> actions;
};

namespace menus {

// A Qt menu bar for the window, built from the shared tree; its menus run the enabling pass
// before they open, and its items (and their shortcuts) dispatch to the window's handlers.
[[nodiscard]] QMenuBar* build(Window& window, const std::shared_ptr<MenuBar>& bar, QWidget* parent);
// All items off, auto-enabled items on, items served by a control's handler as the control
// says, then the window's EnableMenuItems event.
void runEnablingPass(Window& window, MenuItem& bar);
// The enabling pass, then the window's handler bound to the item's name (a quit item without
// one quits). False when the item was disabled. The actions are left as they are.
bool choose(Window& window, MenuItem& item);
// Shows each item's enabled state on its actions (after a pass) or lets every action take
// input again (so that shortcuts reach the pass).
void showEnabledStates(MenuItem& node);
void enableAllActions(MenuItem& node);

}  // namespace menus

}  // namespace fw
