#include "platform/testing/testing.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QMimeData>
#include <QPixmap>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "engine/framework/exceptions.h"
#include "platform/ui/controlimpl.h"
#include "platform/ui/menuimpl.h"
#include "platform/ui/runtimestate.h"
#include "platform/ui/uisupport.h"
#include "platform/ui/windowimpl.h"

namespace fw::testing {

namespace {

QWidget* widgetOf(const Control& control) {
    QWidget* w = control.impl().widget;
    if (w == nullptr)
        throw NilObjectException("The control has no widget");
    return w;
}

QWidget* topOf(const Window& window) {
    QWidget* w = window.impl().top;
    if (w == nullptr)
        throw NilObjectException("The window has no widget");
    return w;
}

// Where a user clicks a button: on its indicator for radio buttons and check boxes, whose
// clickable area is the indicator and caption only.
QPoint clickPoint(QWidget* w) {
    if (auto* radio = qobject_cast<QRadioButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        return radio->style()
            ->subElementRect(QStyle::SE_RadioButtonIndicator, &option, radio)
            .center();
    }
    if (auto* check = qobject_cast<QCheckBox*>(w)) {
        QStyleOptionButton option;
        option.initFrom(check);
        return check->style()
            ->subElementRect(QStyle::SE_CheckBoxIndicator, &option, check)
            .center();
    }
    return w->rect().center();
}

// A scroll area (the HTML viewer) takes the mouse on its viewport, as under a real pointer; the
// point is moved into the viewport's coordinates.
QWidget* mouseTarget(QWidget* w, QPoint& at) {
    auto* area = qobject_cast<QAbstractScrollArea*>(w);
    if (area == nullptr)
        return w;
    at = area->viewport()->mapFrom(w, at);
    return area->viewport();
}

void activate(QWidget* top) {
    if (QApplication::activeWindow() == top)
        return;
    top->activateWindow();
    top->raise();
    (void)QTest::qWaitForWindowActive(top, 2000);
}

// The item's action in the bar of that window (menus are parented to the bar that holds them).
QAction* actionIn(const MenuItem& item, const QWidget* top) {
    for (const auto& action : item.impl().actions) {
        if (action == nullptr)
            continue;
        auto* holder = qobject_cast<QWidget*>(action->parent());
        while (qobject_cast<QMenu*>(holder) != nullptr)
            holder = holder->parentWidget();
        if (holder != nullptr && holder->window() == top)
            return action;
    }
    return nullptr;
}

QMenu* menuOf(QAction* action) {
    return qobject_cast<QMenu*>(action->parent());
}

std::shared_ptr<MenuItem> shownItem(Window& window, const std::string& name) {
    const std::shared_ptr<fw::MenuBar> bar = window.impl().builtFrom;
    return bar ? bar->Lookup(name) : nullptr;
}

// The active window and the item of that name on its shown menu bar; no item when either is
// missing.
struct ActiveItem {
    Window* window = nullptr;
    std::shared_ptr<MenuItem> item;
};

[[nodiscard]] ActiveItem activeShownItem(const std::string& name) {
    Window* window = activeWindowForMenus();
    if (window == nullptr)
        return {};
    return {window, shownItem(*window, name)};
}

void sendDrop(Window& window, QMimeData* mime) {
    QWidget* content = window.impl().content;
    std::unique_ptr<QMimeData> owned(mime);
    if (content == nullptr || !content->acceptDrops())
        return;
    const QPoint at = content->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(content, &enter);
    if (!enter.isAccepted())
        return;
    QDropEvent drop(QPointF(at), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(content, &drop);
}

}  // namespace

void click(Control& control) {
    ui::requireMainThread();
    QWidget* w = widgetOf(control);
    QPoint at = clickPoint(w);
    w = mouseTarget(w, at);
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, at);
}

void pressAt(Control& control, int x, int y) {
    ui::requireMainThread();
    QWidget* w = widgetOf(control);
    QPoint at(x, y);
    w = mouseTarget(w, at);
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, at);
}

void pressOnBackground(Window& window, int x, int y) {
    ui::requireMainThread();
    QWidget* content = window.impl().content;
    QWidget* target = content->childAt(x, y);
    if (target == nullptr)
        target = content;
    const QPoint at = target->mapFrom(content, QPoint(x, y));
    QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, at);
}

void typeInto(Control& field, const std::string& text) {
    ui::requireMainThread();
    auto* edit = qobject_cast<QLineEdit*>(widgetOf(field));
    if (edit == nullptr)
        throw RuntimeException("typeInto needs a text field");
    activate(edit->window());
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    if (text.empty()) {
        QTest::keyClick(edit, Qt::Key_Backspace);
        return;
    }
    for (const QChar ch : ui::toQt(text)) {
        if (ch.unicode() < 128 && ch.unicode() >= 32)
            QTest::keyClick(edit, static_cast<char>(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

void chooseRow(Control& popup, int row) {
    ui::requireMainThread();
    auto* combo = qobject_cast<QComboBox*>(widgetOf(popup));
    if (combo == nullptr)
        throw RuntimeException("chooseRow needs a pop-up menu");
    if (!combo->isEnabled() || row < 0 || row >= combo->count())
        return;
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    view->setCurrentIndex(combo->model()->index(row, combo->modelColumn()));
    QTest::keyClick(view, Qt::Key_Return);
    if (view->isVisible())
        combo->hidePopup();
}

void pressKeys(Window& window, const std::string& keys) {
    ui::requireMainThread();
    QWidget* top = topOf(window);
    activate(top);
    const QKeySequence sequence = QKeySequence::fromString(ui::toQt(keys));
    for (int i = 0; i < sequence.count(); ++i) {
        const QKeyCombination combination = sequence[i];
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr || target->window() != top)
            target = top;
        QTest::keyClick(target, combination.key(), combination.keyboardModifiers());
    }
}

void dropUris(Window& window, const std::vector<std::string>& uris) {
    ui::requireMainThread();
    QByteArray list;
    for (const auto& uri : uris)
        list += QByteArray::fromStdString(uri) + "\r\n";
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("text/uri-list"), list);
    sendDrop(window, mime);
}

void dropPlainText(Window& window, const std::string& text) {
    ui::requireMainThread();
    auto* mime = new QMimeData;
    mime->setText(ui::toQt(text));
    sendDrop(window, mime);
}

void closeFromTitleBar(Window& window) {
    ui::requireMainThread();
    topOf(window)->close();
}

void answerNextFolderDialog(const std::string& folder) {
    ui::requireMainThread();
    auto* poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, poll, [poll, folder] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        poll->deleteLater();
        if (folder.empty()) {
            dialog->reject();
            return;
        }
        // Into the folder, with no name typed: the dialog answers the folder it shows.
        dialog->setDirectory(QFile::decodeName(QByteArray::fromStdString(folder)));
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->clear();
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, as the OK button does
    });
    poll->start(10);
}

void minimize(Window& window) {
    ui::requireMainThread();
    topOf(window)->showMinimized();
    processEvents();
}

bool isMinimized(const Window& window) {
    ui::requireMainThread();
    return topOf(window)->isMinimized();
}

bool isActive(const Window& window) {
    ui::requireMainThread();
    return QApplication::activeWindow() == topOf(window);
}

std::vector<int> iconSizes(const Window& window) {
    ui::requireMainThread();
    std::vector<int> widths;
    for (const QSize& size : topOf(window)->windowIcon().availableSizes())
        widths.push_back(size.width());
    std::sort(widths.begin(), widths.end());
    return widths;
}

bool chooseMenuItem(const std::string& itemName) {
    ui::requireMainThread();
    const auto [window, item] = activeShownItem(itemName);
    if (!item)
        return false;
    QAction* action = actionIn(*item, window->impl().top);
    QMenu* menu = action != nullptr ? menuOf(action) : nullptr;
    if (menu == nullptr)
        return menus::choose(*window, *item);
    // Opening the menu runs the enabling pass and shows its outcome on the actions.
    menu->popup(window->impl().top->mapToGlobal(QPoint(0, 0)));
    const bool enabled = action->isEnabled();
    menu->hide();
    if (!enabled)
        return false;
    action->trigger();
    return true;
}

bool menuItemEnabled(const std::string& itemName) {
    ui::requireMainThread();
    const auto [window, item] = activeShownItem(itemName);
    if (!item)
        return false;
    menus::runEnablingPass(*window, *window->impl().builtFrom);
    return item->Enabled();
}

Window* activeWindow() {
    ui::requireMainThread();
    return activeWindowForMenus();
}

Control* focusedControl(Window& window) {
    ui::requireMainThread();
    QWidget* top = topOf(window);
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || focus->window() != top)
        focus = top->focusWidget();
    Control* control = controlForWidget(focus);
    return control != nullptr && control->impl().window == &window ? control : nullptr;
}

bool wholeInView(const Control& control, const Window& window) {
    ui::requireMainThread();
    const Control::Impl& c = control.impl();
    const Window::Impl& w = window.impl();
    return c.visible && c.left >= 0 && c.top >= 0 && c.left + c.width <= w.width &&
           c.top + c.height <= w.height;
}

Placement placementOf(const Control& control) {
    ui::requireMainThread();
    const QWidget* w = widgetOf(control);
    const QRect r = w->geometry();
    return {r.x(), r.y(), r.width(), r.height(), w->isVisibleTo(w->window())};
}

Color inkOf(Control& control) {
    ui::requireMainThread();
    const QImage image = widgetOf(control)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = -1;
    for (const auto& [colour, count] : counts)
        if (count > most) {
            most = count;
            background = colour;
        }
    const auto distance = [background](QRgb c) {
        return std::abs(qRed(c) - qRed(background)) + std::abs(qGreen(c) - qGreen(background)) +
               std::abs(qBlue(c) - qBlue(background));
    };
    QRgb ink = background;
    for (const auto& [colour, count] : counts)
        if (distance(colour) > distance(ink))
            ink = colour;
    return RGB(qRed(ink), qGreen(ink), qBlue(ink), 0);
}

bool grabToFile(Window& window, const std::string& path) {
    ui::requireMainThread();
    return topOf(window)->grab().save(QString::fromStdString(path), "PNG");
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        QTest::qWait(5);
    }
}

void processEvents() {
    for (int round = 0; round < 4; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

void post(std::function<void()> code) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [code = std::move(code)] { ui::runGuarded(code); },
        Qt::QueuedConnection);
}

std::string clipboardText() {
    ui::requireMainThread();
    return ui::fromQt(QGuiApplication::clipboard()->text());
}

void setClipboardText(const std::string& text) {
    ui::requireMainThread();
    QGuiApplication::clipboard()->setText(ui::toQt(text));
}

int alphaAt(const std::string& file, int x, int y) {
    const QImage image(QFile::decodeName(QByteArray::fromStdString(file)));
    if (image.isNull() || !image.valid(x, y))
        return -1;
    return qAlpha(image.pixel(x, y));
}

void setProgressValueHandler(std::function<void(double)> handler) {
    ui::setProgressValueHandler(std::move(handler));
}

void resetRuntime() {
    fw::platform::resetRuntimeForTests();
}

}  // namespace fw::testing
