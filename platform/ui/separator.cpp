#include <QPainter>
#include <QWidget>

#include "engine/framework/controls.h"
#include "platform/ui/controlimpl.h"

namespace fw {

namespace {

// Only a line: horizontal through the middle, or vertical when taller than wide.
class SeparatorWidget : public QWidget {
protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        const QColor dark = palette().color(QPalette::Mid);
        const QColor light = palette().color(QPalette::Light);
        if (width() >= height()) {
            const int y = height() / 2 - 1;
            painter.setPen(dark);
            painter.drawLine(0, y, width() - 1, y);
            painter.setPen(light);
            painter.drawLine(0, y + 1, width() - 1, y + 1);
        } else {
            const int x = width() / 2 - 1;
            painter.setPen(dark);
            painter.drawLine(x, 0, x, height() - 1);
            painter.setPen(light);
            painter.drawLine(x + 1, 0, x + 1, height() - 1);
        }
    }
};

struct SeparatorImpl : Control::Impl {
    SeparatorImpl() { attach(new SeparatorWidget()); }
};

}  // namespace

Separator::Separator() : Control(std::make_unique<SeparatorImpl>()) {}

}  // namespace fw
