#include "tests/windows/support/WindowDriver.h"

namespace velmora::testing {

HWND WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND window = ::FindWindowW(className, title)) {
            return window;
        }
        if (::GetTickCount64() > deadline) {
            return nullptr;
        }
        ::Sleep(10);
    }
}

HWND FindTopLevelWindow(const wchar_t* className, const wchar_t* title,
                        const std::function<bool(HWND window, DWORD ownerProcessId)>& accept) {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, className, title))) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (accept(window, owner)) {
            return window;
        }
    }
    return nullptr;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (::IsWindow(window)) {
        if (::GetTickCount64() > deadline) {
            return false;
        }
        ::Sleep(10);
    }
    return true;
}

bool WaitForFocus(HWND window, HWND control, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        if (::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &gui) &&
            gui.hwndFocus == control) {
            return true;
        }
        if (::GetTickCount64() > deadline) {
            return false;
        }
        ::Sleep(10);
    }
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    ::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text),
                          SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

std::wstring MessageBoxText(HWND box) {
    return WindowText(::GetDlgItem(box, 0xFFFF));
}

void DismissMessageBox(HWND box) {
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

void PostKey(HWND control, WPARAM key) {
    ::PostMessageW(control, WM_KEYDOWN, key, 1);
    ::PostMessageW(control, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
}

} // namespace velmora::testing
