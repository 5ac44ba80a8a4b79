#pragma once

#include "services/SystemHandles.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace velmora {

// Finds the processes that hold open files on one device by walking the system's handle table and
// asking the name of every file handle of every process that is not ignored.
//
// Name queries can block for good. While ScanDevice runs, currentPid names the process whose
// handle is being examined and progress counts every table entry taken up, so that another thread
// can tell a standing scan from a moving one and blame the right process. The handle-query flag
// tells that thread whether the scan stands inside a query, the only step that can block: a
// counter that stands still anywhere else (between scans, or with no drive to scan) is no hang.
class HandleScanner {
public:
    // Type number of file objects when the system's own cannot be learned from the table. The
    // system's own is learned once, at construction.
    static constexpr std::uint16_t kFallbackFileObjectType = 28;
    // The table buffer starts at this size in every scan and doubles while the table does not fit.
    static constexpr std::size_t kInitialTableBytes = 4096;
    // A table that would need a larger buffer counts as a buffer that cannot be enlarged.
    static constexpr std::size_t kDefaultTableBufferLimit = std::size_t{1} << 30;
    static constexpr std::size_t kNameBufferBytes = 4096;

    explicit HandleScanner(SystemHandles& system,
                           std::size_t tableBufferLimit = kDefaultTableBufferLimit);
    HandleScanner(const HandleScanner&) = delete;
    HandleScanner& operator=(const HandleScanner&) = delete;

    // Rebuilds the found ids for the NT device name given (for example \Device\HarddiskVolume5),
    // matched as a case-sensitive substring of each file handle's name. False, with the previous
    // result kept, when the table cannot be read or its buffer cannot be enlarged.
    bool ScanDevice(std::wstring_view deviceName);

    // The processes whose handles the scan passes over; filled before the first scan (see
    // FindProcessIds) and only read by the scans.
    std::vector<std::uint32_t>& IgnoredPids() { return ignoredPids; }
    // The result of the last successful scan: distinct ids in the order of their first matching
    // handle. For the thread that scans; the window reads the list the scan cycle publishes.
    const std::vector<std::uint32_t>& FoundPids() const { return foundPids; }
    // The process whose entries the scan is examining; 0 before the first.
    std::uint32_t CurrentPid() const { return currentPid.load(std::memory_order_relaxed); }
    // Table entries taken up by every scan so far; never reset.
    std::uint64_t Progress() const { return progress.load(std::memory_order_relaxed); }
    // Whether the scan is inside the queries about one handle (opening its process, copying the
    // handle, its file type and its name). Read it before Progress and CurrentPid: once it is seen
    // set, they show at least the entry of that query.
    bool HandleQueryUnderWay() const { return handleQuery.load(std::memory_order_acquire); }

private:
    using NameBuffer = std::array<std::byte, kNameBufferBytes>;

    std::uint16_t LearnFileObjectType();
    std::optional<std::vector<std::byte>> ReadTable();
    std::wstring_view QueryHandleName(std::uint32_t processId, std::uintptr_t handleValue,
                                      NameBuffer& nameBuffer);

    SystemHandles& system;
    const std::size_t tableBufferLimit;
    const std::uint16_t fileObjectType;
    std::vector<std::uint32_t> ignoredPids;
    std::vector<std::uint32_t> foundPids;
    // The scan's working list, copied into foundPids when the scan completes.
    std::vector<std::uint32_t> matches;
    std::atomic<std::uint32_t> currentPid{0};
    std::atomic<std::uint64_t> progress{0};
    std::atomic<bool> handleQuery{false};
};

} // namespace velmora
