#include "platform/core/quietwarnings.h"

#include <QLoggingCategory>

#include <cstring>

namespace fw::platform {

namespace {

int depth = 0;
QLoggingCategory::CategoryFilter previousFilter = nullptr;

// A filter, not a one-off switch: Qt applies its logging rules again while it sets up, and each
// time it asks the filter.
void withoutPlainWarnings(QLoggingCategory* category) {
    if (previousFilter != nullptr)
        previousFilter(category);
    if (std::strcmp(category->categoryName(), "default") == 0)
        category->setEnabled(QtWarningMsg, false);
}

}  // namespace

QuietPlainWarnings::QuietPlainWarnings() {
    if (depth++ == 0)
        previousFilter = QLoggingCategory::installFilter(withoutPlainWarnings);
}

QuietPlainWarnings::~QuietPlainWarnings() {
    if (--depth == 0)
        QLoggingCategory::installFilter(previousFilter);
}

}  // namespace fw::platform
