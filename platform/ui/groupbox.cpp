#include <QGroupBox>

#include "engine/framework/controls.h"
#include "platform/ui/controlimpl.h"
#include "platform/ui/uisupport.h"

namespace fw {

namespace {

// A frame with a title; the controls inside it are its siblings in the window's content area.
struct GroupBoxImpl : Control::Impl {
    GroupBoxImpl() {
        box = new QGroupBox();
        box->setFlat(false);
        attach(box);
    }
    QGroupBox* box;
    std::string caption;
};

GroupBoxImpl& dataOf(const GroupBox& g) {
    return static_cast<GroupBoxImpl&>(g.impl());
}

}  // namespace

GroupBox::GroupBox() : Control(std::make_unique<GroupBoxImpl>()) {}

std::string GroupBox::Caption() const {
    ui::requireMainThread();
    return dataOf(*this).caption;
}

void GroupBox::setCaption(const std::string& text) {
    ui::requireMainThread();
    auto& d = dataOf(*this);
    d.caption = text;
    d.box->setTitle(ui::withNewlines(text));
}

}  // namespace fw
