#pragma once

#include <QFont>
#include <QIcon>
#include <QString>

#include <functional>
#include <string>

// Helpers shared by the window, control and menu classes of the platform.
namespace fw::ui {

// Raises ThreadAccessingUIException off the main thread, and RuntimeException when no widget
// application exists (a widget cannot be made without one).
void requireMainThread();

// Runs a piece of program code that the platform calls from a Qt event (a control's event, a
// menu handler, a window event, a drop): what escapes it goes to the unhandled-exception report
// instead of unwinding through Qt.
void runGuarded(const std::function<void()>& code);

[[nodiscard]] inline QString toQt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
[[nodiscard]] inline std::string fromQt(const QString& text) {
    return text.toUtf8().toStdString();
}

// Line ends as written in the program's texts (CR, CR LF) become the newline Qt expects.
[[nodiscard]] QString withNewlines(const std::string& text);

// From now on the handler sees every value set on any progress bar, in order (main thread); an
// empty handler stops it. The seam of the test-driving API.
void setProgressValueHandler(std::function<void(double)> handler);

// The program's icon: the pictures it carries in its resources under /icons (one per size).
[[nodiscard]] QIcon applicationIcon();

// The standard pixel size of texts whose size is 0, and the font "System" stands for: one
// concrete family on every desktop (DejaVu Sans, else the platform's default when it is missing),
// so that captions fit the geometry the layouts give them.
inline constexpr int standardPixelSize = 12;
[[nodiscard]] QString systemFamily();
[[nodiscard]] QFont fontFor(const std::string& name, double size, bool bold, bool italic,
                            bool underline);

}  // namespace fw::ui
