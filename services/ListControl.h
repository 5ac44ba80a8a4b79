#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// One single-column list of the main window as the scan cycle drives it. On Windows each call is a
// list-view message sent to a control of the window's thread, so it runs there while the caller
// waits.
class ListControl {
public:
    struct Row {
        bool selected = false;
        std::wstring text; // up to the first terminator of a 1024-character buffer
    };

    // True while the main window and this control both exist.
    virtual bool Exists() = 0;
    virtual int RowCount() = 0;
    // The row's selection state and text; nothing when the row cannot be read.
    virtual std::optional<Row> ReadRow(int index) = 0;
    virtual void DeleteAllRows() = 0;
    virtual void InsertRow(int index, std::wstring_view text) = 0;
    // Selects and focuses the row; false when the list refuses.
    virtual bool SelectAndFocusRow(int index) = 0;
    // Scrolls until the whole row is visible.
    virtual void EnsureVisible(int index) = 0;

protected:
    ListControl() = default;
    ~ListControl() = default;
    ListControl(const ListControl&) = delete;
    ListControl& operator=(const ListControl&) = delete;
};

} // namespace velmora
