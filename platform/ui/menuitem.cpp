#include "engine/framework/menuitem.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QTimer>

#include "engine/framework/application.h"
#include "engine/framework/controls.h"
#include "engine/framework/eventloop.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/namecase.h"
#include "engine/framework/window.h"
#include "platform/ui/controlimpl.h"
#include "platform/ui/menuimpl.h"
#include "platform/ui/uisupport.h"
#include "platform/ui/windowimpl.h"

namespace fw {

namespace {

// Menus need no widget application until they are shown, only the main thread.
void requireMainThread() {
    if (!fw::isMainThread())
        throw ThreadAccessingUIException();
}

// "&" is a literal character in the program's texts, not a mnemonic mark.
QString actionText(const std::string& text) {
    return ui::withNewlines(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

template <typename F>
void forEachBelow(MenuItem& node, const F& f) {
    for (const auto& child : node.impl().children) {
        f(*child);
        forEachBelow(*child, f);
    }
}

MenuItem& rootOf(MenuItem& item) {
    MenuItem* node = &item;
    while (node->impl().parent != nullptr)
        node = node->impl().parent;
    return *node;
}

void refreshActions(MenuItem& item) {
    auto& d = item.impl();
    for (const auto& action : d.actions) {
        if (action == nullptr)
            continue;
        if (action->menu() == nullptr) {
            action->setText(actionText(d.text));
            action->setShortcut(QKeySequence::fromString(ui::toQt(d.commandKey)));
        } else {
            action->menu()->setTitle(actionText(d.text));
        }
        action->setVisible(d.visible);
    }
}

// Records an action that shows the item, forgetting those of bars destroyed since.
void addAction(MenuItem& item, QAction* action) {
    auto& actions = item.impl().actions;
    std::erase_if(actions, [](const QPointer<QAction>& a) { return a == nullptr; });
    actions.emplace_back(action);
}

void addNode(Window& window, MenuItem& bar, QWidget* container,
             const std::shared_ptr<MenuItem>& node);

QMenu* addMenu(Window& window, MenuItem& bar, QWidget* container,
               const std::shared_ptr<MenuItem>& node) {
    QMenu* menu = nullptr;
    if (auto* qbar = qobject_cast<QMenuBar*>(container))
        menu = qbar->addMenu(actionText(node->impl().text));
    else
        menu = qobject_cast<QMenu*>(container)->addMenu(actionText(node->impl().text));
    addAction(*node, menu->menuAction());
    menu->menuAction()->setVisible(node->impl().visible);

    std::weak_ptr<Object> weakWindow = window.weak_from_this();
    std::weak_ptr<Object> weakBar = bar.weak_from_this();
    Window* rawWindow = &window;
    MenuItem* rawBar = &bar;
    const auto target = [weakWindow, weakBar, rawWindow,
                         rawBar]() -> std::pair<Window*, MenuItem*> {
        if (weakWindow.expired() || weakBar.expired())
            return {nullptr, nullptr};
        return {rawWindow, rawBar};
    };
    // The enabling pass runs before the menu opens by mouse or keyboard; its outcome shows on
    // the actions only while the menu is open.
    QObject::connect(menu, &QMenu::aboutToShow, menu, [target] {
        auto [w, b] = target();
        if (w == nullptr)
            return;
        ui::runGuarded([&] {
            menus::runEnablingPass(*w, *b);
            menus::showEnabledStates(*b);
        });
    });
    // Once the menus close, every item takes input again so that a shortcut reaches the pass;
    // also when the chosen item closed the window (its actions are shared by the other bars).
    QObject::connect(menu, &QMenu::aboutToHide, menu, [weakBar, rawBar] {
        QTimer::singleShot(0, QCoreApplication::instance(), [weakBar, rawBar] {
            if (!weakBar.expired())
                menus::enableAllActions(*rawBar);
        });
    });
    for (const auto& child : node->impl().children)
        addNode(window, bar, menu, child);
    return menu;
}

void addNode(Window& window, MenuItem& bar, QWidget* container,
             const std::shared_ptr<MenuItem>& node) {
    if (!node->impl().children.empty() || qobject_cast<QMenuBar*>(container) != nullptr) {
        addMenu(window, bar, container, node);
        return;
    }
    auto* menu = qobject_cast<QMenu*>(container);
    QAction* action = menu->addAction(actionText(node->impl().text));
    action->setShortcut(QKeySequence::fromString(ui::toQt(node->impl().commandKey)));
    action->setShortcutContext(Qt::WindowShortcut);
    action->setVisible(node->impl().visible);
    if (dynamic_cast<QuitMenuItem*>(node.get()) != nullptr)
        action->setMenuRole(QAction::QuitRole);
    if (dynamic_cast<AppleMenuItem*>(node.get()) != nullptr)
        action->setMenuRole(QAction::AboutRole);
    addAction(*node, action);

    std::weak_ptr<Object> weakWindow = window.weak_from_this();
    std::weak_ptr<Object> weakItem = node->weak_from_this();
    Window* rawWindow = &window;
    QObject::connect(action, &QAction::triggered, action, [weakWindow, weakItem, rawWindow] {
        auto item = std::dynamic_pointer_cast<MenuItem>(weakItem.lock());
        if (weakWindow.expired() || !item)
            return;
        ui::runGuarded([&] { menus::choose(*rawWindow, *item); });
    });
}

}  // namespace

namespace menus {

QMenuBar* build(Window& window, const std::shared_ptr<MenuBar>& bar, QWidget* parent) {
    auto* qbar = new QMenuBar(parent);
    qbar->setNativeMenuBar(false);
    for (const auto& menu : bar->impl().children)
        addNode(window, *bar, qbar, menu);
    return qbar;
}

void runEnablingPass(Window& window, MenuItem& bar) {
    forEachBelow(bar, [](MenuItem& item) { item.impl().enabled = item.impl().autoEnable; });
    for (const auto& [name, bound] : window.impl().controlMenuHandlers) {
        Control* control = bound.control();
        if (control == nullptr || !control->impl().menuItemEnabled(name))
            continue;
        if (auto item = bar.Lookup(name))
            item->Enable();
    }
    window.Event_EnableMenuItems();
}

bool choose(Window& window, MenuItem& item) {
    // The outcome is not shown on the actions: the items are shared by every window's bar, and
    // a disabled action would swallow its shortcut in a window whose pass would enable it.
    runEnablingPass(window, rootOf(item));
    if (!item.impl().enabled)
        return false;
    const auto& handlers = window.impl().menuHandlers;
    const auto it = handlers.find(asciiLowercase(item.impl().name));
    if (it != handlers.end()) {
        // A copy: the handler may bind handlers anew or close the window.
        const std::function<bool()> handler = it->second;
        handler();
        return true;
    }
    if (dynamic_cast<QuitMenuItem*>(&item) != nullptr)
        Quit(0);
    return true;
}

void showEnabledStates(MenuItem& node) {
    forEachBelow(node, [](MenuItem& item) {
        for (const auto& action : item.impl().actions)
            if (action != nullptr && action->menu() == nullptr)
                action->setEnabled(item.impl().enabled);
    });
}

void enableAllActions(MenuItem& node) {
    forEachBelow(node, [](MenuItem& item) {
        for (const auto& action : item.impl().actions)
            if (action != nullptr)
                action->setEnabled(true);
    });
}

}  // namespace menus

MenuItem::MenuItem() : d(std::make_unique<Impl>()) {
    requireMainThread();
}

MenuItem::~MenuItem() {
    for (const auto& child : d->children)
        if (child && child->d->parent == this)
            child->d->parent = nullptr;
}

std::string MenuItem::Name() const {
    requireMainThread();
    return d->name;
}
void MenuItem::setName(const std::string& name) {
    requireMainThread();
    d->name = name;
}
std::string MenuItem::Text() const {
    requireMainThread();
    return d->text;
}
void MenuItem::setText(const std::string& text) {
    requireMainThread();
    d->text = text;
    refreshActions(*this);
}
std::string MenuItem::CommandKey() const {
    requireMainThread();
    return d->commandKey;
}
void MenuItem::setCommandKey(const std::string& key) {
    requireMainThread();
    d->commandKey = key;
    refreshActions(*this);
}
bool MenuItem::AutoEnable() const {
    requireMainThread();
    return d->autoEnable;
}
void MenuItem::setAutoEnable(bool v) {
    requireMainThread();
    d->autoEnable = v;
}
bool MenuItem::Visible() const {
    requireMainThread();
    return d->visible;
}
void MenuItem::setVisible(bool v) {
    requireMainThread();
    d->visible = v;
    refreshActions(*this);
}
bool MenuItem::Enabled() const {
    requireMainThread();
    return d->enabled;
}
void MenuItem::setEnabled(bool v) {
    requireMainThread();
    d->enabled = v;
}
void MenuItem::Enable() {
    setEnabled(true);
}

void MenuItem::AddMenu(const std::shared_ptr<MenuItem>& item) {
    requireMainThread();
    if (!item)
        throw NilObjectException("AddMenu with a nil item");
    if (item.get() == this)
        throw RuntimeException("A menu item cannot hold itself");
    item->d->parent = this;
    d->children.push_back(item);
}

std::shared_ptr<MenuItem> MenuItem::Child(const std::string& name) const {
    requireMainThread();
    for (const auto& child : d->children)
        if (equalsIgnoringCase(child->d->name, name))
            return child;
    return nullptr;
}

std::shared_ptr<MenuItem> MenuItem::Lookup(const std::string& name) const {
    requireMainThread();
    for (const auto& child : d->children) {
        if (equalsIgnoringCase(child->d->name, name))
            return child;
        if (auto found = child->Lookup(name))
            return found;
    }
    return nullptr;
}

std::int64_t MenuItem::Count() const {
    requireMainThread();
    return static_cast<std::int64_t>(d->children.size());
}

std::shared_ptr<MenuItem> MenuItem::Item(std::int64_t index) const {
    requireMainThread();
    if (index < 0 || index >= static_cast<std::int64_t>(d->children.size()))
        throw OutOfBoundsException("Menu item index " + std::to_string(index) + " out of bounds");
    return d->children[static_cast<std::size_t>(index)];
}

}  // namespace fw
