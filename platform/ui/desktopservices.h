#pragma once

// The desktop's answers to Beep, ShowURL and an exception that escaped a progress handler, in
// place of the core area's silent defaults. Installed when the application starts (RuntimeInit).
namespace fw::ui {

void installDesktopServices();

}  // namespace fw::ui
