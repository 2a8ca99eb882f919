#pragma once

#include <cstdint>
#include <optional>

// The plain worker settings of one batch, in declaration order; the fifteenth, the source folder
// dir, is a reference that the worker holds beside them. The window writes every setting before
// each start; the batch only reads them. The integer fields stay plain 64-bit integers, because
// any value can reach them (a preferences file, a layout block, the batch tool): the functions
// below say what each value means, out-of-range ones included.
struct BatchSettings {
    std::int64_t pictureType = 0;       // PictureType
    std::int64_t proportionalMode = 0;  // ProportionalMode
    bool bigger = false;                // True: each side is clamped to the source's
    std::int64_t resizeType = 0;        // ResizeRule
    std::int64_t proportionalSize = 0;  // pixels, or percent in ProportionalMode::Percent
    std::int64_t boxWidth = 0;
    std::int64_t boxHeight = 0;
    std::int64_t independentHeight = 0;      // pixels or percent, by independentHeightMode
    std::int64_t independentWidth = 0;       // pixels or percent, by independentWidthMode
    std::int64_t independentWidthMode = 0;   // SizeUnit
    std::int64_t independentHeightMode = 0;  // SizeUnit
    std::int64_t jpegQuality = 0;            // handed to the save, for PNG as well
    bool nameWeb = false;                    // web-ready output names
    bool nameDOS = false;                    // web-ready names cut to 8 characters
};

// The resizing rule: the index of the selected RBType radio button.
enum class ResizeRule : std::int64_t { Proportional = 0, Independent = 1, Box = 2 };
// Every value other than 0 and 1 is box.
[[nodiscard]] constexpr ResizeRule resizeRuleOf(std::int64_t resizeType) {
    if (resizeType == 0)
        return ResizeRule::Proportional;
    if (resizeType == 1)
        return ResizeRule::Independent;
    return ResizeRule::Box;
}

// The proportional reference: the rows of the PMPType pop-up.
enum class ProportionalMode : std::int64_t {
    BiggestSide = 0,
    SmallestSide = 1,
    Width = 2,
    Height = 3,
    Percent = 4,
};
// Nothing for a value outside 0..4: such a mode leaves the target size as it was and gives an
// empty folder suffix.
[[nodiscard]] constexpr std::optional<ProportionalMode> proportionalModeOf(std::int64_t mode) {
    if (mode < 0 || mode > 4)
        return std::nullopt;
    return static_cast<ProportionalMode>(mode);
}

// The unit of an independent side: the rows of the PMIWidth and PMIHeight pop-ups.
enum class SizeUnit : std::int64_t { Pixels = 0, Percent = 1 };
// Every value other than 0 is percent.
[[nodiscard]] constexpr SizeUnit sizeUnitOf(std::int64_t mode) {
    return mode == 0 ? SizeUnit::Pixels : SizeUnit::Percent;
}

// The export format: the rows of the PMExportFormat pop-up.
enum class PictureType : std::int64_t { JPEG = 0, PNG = 1 };
// Every value other than 1 is JPEG.
[[nodiscard]] constexpr PictureType pictureTypeOf(std::int64_t pictureType) {
    return pictureType == 1 ? PictureType::PNG : PictureType::JPEG;
}

// The stored value of a named one (a setting, a pop-up row, a radio button's index).
template <typename Named>
[[nodiscard]] constexpr std::int64_t valueOf(Named named) {
    return static_cast<std::int64_t>(named);
}
