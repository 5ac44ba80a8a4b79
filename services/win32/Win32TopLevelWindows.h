#pragma once

#include "services/TopLevelWindows.h"

namespace velmora::win32 {

// The desktop's top-level windows through the window manager.
class Win32TopLevelWindows final : public TopLevelWindows {
public:
    Win32TopLevelWindows() = default;

    void ForEachTopLevelWindow(const std::function<bool(WindowId)>& visit) override;
    std::uint32_t OwnerProcessOf(WindowId window) override;
    bool Exists(WindowId window) override;
    bool IsVisible(WindowId window) override;
    bool IsMinimised(WindowId window) override;
    void RestoreAsync(WindowId window) override;
    void BringToForeground(WindowId window) override;
};

} // namespace velmora::win32
