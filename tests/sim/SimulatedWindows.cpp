#include "tests/sim/SimulatedWindows.h"

namespace velmora::sim {

SimulatedWindows::SimulatedWindows(const std::vector<Scenario::Window>& windows) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassW(&windowClass);
    int offset = 0;
    for (const Scenario::Window& wanted : windows) {
        HWND window = ::CreateWindowExW(0, kClassName, wanted.title.c_str(), WS_OVERLAPPEDWINDOW,
                                        20 + offset, 20 + offset, 320, 200, nullptr, nullptr,
                                        windowClass.hInstance, nullptr);
        offset += 30;
        if (window == nullptr) {
            continue;
        }
        if (wanted.visible) {
            ::ShowWindow(window, wanted.minimised ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE);
        }
        order.push_back(window);
        owners[reinterpret_cast<WindowId>(window)] = wanted.processId;
    }
}

SimulatedWindows::~SimulatedWindows() {
    for (HWND window : order) {
        ::DestroyWindow(window);
    }
}

void SimulatedWindows::ForEachTopLevelWindow(const std::function<bool(WindowId)>& visit) {
    for (HWND window : order) {
        if (!visit(reinterpret_cast<WindowId>(window))) {
            return;
        }
    }
}

std::uint32_t SimulatedWindows::OwnerProcessOf(WindowId window) {
    const auto found = owners.find(window);
    return found == owners.end() ? 0 : found->second;
}

} // namespace velmora::sim
