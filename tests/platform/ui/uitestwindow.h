#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/framework/controls.h"
#include "engine/framework/dragitem.h"
#include "engine/framework/window.h"
#include "platform/testing/testing.h"
#include "platform/ui/runtimestate.h"

// A window whose set-up and events are given by the test.
class TestWindow : public fw::Window {
public:
    [[nodiscard]] std::string ClassName() const override { return className; }

    void Layout() override {
        log.push_back("Layout");
        if (onLayout)
            onLayout(*this);
    }
    void CreateControls() override {
        log.push_back("CreateControls");
        if (onCreate)
            onCreate(*this);
    }
    void AddMenuHandlers(fw::Window& /*window*/) override {
        log.push_back("AddMenuHandlers");
        if (onMenuHandlers)
            onMenuHandlers(*this);
    }
    void Event_Open() override {
        log.push_back(fw::Window::FindOpen(className).get() == this ? "Open(registered)"
                                                                    : "Open(unregistered)");
        if (onOpen)
            onOpen(*this);
    }
    void Event_Close() override {
        log.push_back("Close");
        if (onClose)
            onClose(*this);
    }
    void Event_DropObject(fw::DragItem& item, std::int64_t /*action*/) override {
        std::vector<fw::DragItem::Entry> seen;
        do {
            seen.push_back({item.FolderItem(), item.Text()});
        } while (item.NextItem());
        drops.push_back(seen);
    }
    void Event_EnableMenuItems() override {
        if (onEnableMenuItems)
            onEnableMenuItems(*this);
    }
    bool Event_MouseDown(std::int64_t x, std::int64_t y) override {
        presses.push_back({x, y});
        if (onMouseDown)
            onMouseDown(*this);
        return true;
    }

    template <typename T>
    std::shared_ptr<T> add(const std::string& name, int left, int top, int width, int height,
                           const std::string& container = "") {
        auto control = std::make_shared<T>();
        AddControl(control, name);
        control->setInitialParent(container);
        control->setLeft(left);
        control->setTop(top);
        control->setWidth(width);
        control->setHeight(height);
        return control;
    }

    std::string className = "Test.Window";
    std::function<void(TestWindow&)> onLayout, onCreate, onMenuHandlers, onOpen, onClose,
        onEnableMenuItems, onMouseDown;
    std::vector<std::string> log;
    std::vector<std::vector<fw::DragItem::Entry>> drops;
    std::vector<std::pair<std::int64_t, std::int64_t>> presses;
};

// Opens a window built by the callbacks; closes it (and forgets any quit) at the end of the test.
class OpenedWindow {
public:
    explicit OpenedWindow(const std::function<void(TestWindow&)>& setUp,
                          const std::string& className = "Test.Window") {
        window = std::make_shared<TestWindow>();
        window->className = className;
        setUp(*window);
        window->Constructor();
        fw::testing::processEvents();
    }
    ~OpenedWindow() {
        window->onClose = nullptr;
        window->Close();
        fw::testing::processEvents();
        fw::platform::resetRuntimeForTests();
    }
    OpenedWindow(const OpenedWindow&) = delete;
    OpenedWindow& operator=(const OpenedWindow&) = delete;
    TestWindow* operator->() const { return window.get(); }
    TestWindow& operator*() const { return *window; }

    std::shared_ptr<TestWindow> window;
};
