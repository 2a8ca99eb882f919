#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "engine/framework/classregistry.h"
#include "engine/framework/object.h"

namespace fw {

class Window;

// Base of every control. All members raise ThreadAccessingUIException off the main thread.
// Geometry is in pixels of the window's content area, also for controls inside a group box.
class Control : public Object {
public:
    static constexpr std::int64_t NoIndex = -2147483648LL;  // not a member of a control array

    ~Control() override;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    [[nodiscard]] std::string Name() const;
    void setName(const std::string& name);
    [[nodiscard]] std::int64_t Index() const;
    void setIndex(std::int64_t index);

    [[nodiscard]] bool Enabled() const;
    void setEnabled(bool enabled);
    [[nodiscard]] bool Visible() const;
    void setVisible(bool visible);

    [[nodiscard]] std::int64_t Left() const;
    [[nodiscard]] std::int64_t Top() const;
    [[nodiscard]] std::int64_t Width() const;
    [[nodiscard]] std::int64_t Height() const;
    void setLeft(std::int64_t v);
    void setTop(std::int64_t v);
    void setWidth(std::int64_t v);
    void setHeight(std::int64_t v);

    [[nodiscard]] std::int64_t TabIndex() const;
    void setTabIndex(std::int64_t v);
    [[nodiscard]] bool TabStop() const;
    void setTabStop(bool v);
    // The container by name: a group box of the same window, or "" for the window itself.
    [[nodiscard]] std::string InitialParent() const;
    void setInitialParent(const std::string& name);

    void setFontName(const std::string& name);
    void setFontSize(double points);  // 0: the platform's standard size
    void setBold(bool v);
    void setItalic(bool v);
    void setUnderline(bool v);
    [[nodiscard]] bool Italic() const;

    // The window that holds the control; nullptr before it is added.
    [[nodiscard]] fw::Window* window() const;

    // Block values that carry no behaviour here (tooltips, data bindings, locks, ...) are kept as
    // they were set, so that they can be read back.
    void setStoredProperty(const std::string& name, const PropertyValue& value);
    [[nodiscard]] const PropertyValue* storedProperty(const std::string& name) const;

    struct Impl;
    [[nodiscard]] Impl& impl() const { return *d; }

protected:
    explicit Control(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> d;
};

// An object that is not a control but that a window keeps in its list of controls.
class PaneChild {
public:
    virtual ~PaneChild() = default;
    virtual void SetWindow(const std::shared_ptr<fw::Window>& window) = 0;
    [[nodiscard]] virtual std::shared_ptr<fw::Window> Window() const = 0;
    [[nodiscard]] virtual std::int64_t PaneIndex() const = 0;
    virtual void SetIndex(std::int64_t index) = 0;
};

}  // namespace fw
