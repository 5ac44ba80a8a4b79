#include "services/win32/Win32ListControl.h"

#include "device/BoundedText.h"

#include <commctrl.h>
#include <string>

namespace velmora {

void InsertListColumn(HWND list, const wchar_t* title) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = 300;
    column.pszText = const_cast<wchar_t*>(title);
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

void InsertListRow(HWND list, int row, const wchar_t* text) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(text);
    ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

} // namespace velmora

namespace velmora::win32 {
namespace {

constexpr int kRowTextCapacity = 1024;

} // namespace

bool Win32ListControl::Exists() {
    return ::IsWindow(dialog) && ::IsWindow(Control());
}

int Win32ListControl::RowCount() {
    return static_cast<int>(::SendMessageW(Control(), LVM_GETITEMCOUNT, 0, 0));
}

std::optional<ListControl::Row> Win32ListControl::ReadRow(int index) {
    wchar_t text[kRowTextCapacity] = {};
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.iItem = index;
    item.stateMask = LVIS_SELECTED;
    item.pszText = text;
    item.cchTextMax = kRowTextCapacity;
    if (!::SendMessageW(Control(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
        return std::nullopt;
    }
    // The control copies into the buffer given; a text without its terminator in the buffer is
    // cut at the buffer's end rather than read past it.
    auto read = TerminatedText(text);
    if (!read) {
        read.emplace(text, kRowTextCapacity);
    }
    return Row{(item.state & LVIS_SELECTED) != 0, std::move(*read)};
}

void Win32ListControl::DeleteAllRows() {
    ::SendMessageW(Control(), LVM_DELETEALLITEMS, 0, 0);
}

void Win32ListControl::InsertRow(int index, std::wstring_view text) {
    const std::wstring terminated(text);
    InsertListRow(Control(), index, terminated.c_str());
}

bool Win32ListControl::SelectAndFocusRow(int index) {
    LVITEMW item{};
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    return ::SendMessageW(Control(), LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item)) != 0;
}

void Win32ListControl::EnsureVisible(int index) {
    ::SendMessageW(Control(), LVM_ENSUREVISIBLE, index, FALSE);
}

} // namespace velmora::win32
