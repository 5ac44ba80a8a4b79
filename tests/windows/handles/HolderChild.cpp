// Test helper: holds a file open and, when asked, shows a minimised window and keeps a hidden one,
// then waits until it is ended. Arguments: file path, name of the event to set once ready,
// and optionally "window".
#include <cwchar>
#include <windows.h>

namespace {

constexpr wchar_t kClassName[] = L"VelmoraHolderWindow";

void CreateWindows() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);
    const HWND shown =
        CreateWindowExW(0, kClassName, L"Velmora holder minimised", WS_OVERLAPPEDWINDOW, 10, 10,
                        300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(shown, SW_SHOWMINIMIZED);
    CreateWindowExW(0, kClassName, L"Velmora holder hidden", WS_OVERLAPPEDWINDOW | WS_MINIMIZE, 10,
                    10, 300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        return 2;
    }
    const HANDLE file =
        CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 3;
    }
    const bool withWindows = argc > 3 && std::wcscmp(argv[3], L"window") == 0;
    if (withWindows) {
        CreateWindows();
    }
    const HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
    if (ready == nullptr) {
        return 4;
    }
    SetEvent(ready);
    CloseHandle(ready);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    CloseHandle(file);
    return 0;
}
