#pragma once

#include <exception>
#include <functional>
#include <string>

// Who answers the system services that need more than QtCore. A process without windows keeps the
// defaults: Beep and ShowURL do nothing (there is no desktop to reach), GetLocalizedString reads
// the English text, and an exception that escaped a progress handler is written to stderr. The ui
// area sets the desktop's own handlers when the application starts (RuntimeInit); tests set
// recorders. Each set replaces the handler before it; an empty one restores the default.
// Thread-safe.
namespace fw::platform {

using ShowURLHandler = std::function<void(const std::string& url)>;
using BeepHandler = std::function<void()>;
// Answers GetLocalizedString in place of the built-in lookup, with the three texts it was given.
using LocalizedStringHandler = std::function<std::string(
    const std::string& key, const std::string& english, const std::string& language)>;
using UnhandledExceptionHandler = std::function<void(std::exception_ptr)>;

void setShowURLHandler(ShowURLHandler handler);
void setBeepHandler(BeepHandler handler);
void setLocalizedStringHandler(LocalizedStringHandler handler);
void setUnhandledExceptionHandler(UnhandledExceptionHandler handler);
[[nodiscard]] ShowURLHandler currentShowURLHandler();
[[nodiscard]] BeepHandler currentBeepHandler();
[[nodiscard]] LocalizedStringHandler currentLocalizedStringHandler();

// Hands an exception that escaped a handler on the main thread to the unhandled-exception handler.
void reportUnhandledException(std::exception_ptr e);

}  // namespace fw::platform
