#include "engine/framework/window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMimeData>
#include <QMouseEvent>
#include <QPalette>
#include <QUrl>

#include <algorithm>
#include <mutex>

#include "engine/framework/application.h"
#include "engine/framework/controls.h"
#include "engine/framework/dragitem.h"
#include "engine/framework/eventloop.h"
#include "engine/framework/exceptions.h"
#include "engine/framework/namecase.h"
#include "platform/ui/controlimpl.h"
#include "platform/ui/menuimpl.h"
#include "platform/ui/uisupport.h"
#include "platform/ui/windowimpl.h"

namespace fw {

// The top-level widget: menu bar above, content area below, sized by the window's model.
class WindowWidget : public QWidget {
public:
    explicit WindowWidget(Window::Impl* impl) : m_impl(impl) {}

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (!m_impl->applyingSize) {
            // The user resized the window: the model follows.
            m_impl->width = width();
            m_impl->height = std::max(0, height() - m_impl->menuBarHeight());
        }
        m_impl->layoutChildren();
    }
    void closeEvent(QCloseEvent* event) override {
        // The title bar's close button takes the same road as Close().
        event->ignore();
        if (!m_impl->open || m_impl->closing)
            return;
        ui::runGuarded([this] { m_impl->owner->Close(); });
    }
    void keyPressEvent(QKeyEvent* event) override {
        const int key = event->key();
        const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            event->accept();
            m_impl->pressDefaultButton(false);
            return;
        }
        if (plain && key == Qt::Key_Escape) {
            event->accept();
            m_impl->pressDefaultButton(true);
            return;
        }
        QWidget::keyPressEvent(event);
    }
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::ActivationChange && isActiveWindow())
            m_impl->markActive();
        QWidget::changeEvent(event);
    }

private:
    Window::Impl* m_impl;
};

// The content area: background presses and file drops.
class ContentWidget : public QWidget {
public:
    explicit ContentWidget(Window::Impl* impl, QWidget* parent) : QWidget(parent), m_impl(impl) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) {
            QWidget::mousePressEvent(event);
            return;
        }
        event->accept();
        const QPoint at = event->position().toPoint();
        ui::runGuarded([&] { m_impl->owner->Event_MouseDown(at.x(), at.y()); });
    }
    void dragEnterEvent(QDragEnterEvent* event) override {
        if (accepts(event->mimeData()))
            event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent* event) override {
        if (accepts(event->mimeData()))
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent* event) override {
        if (!accepts(event->mimeData()))
            return;
        event->acceptProposedAction();
        DragItem item(entriesOf(*event->mimeData()));
        const std::int64_t action = actionCode(event->dropAction());
        ui::runGuarded([&] { m_impl->owner->Event_DropObject(item, action); });
    }

private:
    [[nodiscard]] bool accepts(const QMimeData* mime) const {
        return m_impl->acceptsDrops && mime != nullptr && (mime->hasUrls() || mime->hasText());
    }
    // Local files become file references; other addresses and plain text carry none.
    static std::vector<DragItem::Entry> entriesOf(const QMimeData& mime) {
        std::vector<DragItem::Entry> entries;
        if (mime.hasUrls()) {
            for (const QUrl& url : mime.urls()) {
                if (url.isLocalFile()) {
                    const QString path = QFileInfo(url.toLocalFile()).absoluteFilePath();
                    entries.push_back(
                        {FolderItem::fromNativePath(QFile::encodeName(path).toStdString()),
                         ui::fromQt(path)});
                } else {
                    entries.push_back({nullptr, ui::fromQt(url.toString())});
                }
            }
        } else {
            entries.push_back({nullptr, ui::fromQt(mime.text())});
        }
        return entries;
    }
    static std::int64_t actionCode(Qt::DropAction action) {
        switch (action) {
            case Qt::CopyAction:
                return 1;
            case Qt::MoveAction:
                return 2;
            case Qt::LinkAction:
                return 3;
            default:
                return 0;
        }
    }

    Window::Impl* m_impl;
};

namespace {

struct OpenWindow {
    std::string className;
    std::shared_ptr<Window> window;
};

// Open windows, oldest first; looked up from any thread.
struct OpenRegistry {
    std::mutex mutex;
    std::vector<OpenWindow> windows;
};

OpenRegistry& openRegistry() {
    // Never destroyed: windows may still be open when the process ends.
    static auto* registry = new OpenRegistry;
    return *registry;
}

std::uint64_t nextActivation = 0;

// A closed window is released from the event loop, after the event that closed it has unwound.
void releaseLater(std::shared_ptr<Window> window) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [held = std::move(window)]() mutable { held.reset(); },
        Qt::QueuedConnection);
}

// The order in which Tab visits the controls: the window's controls by tab index, each group
// box followed by its own controls.
void orderTabs(const std::vector<Window::Impl::Entry>& entries, const std::string& container,
               std::vector<Control*>& out, int depth) {
    std::vector<Control*> level;
    for (const auto& e : entries)
        if (auto* c = dynamic_cast<Control*>(e.object.get()))
            if (equalsIgnoringCase(c->impl().initialParent, container))
                level.push_back(c);
    std::stable_sort(level.begin(), level.end(), [](Control* a, Control* b) {
        return a->impl().tabIndex < b->impl().tabIndex;
    });
    for (Control* c : level) {
        out.push_back(c);
        if (depth < 8 && !c->impl().name.empty() && dynamic_cast<GroupBox*>(c) != nullptr)
            orderTabs(entries, c->impl().name, out, depth + 1);
    }
}

}  // namespace

Window::Impl::Impl(Window* o) : owner(o) {
    top = new WindowWidget(this);
    top->setAttribute(Qt::WA_DeleteOnClose, false);
    content = new ContentWidget(this, top);
    content->setAutoFillBackground(true);
    applyFlags();
    applySize();
}

Window::Impl::~Impl() {
    const bool mainThread = fw::isMainThread();
    for (auto& e : controls) {
        auto* c = dynamic_cast<Control*>(e.object.get());
        if (c == nullptr)
            continue;
        c->impl().window = nullptr;
        // A control that someone still holds keeps its widget, away from this window.
        if (mainThread && e.object.use_count() > 1 && c->impl().widget != nullptr) {
            c->impl().widget->hide();
            c->impl().widget->setParent(nullptr);
        }
    }
    controls.clear();
    if (top == nullptr)
        return;
    top->disconnect();
    if (mainThread)
        delete top.data();
    else
        top->deleteLater();
}

int Window::Impl::menuBarHeight() const {
    if (qbar == nullptr || qbar->actions().isEmpty())
        return 0;
    return qbar->sizeHint().height();
}

void Window::Impl::applySize() {
    const int bar = menuBarHeight();
    const int w = static_cast<int>(std::clamp<std::int64_t>(width, 0, QWIDGETSIZE_MAX));
    const int h = static_cast<int>(std::clamp<std::int64_t>(height, 0, QWIDGETSIZE_MAX - bar));
    applyingSize = true;
    if (!resizeable) {
        top->setFixedSize(w, h + bar);
    } else {
        // The limits bind the user; code may set any size.
        const auto lo = [](std::int64_t limit, int now) {
            return static_cast<int>(
                std::clamp<std::int64_t>(std::min<std::int64_t>(limit, now), 0, QWIDGETSIZE_MAX));
        };
        const auto hi = [](std::int64_t limit, int now) {
            return static_cast<int>(
                std::clamp<std::int64_t>(std::max<std::int64_t>(limit, now), 0, QWIDGETSIZE_MAX));
        };
        top->setMinimumSize(lo(minWidth, w), std::min(QWIDGETSIZE_MAX, lo(minHeight, h) + bar));
        top->setMaximumSize(hi(maxWidth, w), std::min(QWIDGETSIZE_MAX, hi(maxHeight, h) + bar));
        top->resize(w, h + bar);
    }
    applyingSize = false;
    layoutChildren();
}

void Window::Impl::applyFlags() {
    Qt::WindowFlags flags =
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (closeButton)
        flags |= Qt::WindowCloseButtonHint;
    if (minimizeButton)
        flags |= Qt::WindowMinimizeButtonHint;
    if (maximizeButton && resizeable)
        flags |= Qt::WindowMaximizeButtonHint;
    if (top->windowFlags() == flags)
        return;
    const bool shown = top->isVisible();
    top->setWindowFlags(flags);
    if (shown)
        top->show();
}

void Window::Impl::layoutChildren() {
    const int bar = menuBarHeight();
    if (qbar != nullptr)
        qbar->setGeometry(0, 0, static_cast<int>(width), bar);
    content->setGeometry(0, bar, static_cast<int>(std::max<std::int64_t>(0, width)),
                         static_cast<int>(std::max<std::int64_t>(0, height)));
    const std::int64_t dx = width - laidOutWidth;
    const std::int64_t dy = height - laidOutHeight;
    laidOutWidth = width;
    laidOutHeight = height;
    if (dx == 0 && dy == 0)
        return;
    for (const auto& e : controls) {
        auto* c = dynamic_cast<Control*>(e.object.get());
        if (c == nullptr)
            continue;
        Control::Impl& ci = c->impl();
        const bool lockLeft = ci.lockedProperty("LockLeft");
        const bool lockTop = ci.lockedProperty("LockTop");
        if (ci.lockedProperty("LockRight")) {
            if (lockLeft)
                ci.width += dx;
            else
                ci.left += dx;
        }
        if (ci.lockedProperty("LockBottom")) {
            if (lockTop)
                ci.height += dy;
            else
                ci.top += dy;
        }
        ci.applyGeometry();  // which also hides a control out of view, or shows it again
    }
    keepFocusInView();
}

void Window::Impl::keepFocusInView() {
    const QWidget* focus = top->focusWidget();
    if (focus != nullptr && !focus->isVisibleTo(top))
        focusFirstInView();
}

void Window::Impl::focusFirstInView() {
    for (Control* c : tabOrder) {
        QWidget* w = c->impl().widget;
        if (w != nullptr && w->isVisibleTo(top) && w->isEnabled() &&
            (w->focusPolicy() & Qt::TabFocus) != 0) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    // Nothing in view takes the keyboard: no control keeps it out of sight.
    if (QWidget* focus = top->focusWidget())
        focus->clearFocus();
}

std::shared_ptr<fw::MenuBar> Window::Impl::shownMenuBar() const {
    if (ownBar)
        return ownBar;
    if (auto app = RuntimeAppObject())
        return app->MenuBar();
    return nullptr;
}

void Window::Impl::rebuildMenuBar() {
    const std::shared_ptr<fw::MenuBar> bar = shownMenuBar();
    if (bar == builtFrom && (qbar != nullptr || bar == nullptr))
        return;
    if (qbar != nullptr)
        delete qbar.data();
    builtFrom = bar;
    if (bar) {
        qbar = menus::build(*owner, bar, top);
        qbar->show();
    }
    applySize();
}

void Window::Impl::markActive() {
    activation = ++nextActivation;
}

void Window::Impl::pressDefaultButton(bool cancel) {
    for (const auto& e : controls) {
        auto* button = dynamic_cast<PushButton*>(e.object.get());
        if (button == nullptr)
            continue;
        const bool chosen = cancel ? button->Cancel() : button->Default();
        QWidget* w = button->impl().widget;
        if (!chosen || w == nullptr || !w->isEnabled() || !w->isVisibleTo(top))
            continue;
        ui::runGuarded([button] { button->Action.raise(*button); });
        return;
    }
}

Window* activeWindowForMenus() {
    QWidget* active = QApplication::activeWindow();
    Window* best = nullptr;
    std::uint64_t bestActivation = 0;
    for (const auto& w : Window::openWindows()) {
        if (active != nullptr && w->impl().top == active)
            return w.get();
        if (best == nullptr || w->impl().activation >= bestActivation) {
            best = w.get();
            bestActivation = w->impl().activation;
        }
    }
    return best;
}

Window::Window() {
    ui::requireMainThread();
    d = std::make_unique<Impl>(this);
}

Window::~Window() = default;

void Window::Constructor() {
    ui::requireMainThread();
    std::shared_ptr<Window> self = std::dynamic_pointer_cast<Window>(weak_from_this().lock());
    if (!self)
        throw RuntimeException("A window must be held by a shared pointer to open");
    if (d->open)
        return;
    Layout();
    CreateControls();
    AddMenuHandlers(*this);

    std::vector<Control*>& order = d->tabOrder;
    order.clear();
    orderTabs(d->controls, "", order, 0);
    QWidget* previous = nullptr;
    for (Control* c : order) {
        QWidget* w = c->impl().widget;
        if (w == nullptr || w->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous != nullptr)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
    d->rebuildMenuBar();

    {
        auto& registry = openRegistry();
        std::lock_guard lock(registry.mutex);
        registry.windows.push_back({ClassName(), self});
    }
    d->open = true;
    d->top->setWindowTitle(ui::toQt(d->title));
    // Shown once Open has run, so that the window first appears at the size Open gives it; a
    // window that Open closed stays hidden, and one whose Open failed still appears, as open.
    try {
        Event_Open();
    } catch (...) {
        if (d->open)
            Show();
        throw;
    }
    if (d->open) {
        Show();
        // The keyboard starts where the tab order starts, as Open left the controls.
        d->focusFirstInView();
    }
}

std::shared_ptr<Window> Window::FindOpen(const std::string& className) {
    auto& registry = openRegistry();
    std::lock_guard lock(registry.mutex);
    for (auto it = registry.windows.rbegin(); it != registry.windows.rend(); ++it)
        if (it->className == className)
            return it->window;
    return nullptr;
}

std::vector<std::shared_ptr<Window>> Window::openWindows() {
    ui::requireMainThread();
    auto& registry = openRegistry();
    std::lock_guard lock(registry.mutex);
    std::vector<std::shared_ptr<Window>> out;
    for (const auto& w : registry.windows)
        out.push_back(w.window);
    return out;
}

bool Window::IsEventImplemented(const std::string& eventName) const {
    return ClassRegistry::isEventImplemented(ClassName(), eventName);
}

void Window::AddControl(const std::shared_ptr<Object>& control, const std::string& name) {
    ui::requireMainThread();
    if (!control)
        throw NilObjectException("AddControl with a nil control");
    d->controls.push_back({name, control});
    if (auto* c = dynamic_cast<Control*>(control.get())) {
        c->setName(name);
        Control::Impl& ci = c->impl();
        ci.window = this;
        if (ci.widget != nullptr) {
            ci.widget->setParent(d->content);
            ci.applyGeometry();
            ci.applyVisible();
            ci.widget->raise();  // later controls lie above earlier ones (group boxes)
        }
        ci.addedToWindow();
    }
    if (auto* pane = dynamic_cast<PaneChild*>(control.get())) {
        if (auto self = std::dynamic_pointer_cast<Window>(weak_from_this().lock()))
            pane->SetWindow(self);
    }
}

Object* Window::ControlByName(const std::string& name) const {
    ui::requireMainThread();
    for (const auto& e : d->controls)
        if (equalsIgnoringCase(e.name, name))
            return e.object.get();
    return nullptr;
}

Object* Window::ControlByNameIndex(const std::string& name, std::int64_t index) const {
    ui::requireMainThread();
    for (const auto& e : d->controls) {
        if (!equalsIgnoringCase(e.name, name))
            continue;
        if (auto* c = dynamic_cast<Control*>(e.object.get())) {
            if (c->impl().index == index)
                return c;
        } else if (auto* pane = dynamic_cast<PaneChild*>(e.object.get())) {
            if (pane->PaneIndex() == index)
                return e.object.get();
        }
    }
    return nullptr;
}

std::vector<Object*> Window::controls() const {
    ui::requireMainThread();
    std::vector<Object*> out;
    for (const auto& e : d->controls)
        out.push_back(e.object.get());
    return out;
}

std::string Window::Title() const {
    ui::requireMainThread();
    return d->title;
}
void Window::setTitle(const std::string& title) {
    ui::requireMainThread();
    d->title = title;
    d->top->setWindowTitle(ui::toQt(title));
}
std::int64_t Window::Width() const {
    ui::requireMainThread();
    return d->width;
}
void Window::setWidth(std::int64_t w) {
    ui::requireMainThread();
    d->width = std::max<std::int64_t>(0, w);
    d->applySize();
}
std::int64_t Window::Height() const {
    ui::requireMainThread();
    return d->height;
}
void Window::setHeight(std::int64_t h) {
    ui::requireMainThread();
    d->height = std::max<std::int64_t>(0, h);
    d->applySize();
}
void Window::setMinimumWidth(std::int64_t v) {
    ui::requireMainThread();
    d->minWidth = v;
    d->applySize();
}
void Window::setMinimumHeight(std::int64_t v) {
    ui::requireMainThread();
    d->minHeight = v;
    d->applySize();
}
void Window::setMaximumWidth(std::int64_t v) {
    ui::requireMainThread();
    d->maxWidth = v;
    d->applySize();
}
void Window::setMaximumHeight(std::int64_t v) {
    ui::requireMainThread();
    d->maxHeight = v;
    d->applySize();
}
void Window::setResizeable(bool v) {
    ui::requireMainThread();
    d->resizeable = v;
    d->applyFlags();
    d->applySize();
}
void Window::setHasCloseButton(bool v) {
    ui::requireMainThread();
    d->closeButton = v;
    d->applyFlags();
}
void Window::setHasMaximizeButton(bool v) {
    ui::requireMainThread();
    d->maximizeButton = v;
    d->applyFlags();
}
void Window::setHasMinimizeButton(bool v) {
    ui::requireMainThread();
    d->minimizeButton = v;
    d->applyFlags();
}

void Window::setStoredProperty(const std::string& name, const PropertyValue& value) {
    ui::requireMainThread();
    d->stored[asciiLowercase(name)] = value;
    // A background colour of its own applies only while the window says it has one.
    const auto has = d->stored.find("hasbackgroundcolor");
    const auto colour = d->stored.find("backgroundcolor");
    QPalette palette = QApplication::palette(d->content);
    if (has != d->stored.end() && has->second == PropertyValue(true) && colour != d->stored.end() &&
        std::holds_alternative<Color>(colour->second)) {
        const Color c = std::get<Color>(colour->second);
        palette.setColor(QPalette::Window, QColor(c.red, c.green, c.blue));
    }
    d->content->setPalette(palette);
}

const PropertyValue* Window::storedProperty(const std::string& name) const {
    ui::requireMainThread();
    const auto it = d->stored.find(asciiLowercase(name));
    return it == d->stored.end() ? nullptr : &it->second;
}

std::shared_ptr<fw::MenuBar> Window::MenuBar() const {
    ui::requireMainThread();
    return d->ownBar;
}

void Window::setMenuBar(const std::shared_ptr<fw::MenuBar>& bar) {
    ui::requireMainThread();
    d->ownBar = bar;
    if (d->open)
        d->rebuildMenuBar();
}

void Window::Show() {
    ui::requireMainThread();
    // A minimized window comes back as it was before, not only to the front of the task bar.
    if (d->top->isMinimized())
        d->top->setWindowState(d->top->windowState() & ~Qt::WindowMinimized);
    d->top->show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        d->top->raise();
    d->top->activateWindow();
    d->markActive();
}

void Window::Close() {
    ui::requireMainThread();
    if (!d->open || d->closing)
        return;
    d->closing = true;
    std::shared_ptr<Window> self;
    {
        auto& registry = openRegistry();
        std::lock_guard lock(registry.mutex);
        for (const auto& w : registry.windows)
            if (w.window.get() == this)
                self = w.window;
    }
    // The window closes whatever its Close handler does; a failure there still reaches the
    // caller afterwards.
    std::exception_ptr failure;
    try {
        Event_Close();
    } catch (...) {
        failure = std::current_exception();
    }
    d->top->hide();
    {
        auto& registry = openRegistry();
        std::lock_guard lock(registry.mutex);
        auto& ws = registry.windows;
        ws.erase(std::remove_if(ws.begin(), ws.end(),
                                [this](const OpenWindow& w) { return w.window.get() == this; }),
                 ws.end());
    }
    d->open = false;
    d->closing = false;
    if (self)
        releaseLater(std::move(self));
    if (failure)
        std::rethrow_exception(failure);
}

bool Window::isOpen() const {
    ui::requireMainThread();
    return d->open;
}

void Window::AcceptFileDrop(const std::string& /*fileType*/) {
    ui::requireMainThread();
    // Every kind of file is taken: the program only ever asks for "all".
    d->acceptsDrops = true;
    d->content->setAcceptDrops(true);
}

void Window::AddMenuHandler(const std::string& itemName, std::function<bool()> handler) {
    ui::requireMainThread();
    d->menuHandlers[asciiLowercase(itemName)] = std::move(handler);
    d->controlMenuHandlers.erase(asciiLowercase(itemName));
}

void Window::AddMenuHandler(const std::string& itemName, Control& control) {
    ui::requireMainThread();
    const std::string key = asciiLowercase(itemName);
    Impl::ControlHandler bound{control.weak_from_this(), &control, false};
    bound.held = !bound.weak.expired();
    d->menuHandlers[key] = [bound, key]() -> bool {
        Control* c = bound.control();
        return c != nullptr && c->impl().runMenuItem(key);
    };
    d->controlMenuHandlers[key] = bound;
}

}  // namespace fw
