#include "engine/foldersuffix.h"

#include "engine/framework/text.h"
#include "engine/threadresize.h"
#include "strings/loc.h"

namespace {

std::string proportionalSuffix(const threadResize& s) {
    const std::string size = fw::Str(s.proportionalSize);
    switch (s.proportionalMode) {
        case 0:
            return " (" + loc::initialbiggest("") + size + ")";
        case 1:
            return " (" + loc::initialsmallest("") + size + ")";
        case 2:
            return " (" + loc::initialwidth("") + size + ")";
        case 3:
            return " (" + loc::initialheight("") + size + ")";
        case 4:
            return " (" + size + "%)";
        default:
            return {};
    }
}

std::string independentSuffix(const threadResize& s) {
    // A mode other than 0 means percent.
    const std::string widthUnit = s.independentWidthMode != 0 ? "%" : "";
    const std::string heightUnit = s.independentHeightMode != 0 ? "%" : "";
    return " (" + loc::initialwidth("") + fw::Str(s.independentWidth) + widthUnit + ", " +
           loc::initialheight("") + fw::Str(s.independentHeight) + heightUnit + ")";
}

std::string boxSuffix(const threadResize& s) {
    return " (" + fw::Str(s.boxWidth) + "x" + fw::Str(s.boxHeight) + ")";
}

}  // namespace

std::string foldersuffix(const threadResize& settings) {
    switch (settings.resizeType) {
        case 0:
            return proportionalSuffix(settings);
        case 1:
            return independentSuffix(settings);
        default:
            return boxSuffix(settings);
    }
}
