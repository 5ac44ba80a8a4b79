#include "tests/fakes/FakeListControl.h"

#include <utility>

namespace velmora::fakes {

int FakeListControl::RowCount() {
    return static_cast<int>(rows.size());
}

std::optional<ListControl::Row> FakeListControl::ReadRow(int index) {
    ++reads;
    if (index < 0 || index >= RowCount() || unreadableRows.count(index) != 0) {
        return std::nullopt;
    }
    const StoredRow& row = rows[static_cast<std::size_t>(index)];
    return Row{row.selected, row.text};
}

void FakeListControl::DeleteAllRows() {
    rows.clear();
    changes.push_back(L"delete all");
}

void FakeListControl::InsertRow(int index, std::wstring_view text) {
    const auto at = std::min<std::size_t>(static_cast<std::size_t>(index), rows.size());
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), StoredRow{std::wstring(text)});
    changes.push_back(L"insert " + std::to_wstring(index) + L" " + std::wstring(text));
}

bool FakeListControl::SelectAndFocusRow(int index) {
    changes.push_back(L"select " + std::to_wstring(index));
    if (selectFails || index < 0 || index >= RowCount()) {
        return false;
    }
    Select(index);
    return true;
}

void FakeListControl::EnsureVisible(int index) {
    changes.push_back(L"ensure visible " + std::to_wstring(index));
}

void FakeListControl::Select(int index) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].selected = static_cast<int>(i) == index;
    }
}

std::vector<std::wstring> FakeListControl::Texts() const {
    std::vector<std::wstring> texts;
    for (const StoredRow& row : rows) {
        texts.push_back(row.text);
    }
    return texts;
}

std::vector<std::wstring> FakeListControl::TakeChanges() {
    return std::exchange(changes, {});
}

} // namespace velmora::fakes
