#pragma once

#include <cstdint>
#include <functional>

namespace velmora {

// A top-level window, named by its value; windows are not owned, so nothing is closed.
using WindowId = std::uintptr_t;

// The desktop's top-level windows, as far as bringing an application's windows forward needs them.
class TopLevelWindows {
public:
    // Calls visit once per top-level window, in the window manager's order, while it returns true.
    virtual void ForEachTopLevelWindow(const std::function<bool(WindowId)>& visit) = 0;
    virtual std::uint32_t OwnerProcessOf(WindowId window) = 0;
    virtual bool Exists(WindowId window) = 0;
    virtual bool IsVisible(WindowId window) = 0;
    virtual bool IsMinimised(WindowId window) = 0;
    // Asks the window's own thread to restore it from minimised, without waiting for it.
    virtual void RestoreAsync(WindowId window) = 0;
    virtual void BringToForeground(WindowId window) = 0;

protected:
    TopLevelWindows() = default;
    ~TopLevelWindows() = default;
    TopLevelWindows(const TopLevelWindows&) = delete;
    TopLevelWindows& operator=(const TopLevelWindows&) = delete;
};

} // namespace velmora
