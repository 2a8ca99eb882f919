#pragma once

#include "platform/core/systemservices.h"

// Seams for tests: record what would reach the desktop instead of reaching it. Empty restores the
// platform's own handler.
namespace fw::testing {

void setShowURLHandler(platform::ShowURLHandler handler);
void setBeepHandler(platform::BeepHandler handler);
void setLocalizedStringHandler(platform::LocalizedStringHandler handler);

}  // namespace fw::testing
