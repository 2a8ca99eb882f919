#include "engine/foldersuffix.h"

#include "engine/framework/text.h"
#include "strings/loc.h"

namespace {

std::string proportionalSuffix(const BatchSettings& s) {
    const std::string size = fw::Str(s.proportionalSize);
    const auto mode = proportionalModeOf(s.proportionalMode);
    if (!mode)
        return {};
    switch (*mode) {
        case ProportionalMode::BiggestSide:
            return " (" + loc::initialbiggest("") + size + ")";
        case ProportionalMode::SmallestSide:
            return " (" + loc::initialsmallest("") + size + ")";
        case ProportionalMode::Width:
            return " (" + loc::initialwidth("") + size + ")";
        case ProportionalMode::Height:
            return " (" + loc::initialheight("") + size + ")";
        case ProportionalMode::Percent:
            return " (" + size + "%)";
    }
    return {};
}

std::string independentSuffix(const BatchSettings& s) {
    const std::string widthUnit =
        sizeUnitOf(s.independentWidthMode) == SizeUnit::Percent ? "%" : "";
    const std::string heightUnit =
        sizeUnitOf(s.independentHeightMode) == SizeUnit::Percent ? "%" : "";
    return " (" + loc::initialwidth("") + fw::Str(s.independentWidth) + widthUnit + ", " +
           loc::initialheight("") + fw::Str(s.independentHeight) + heightUnit + ")";
}

std::string boxSuffix(const BatchSettings& s) {
    return " (" + fw::Str(s.boxWidth) + "x" + fw::Str(s.boxHeight) + ")";
}

}  // namespace

std::string foldersuffix(const BatchSettings& settings) {
    switch (resizeRuleOf(settings.resizeType)) {
        case ResizeRule::Proportional:
            return proportionalSuffix(settings);
        case ResizeRule::Independent:
            return independentSuffix(settings);
        case ResizeRule::Box:
            return boxSuffix(settings);
    }
    return {};
}
