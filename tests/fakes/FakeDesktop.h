#pragma once

#include "services/ProcessList.h"
#include "services/TopLevelWindows.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velmora::fakes {

// An in-memory machine's running processes and their top-level windows, in enumeration order.
class FakeDesktop : public ProcessList, public TopLevelWindows {
public:
    struct Process {
        std::uint32_t id;
        std::wstring name;
        bool opens = true; // false: the process cannot be opened or its name cannot be read
    };
    struct Window {
        WindowId id;
        std::uint32_t ownerProcessId;
        bool visible = true;
        bool minimised = false;
        bool exists = true;
    };

    void AddProcess(std::uint32_t id, std::wstring name, bool opens = true) {
        processes.push_back({id, std::move(name), opens});
    }
    WindowId AddWindow(std::uint32_t ownerProcessId, bool visible, bool minimised,
                       bool exists = true);
    void SetEnumerationFails(bool fails) { enumerationFails = fails; }

    const Window& WindowAt(std::size_t index) const { return windows.at(index); }
    // Sizes of the id buffers offered to ListProcessIds, and windows raised, in order.
    const std::vector<std::size_t>& ListSizes() const { return listSizes; }
    const std::vector<WindowId>& Raised() const { return raised; }

    std::optional<std::size_t> ListProcessIds(std::span<std::uint32_t> ids) override;
    std::size_t ExecutableBaseName(std::uint32_t processId, std::span<wchar_t> buffer) override;

    void ForEachTopLevelWindow(const std::function<bool(WindowId)>& visit) override;
    std::uint32_t OwnerProcessOf(WindowId window) override { return Find(window).ownerProcessId; }
    bool Exists(WindowId window) override { return Find(window).exists; }
    bool IsVisible(WindowId window) override { return Find(window).visible; }
    bool IsMinimised(WindowId window) override { return Find(window).minimised; }
    void RestoreAsync(WindowId window) override { Find(window).minimised = false; }
    void BringToForeground(WindowId window) override { raised.push_back(window); }

private:
    Window& Find(WindowId window);

    std::vector<Process> processes;
    std::vector<Window> windows;
    bool enumerationFails = false;
    std::vector<std::size_t> listSizes;
    std::vector<WindowId> raised;
};

} // namespace velmora::fakes
