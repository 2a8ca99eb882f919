#pragma once

#include <cstdint>
#include <vector>

#include "engine/framework/propertyblock.h"
#include "helpabout/blockvalues.h"

namespace helpabout::block {

// The window block the help window and the about box share; only their size, frame type and
// compositing differ.
[[nodiscard]] inline std::vector<fw::BlockEntry> windowBlock(std::int64_t width,
                                                             std::int64_t height, std::int64_t type,
                                                             bool composite) {
    return {
        {"Width", Int(width)},
        {"Height", Int(height)},
        {"MinimumWidth", Int(64)},
        {"MinimumHeight", Int(64)},
        {"MaximumWidth", Int(32000)},
        {"MaximumHeight", Int(32000)},
        {"Type", Int(type)},
        {"HasCloseButton", Bool(true)},
        {"HasMaximizeButton", Bool(true)},
        {"HasMinimizeButton", Bool(true)},
        {"HasFullScreenButton", Bool(false)},
        {"FullScreen", Bool(false)},
        {"Resizeable", Bool(true)},
        {"Composite", Bool(composite)},
        {"MacProcID", Int(0)},
        {"DefaultLocation", Int(0)},
        {"Visible", Bool(true)},
        {"HasBackgroundColor", Bool(false)},
        {"BackgroundColor", Colour(white)},
        {"MenuBarVisible", Bool(true)},
        {"LiveResize", Bool(false)},
    };
}

}  // namespace helpabout::block
