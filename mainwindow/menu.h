#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/framework/menuitem.h"

// The program's one menu bar: File, Edit and Help. The application and the main window install
// the same instance.
class Menu : public fw::MenuBar {
public:
    [[nodiscard]] std::string ClassName() const override { return "Menu"; }
    // Registers "Menu" (base "MenuBar"); it handles no events.
    static void registerClass();

    // Builds the three menus in order; each runs only when the one before raised nothing.
    virtual void Constructor();
    virtual void Untitled0();  // File
    virtual void Untitled1();  // Edit
    virtual void Untitled2();  // Help

    // Test seams. The hook runs before each node is made, with the node's name, so that a test can
    // make the build fail part way; an empty hook removes it. Forgetting the instance lets the next
    // accessor call build a new bar.
    static void setBuildHook(std::function<void(const std::string& nodeName)> hook);
    static void forgetInstance();
    [[nodiscard]] static std::shared_ptr<Menu> instance();
};

namespace the {
// The one menu bar, built by the first call. A build that fails stores nothing, so the next call
// starts again with a new bar.
std::shared_ptr<::Menu> Menu();
}  // namespace the
