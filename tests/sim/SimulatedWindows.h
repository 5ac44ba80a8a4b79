#pragma once

#include "services/win32/Win32TopLevelWindows.h"
#include "tests/sim/Scenario.h"

#include <map>
#include <vector>
#include <windows.h>

namespace velmora::sim {

// Real top-level windows standing for the simulated processes' windows, made by this process
// with the titles and states the scenario gives. Window Flush sees only these, each owned by its
// simulated process id, and acts on them for real, so a test can watch them from outside.
class SimulatedWindows final : public TopLevelWindows {
public:
    explicit SimulatedWindows(const std::vector<Scenario::Window>& windows);
    ~SimulatedWindows();
    SimulatedWindows(const SimulatedWindows&) = delete;
    SimulatedWindows& operator=(const SimulatedWindows&) = delete;

    void ForEachTopLevelWindow(const std::function<bool(WindowId)>& visit) override;
    std::uint32_t OwnerProcessOf(WindowId window) override;
    bool Exists(WindowId window) override { return real.Exists(window); }
    bool IsVisible(WindowId window) override { return real.IsVisible(window); }
    bool IsMinimised(WindowId window) override { return real.IsMinimised(window); }
    void RestoreAsync(WindowId window) override { real.RestoreAsync(window); }
    void BringToForeground(WindowId window) override { real.BringToForeground(window); }

    static constexpr const wchar_t* kClassName = L"VelmoraSimulatedApplication";

private:
    win32::Win32TopLevelWindows real;
    std::vector<HWND> order;
    std::map<WindowId, std::uint32_t> owners;
};

} // namespace velmora::sim
