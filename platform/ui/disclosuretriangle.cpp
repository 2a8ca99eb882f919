#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include <algorithm>

#include "engine/framework/controls.h"
#include "platform/ui/controlimpl.h"
#include "platform/ui/uisupport.h"

namespace fw {

namespace {

struct DisclosureTriangleImpl;

// A small triangle: pointing down when open, right when closed.
class TriangleWidget : public QWidget {
public:
    explicit TriangleWidget(DisclosureTriangleImpl* impl) : m_impl(impl) {
        setFocusPolicy(Qt::StrongFocus);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    DisclosureTriangleImpl* m_impl;
};

struct DisclosureTriangleImpl : Control::Impl {
    DisclosureTriangleImpl() {
        triangle = new TriangleWidget(this);
        attach(triangle);
    }
    void storedPropertyChanged(const std::string& lowerName) override {
        Control::Impl::storedPropertyChanged(lowerName);
        if (lowerName != "allowfocus")
            return;
        const auto& v = stored[lowerName];
        naturalFocus =
            std::holds_alternative<bool>(v) && !std::get<bool>(v) ? Qt::NoFocus : Qt::StrongFocus;
        triangle->setFocusPolicy(naturalFocus);
        applyTabStop();
    }
    // The user's click: flips the value, then Action.
    void toggleByUser() {
        value = !value;
        triangle->update();
        auto& t = static_cast<DisclosureTriangle&>(*owner);
        ui::runGuarded([&] { t.Action.raise(t); });
    }
    TriangleWidget* triangle;
    bool value = false;
};

void TriangleWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height()) - 2;
    const QPointF c = QRectF(rect()).center();
    QPainterPath path;
    if (m_impl->value) {
        path.moveTo(c.x() - side / 2, c.y() - side / 4);
        path.lineTo(c.x() + side / 2, c.y() - side / 4);
        path.lineTo(c.x(), c.y() + side / 3);
    } else {
        path.moveTo(c.x() - side / 4, c.y() - side / 2);
        path.lineTo(c.x() - side / 4, c.y() + side / 2);
        path.lineTo(c.x() + side / 3, c.y());
    }
    path.closeSubpath();
    const QColor ink =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
    painter.fillPath(path, ink);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void TriangleWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    m_impl->toggleByUser();
}

void TriangleWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space) {
        event->accept();
        m_impl->toggleByUser();
        return;
    }
    QWidget::keyPressEvent(event);
}

DisclosureTriangleImpl& dataOf(const DisclosureTriangle& t) {
    return static_cast<DisclosureTriangleImpl&>(t.impl());
}

}  // namespace

DisclosureTriangle::DisclosureTriangle() : Control(std::make_unique<DisclosureTriangleImpl>()) {}

bool DisclosureTriangle::Value() const {
    ui::requireMainThread();
    return dataOf(*this).value;
}

void DisclosureTriangle::setValue(bool open) {
    ui::requireMainThread();
    dataOf(*this).value = open;
    dataOf(*this).triangle->update();
}

}  // namespace fw
