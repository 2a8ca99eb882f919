#pragma once

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/framework/color.h"
#include "engine/framework/control.h"
#include "engine/framework/window.h"

// Drives the real widgets with real input events, for tests under QT_QPA_PLATFORM=offscreen.
// Declared without Qt so that tests of program code need no Qt headers.
namespace fw::testing {

// A left click in the middle of the control.
void click(Control& control);
// A press at a point of the control (control coordinates).
void pressAt(Control& control, int x, int y);
// A press on the window's background at content coordinates.
void pressOnBackground(Window& window, int x, int y);
// Focuses the field, selects all and types the text (an empty text clears the field).
void typeInto(Control& field, const std::string& text);
// Chooses a row of a pop-up as the user does (opening it and picking the row).
void chooseRow(Control& popup, int row);
// A key sequence such as "Return", "Escape", "Tab", "Ctrl+Q", "Ctrl+?" sent to the window.
void pressKeys(Window& window, const std::string& keys);
// A drop of these text/uri-list lines (or, with plainText, of plain text) on the window.
void dropUris(Window& window, const std::vector<std::string>& uris);
void dropPlainText(Window& window, const std::string& text);
// Answers the next folder dialog that opens (the real one, modal) as the user does: the folder
// is chosen and the dialog accepted; an empty path cancels it.
void answerNextFolderDialog(const std::string& folder);
// Closes the window as its title bar's close button does.
void closeFromTitleBar(Window& window);
// Minimizes the window as its title bar's button does.
void minimize(Window& window);
[[nodiscard]] bool isMinimized(const Window& window);
// Whether the window is the active one (it has the keyboard).
[[nodiscard]] bool isActive(const Window& window);
// The widths of the pictures of the window's icon, smallest first.
[[nodiscard]] std::vector<int> iconSizes(const Window& window);
// Chooses a menu item by name, as the user does: the enabling pass first, then the handler.
// Returns false when the item was disabled.
bool chooseMenuItem(const std::string& itemName);
// Runs the enabling pass for the active window and tells whether the item is enabled.
bool menuItemEnabled(const std::string& itemName);
// The window that has the focus (or was shown last); nullptr when none.
Window* activeWindow();
// The control that has the keyboard focus; nullptr when none.
Control* focusedControl(Window& window);
// Whether the control lies wholly inside the window's content area at its current size.
bool wholeInView(const Control& control, const Window& window);
// Where the control's widget stands in the window's content area, and whether it is shown there.
struct Placement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool shown = false;
    bool operator==(const Placement&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const Placement& p) {
        return out << p.left << ", " << p.top << ", " << p.width << ", " << p.height
                   << (p.shown ? " shown" : " hidden");
    }
};
[[nodiscard]] Placement placementOf(const Control& control);
// The colour that stands out most from the control's background as it is drawn now: the colour
// of a label's text.
[[nodiscard]] Color inkOf(Control& control);
// Writes a picture of the window (its content, menu bar included) to a PNG file.
bool grabToFile(Window& window, const std::string& path);
// Processes events until the condition holds or the timeout passes; returns the condition.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(20));
void processEvents();
// Runs the code from the event loop, after the events already queued.
void post(std::function<void()> code);
// The opacity (0 clear .. 255 opaque) of a pixel of a picture file, as Qt's own image reader sees
// it; -1 when the file does not open or the point lies outside. For checks of what was saved.
int alphaAt(const std::string& file, int x, int y);
// The clipboard's plain text, read and replaced as another program would.
[[nodiscard]] std::string clipboardText();
void setClipboardText(const std::string& text);
// From now on the handler sees every value set on any progress bar, in order (main thread); an
// empty handler stops it.
void setProgressValueHandler(std::function<void(double)> handler);
// Forgets an earlier quit or unhandled exception, so that the next RuntimeRun starts clean and
// RuntimeExitCode reads 0 again.
void resetRuntime();

}  // namespace fw::testing
