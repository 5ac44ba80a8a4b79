#pragma once

#include <functional>
#include <string>
#include <windows.h>

namespace velmora::testing {

// Polls until a top-level window of the class and title exists, up to the timeout; null if none.
HWND WaitForWindow(const wchar_t* className, const wchar_t* title, DWORD timeoutMs = 10000);
// The first top-level window of the class and title that accept takes, given the window and the
// id of the process that owns it; null when none does.
HWND FindTopLevelWindow(const wchar_t* className, const wchar_t* title,
                        const std::function<bool(HWND window, DWORD ownerProcessId)>& accept);
// Polls until the window no longer exists; false on timeout.
bool WaitForWindowGone(HWND window, DWORD timeoutMs = 10000);
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
// The text of a message box (its static control 0xFFFF).
std::wstring MessageBoxText(HWND box);
// Presses OK on a message box without waiting for it to close.
void DismissMessageBox(HWND box);
// Polls until the control has the keyboard focus of its window's thread; false on timeout.
bool WaitForFocus(HWND window, HWND control, DWORD timeoutMs = 10000);
// Posts a key press to a control, as the keyboard would deliver it to the focused window.
void PostKey(HWND control, WPARAM key);

} // namespace velmora::testing
