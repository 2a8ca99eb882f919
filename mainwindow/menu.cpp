#include "mainwindow/menu.h"

#include <utility>
#include <vector>

#include "engine/framework/classregistry.h"
#include "engine/framework/exceptions.h"
#include "strings/loc.h"

namespace {

enum class ItemClass { Plain, Quit, About };

struct ItemRow {
    const char* name;
    ItemClass itemClass;
    std::string (*text)(const std::string& lang);
    const char* commandKey;
    bool autoEnable;
};

struct MenuRow {
    const char* name;
    std::string (*text)(const std::string& lang);
    std::vector<ItemRow> items;
};

// The menus and their items, in building order, which is also their order on screen.
const MenuRow& fileMenu() {
    static const MenuRow row{"UntitledMenu3",
                             loc::menufile,
                             {{"FileQuit", ItemClass::Quit, loc::menuquit, "Ctrl+Q", true}}};
    return row;
}

const MenuRow& editMenu() {
    static const MenuRow row{"UntitledMenu1",
                             loc::menuedit,
                             {{"EditUndo", ItemClass::Plain, loc::menuundo, "Ctrl+Z", false},
                              {"EditCut", ItemClass::Plain, loc::menucut, "Ctrl+X", false},
                              {"EditCopy", ItemClass::Plain, loc::menucopy, "Ctrl+C", false},
                              {"EditPaste", ItemClass::Plain, loc::menupaste, "Ctrl+V", false},
                              {"EditClear", ItemClass::Plain, loc::menuclear, "", false}}};
    return row;
}

const MenuRow& helpMenu() {
    static const MenuRow row{"UntitledMenu0",
                             loc::menuhelp,
                             {{"HelpHelp", ItemClass::Plain, loc::menuvimbelhelp, "Ctrl+?", false},
                              {"AppleCredits", ItemClass::About, loc::aboutvimbel, "", false}}};
    return row;
}

std::function<void(const std::string&)>& buildHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}

std::shared_ptr<Menu>& singleInstance() {
    static std::shared_ptr<Menu> bar;
    return bar;
}

void beforeNode(const std::string& name) {
    if (buildHook())
        buildHook()(name);
}

[[nodiscard]] std::shared_ptr<fw::MenuItem> newItem(ItemClass itemClass) {
    switch (itemClass) {
        case ItemClass::Quit:
            return std::make_shared<fw::QuitMenuItem>();
        case ItemClass::About:
            return std::make_shared<fw::AppleMenuItem>();
        case ItemClass::Plain:
            break;
    }
    return std::make_shared<fw::MenuItem>();
}

// One menu with its items. The menu is fetched back from the bar by name for every item, so each
// item lands in the menu that the bar actually holds.
void buildMenu(fw::MenuBar& bar, const MenuRow& row) {
    beforeNode(row.name);
    auto menu = std::make_shared<fw::MenuItem>();
    menu->setName(row.name);
    menu->setAutoEnable(false);
    menu->setText(row.text(""));
    menu->setVisible(true);
    menu->setCommandKey("");
    bar.AddMenu(menu);
    menu.reset();

    for (const ItemRow& itemRow : row.items) {
        beforeNode(itemRow.name);
        std::shared_ptr<fw::MenuItem> item = newItem(itemRow.itemClass);
        item->setName(itemRow.name);
        item->setAutoEnable(itemRow.autoEnable);
        item->setText(itemRow.text(""));
        item->setVisible(true);
        item->setCommandKey(itemRow.commandKey);
        const std::shared_ptr<fw::MenuItem> parent = bar.Child(row.name);
        if (!parent)
            throw fw::NilObjectException("Menu " + std::string(row.name) + " not found");
        parent->AddMenu(item);
    }
}

}  // namespace

void Menu::registerClass() {
    fw::ClassRegistry::registerClass({"Menu", "MenuBar", {}, {}});
}

void Menu::Constructor() {
    Untitled0();
    Untitled1();
    Untitled2();
}

void Menu::Untitled0() {
    buildMenu(*this, fileMenu());
}

void Menu::Untitled1() {
    buildMenu(*this, editMenu());
}

void Menu::Untitled2() {
    buildMenu(*this, helpMenu());
}

void Menu::setBuildHook(std::function<void(const std::string&)> hook) {
    buildHook() = std::move(hook);
}

void Menu::forgetInstance() {
    singleInstance().reset();
}

std::shared_ptr<Menu> Menu::instance() {
    return singleInstance();
}

namespace the {

std::shared_ptr<::Menu> Menu() {
    std::shared_ptr<::Menu>& single = singleInstance();
    if (!single) {
        // Stored only once complete: an exception drops the half-built bar with this reference.
        auto bar = std::make_shared<::Menu>();
        bar->Constructor();
        single = std::move(bar);
    }
    return single;
}

}  // namespace the
