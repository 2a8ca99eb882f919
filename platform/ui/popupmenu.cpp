#include <QComboBox>
#include <QSignalBlocker>

#include <vector>

#include "engine/framework/controls.h"
#include "engine/framework/exceptions.h"
#include "platform/ui/controlimpl.h"
#include "platform/ui/uisupport.h"

namespace fw {

namespace {

// The items of one text: a CR, a CR LF pair (or a lone LF) ends each item.
std::vector<std::string> splitItems(const std::string& items) {
    std::vector<std::string> rows;
    std::string current;
    bool pending = false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const char c = items[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < items.size() && items[i + 1] == '\n')
                ++i;
            rows.push_back(current);
            current.clear();
            pending = false;
        } else {
            current.push_back(c);
            pending = true;
        }
    }
    if (pending)
        rows.push_back(current);
    return rows;
}

struct PopupMenuImpl : Control::Impl {
    PopupMenuImpl() {
        combo = new QComboBox();
        combo->setEditable(false);
        attach(combo);
        QObject::connect(combo, &QComboBox::currentIndexChanged, combo, [this](int row) {
            // The user's choice; code changes update the held row first and raise their own.
            if (row == listIndex)
                return;
            listIndex = row;
            auto& popup = static_cast<PopupMenu&>(*owner);
            ui::runGuarded([&] { popup.Change.raise(popup); });
        });
    }

    void showRow() {
        const QSignalBlocker quiet(combo);
        combo->setCurrentIndex(static_cast<int>(listIndex));
    }

    QComboBox* combo;
    std::vector<std::string> rows;
    std::string initialValue;
    std::int64_t listIndex = -1;
};

PopupMenuImpl& dataOf(const PopupMenu& p) {
    return static_cast<PopupMenuImpl&>(p.impl());
}

}  // namespace

PopupMenu::PopupMenu() : Control(std::make_unique<PopupMenuImpl>()) {}

void PopupMenu::setInitialValue(const std::string& items) {
    ui::requireMainThread();
    auto& d = dataOf(*this);
    d.initialValue = items;
    {
        const QSignalBlocker quiet(d.combo);
        d.combo->clear();
    }
    d.rows.clear();
    for (const auto& row : splitItems(items))
        AddRow(row);
    setListIndex(-1);
}

std::string PopupMenu::InitialValue() const {
    ui::requireMainThread();
    return dataOf(*this).initialValue;
}

void PopupMenu::AddRow(const std::string& text) {
    ui::requireMainThread();
    auto& d = dataOf(*this);
    d.rows.push_back(text);
    {
        const QSignalBlocker quiet(d.combo);
        d.combo->addItem(ui::toQt(text));
    }
    d.showRow();
}

void PopupMenu::DeleteAllRows() {
    ui::requireMainThread();
    auto& d = dataOf(*this);
    d.rows.clear();
    {
        const QSignalBlocker quiet(d.combo);
        d.combo->clear();
    }
    setListIndex(-1);
}

std::int64_t PopupMenu::RowCount() const {
    ui::requireMainThread();
    return static_cast<std::int64_t>(dataOf(*this).rows.size());
}

std::string PopupMenu::List(std::int64_t row) const {
    ui::requireMainThread();
    const auto& rows = dataOf(*this).rows;
    if (row < 0 || row >= static_cast<std::int64_t>(rows.size()))
        throw OutOfBoundsException("Pop-up menu row " + std::to_string(row) + " out of bounds");
    return rows[static_cast<std::size_t>(row)];
}

std::int64_t PopupMenu::ListIndex() const {
    ui::requireMainThread();
    return dataOf(*this).listIndex;
}

void PopupMenu::setListIndex(std::int64_t row) {
    ui::requireMainThread();
    auto& d = dataOf(*this);
    if (row < 0 || row >= static_cast<std::int64_t>(d.rows.size()))
        row = -1;
    if (row == d.listIndex) {
        d.showRow();
        return;
    }
    d.listIndex = row;
    d.showRow();
    Change.raise(*this);
}

std::string PopupMenu::Text() const {
    ui::requireMainThread();
    const auto& d = dataOf(*this);
    return d.listIndex < 0 ? std::string() : d.rows[static_cast<std::size_t>(d.listIndex)];
}

}  // namespace fw
