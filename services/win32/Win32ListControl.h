#pragma once

#include "services/ListControl.h"

#include <windows.h>

namespace velmora {

// The two list-control operations of the window: one 300-pixel left-aligned column with a title,
// and one text row inserted at an index. Neither looks at the result.
void InsertListColumn(HWND list, const wchar_t* title);
void InsertListRow(HWND list, int row, const wchar_t* text);

} // namespace velmora

namespace velmora::win32 {

// A list-view control of the main window, found by its identifier at each call, so the object
// can exist before the window does and outlive it.
class Win32ListControl final : public ListControl {
public:
    Win32ListControl(const HWND& dialog, int controlId) : dialog(dialog), controlId(controlId) {}

    bool Exists() override;
    int RowCount() override;
    std::optional<Row> ReadRow(int index) override;
    void DeleteAllRows() override;
    void InsertRow(int index, std::wstring_view text) override;
    bool SelectAndFocusRow(int index) override;
    void EnsureVisible(int index) override;

private:
    HWND Control() const { return ::GetDlgItem(dialog, controlId); }

    const HWND& dialog;
    int controlId;
};

} // namespace velmora::win32
