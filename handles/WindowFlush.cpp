#include "handles/WindowFlush.h"

namespace velmora {

void WindowFlush(std::optional<std::size_t> selectedRow, const PublishedPids& foundPids,
                 TopLevelWindows& windows) {
    if (!selectedRow) {
        return;
    }
    const PublishedPids::Snapshot pids = foundPids.Load();
    if (*selectedRow >= pids->size()) {
        return;
    }
    const std::uint32_t processId = (*pids)[*selectedRow];
    windows.ForEachTopLevelWindow(
        [&](WindowId window) { return RaiseProcessWindow(windows, window, processId); });
}

bool RaiseProcessWindow(TopLevelWindows& windows, WindowId window, std::uint32_t processId) {
    if (windows.OwnerProcessOf(window) != processId || !windows.Exists(window) ||
        !windows.IsVisible(window)) {
        return true;
    }
    if (windows.IsMinimised(window)) {
        windows.RestoreAsync(window);
    }
    windows.BringToForeground(window);
    return true;
}

} // namespace velmora
