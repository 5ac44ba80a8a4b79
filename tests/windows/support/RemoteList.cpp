#include "tests/windows/support/RemoteList.h"

#include "services/win32/UniqueHandle.h"

#include <commctrl.h>

namespace velmora::testing {
namespace {

constexpr int kTextCapacity = 1024;

// A block of memory in the list's process, freed with the object.
class RemoteBlock {
public:
    RemoteBlock(HWND list, SIZE_T size) {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(list, &processId);
        process.Reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                                    FALSE, processId));
        if (process) {
            address = ::VirtualAllocEx(process.Get(), nullptr, size, MEM_COMMIT, PAGE_READWRITE);
        }
    }
    ~RemoteBlock() {
        if (address != nullptr) {
            ::VirtualFreeEx(process.Get(), address, 0, MEM_RELEASE);
        }
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    bool Valid() const { return address != nullptr; }
    BYTE* At(SIZE_T offset) const { return static_cast<BYTE*>(address) + offset; }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
        return ::WriteProcessMemory(process.Get(), At(offset), data, size, nullptr) != FALSE;
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) const {
        return ::ReadProcessMemory(process.Get(), At(offset), data, size, nullptr) != FALSE;
    }

private:
    win32::KernelHandle process;
    void* address = nullptr;
};

} // namespace

std::vector<std::wstring> ListRows(HWND list) {
    std::vector<std::wstring> rows;
    RemoteBlock block(list, sizeof(LVITEMW) + kTextCapacity * sizeof(wchar_t));
    if (!block.Valid()) {
        return rows;
    }
    const auto count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = reinterpret_cast<wchar_t*>(block.At(sizeof(LVITEMW)));
        item.cchTextMax = kTextCapacity;
        wchar_t text[kTextCapacity] = {};
        block.Write(0, &item, sizeof item);
        block.Write(sizeof(LVITEMW), text, sizeof text);
        ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(block.At(0)));
        block.Read(sizeof(LVITEMW), text, sizeof text);
        text[kTextCapacity - 1] = L'\0';
        rows.emplace_back(text);
    }
    return rows;
}

bool IsRowSelected(HWND list, int row) {
    return (::SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

bool ClickRow(HWND list, int row) {
    RemoteBlock block(list, sizeof(RECT));
    RECT bounds{};
    bounds.left = LVIR_LABEL;
    if (!block.Valid() || !block.Write(0, &bounds, sizeof bounds) ||
        !::SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(block.At(0))) ||
        !block.Read(0, &bounds, sizeof bounds)) {
        return false;
    }
    const LPARAM point =
        MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::PostMessageW(list, WM_LBUTTONUP, 0, point);
    return true;
}

bool WaitForRows(HWND list, const std::vector<std::wstring>& expected, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (ListRows(list) != expected) {
        if (::GetTickCount64() > deadline) {
            return false;
        }
        ::Sleep(10);
    }
    return true;
}

} // namespace velmora::testing
