#include "services/win32/Win32TopLevelWindows.h"

#include <windows.h>

namespace velmora::win32 {
namespace {

HWND AsWindow(WindowId window) {
    return reinterpret_cast<HWND>(window);
}

BOOL CALLBACK VisitWindow(HWND window, LPARAM visit) {
    return (*reinterpret_cast<const std::function<bool(WindowId)>*>(visit))(
               reinterpret_cast<WindowId>(window))
               ? TRUE
               : FALSE;
}

} // namespace

void Win32TopLevelWindows::ForEachTopLevelWindow(const std::function<bool(WindowId)>& visit) {
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&visit));
}

std::uint32_t Win32TopLevelWindows::OwnerProcessOf(WindowId window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(AsWindow(window), &processId);
    return processId;
}

bool Win32TopLevelWindows::Exists(WindowId window) {
    return IsWindow(AsWindow(window)) != FALSE;
}

bool Win32TopLevelWindows::IsVisible(WindowId window) {
    return IsWindowVisible(AsWindow(window)) != FALSE;
}

bool Win32TopLevelWindows::IsMinimised(WindowId window) {
    return IsIconic(AsWindow(window)) != FALSE;
}

void Win32TopLevelWindows::RestoreAsync(WindowId window) {
    ShowWindowAsync(AsWindow(window), SW_RESTORE);
}

void Win32TopLevelWindows::BringToForeground(WindowId window) {
    SetForegroundWindow(AsWindow(window));
}

} // namespace velmora::win32
