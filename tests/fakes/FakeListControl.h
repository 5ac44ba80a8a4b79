#pragma once

#include "services/ListControl.h"

#include <set>
#include <string>
#include <vector>

namespace velmora::fakes {

// A list control in memory that records every message the logic sends, so a test can prove what
// was and was not sent.
class FakeListControl final : public ListControl {
public:
    struct StoredRow {
        std::wstring text;
        bool selected = false;
    };

    bool Exists() override { return exists; }
    int RowCount() override;
    std::optional<Row> ReadRow(int index) override;
    void DeleteAllRows() override;
    void InsertRow(int index, std::wstring_view text) override;
    bool SelectAndFocusRow(int index) override;
    void EnsureVisible(int index) override;

    // Selects one row as a click would, clearing any other selection.
    void Select(int index);
    std::vector<std::wstring> Texts() const;
    // The messages that change the list, in order: "delete all", "insert 0 E: (…)", "select 0",
    // "ensure visible 0". Reads are counted apart.
    std::vector<std::wstring> TakeChanges();

    bool exists = true;
    bool selectFails = false;
    std::set<int> unreadableRows;
    std::vector<StoredRow> rows;
    int reads = 0;

private:
    std::vector<std::wstring> changes;
};

} // namespace velmora::fakes
