#include "handles/HandleScanner.h"

#include "handles/HandleTableRecords.h"
#include "handles/ObjectNameRecord.h"
#include "handles/OwnedHandle.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace velmora {
namespace {

bool Contains(const std::vector<std::uint32_t>& pids, std::uint32_t pid) {
    return std::find(pids.begin(), pids.end(), pid) != pids.end();
}

// Raises the handle-query flag for one query and lowers it however the query ends, a fault that
// unwinds through it included, so a scan that has left the query never looks as if it stood in it.
class HandleQueryMark {
public:
    explicit HandleQueryMark(std::atomic<bool>& flag) : flag(flag) {
        flag.store(true, std::memory_order_release);
    }
    ~HandleQueryMark() { flag.store(false, std::memory_order_release); }
    HandleQueryMark(const HandleQueryMark&) = delete;
    HandleQueryMark& operator=(const HandleQueryMark&) = delete;

private:
    std::atomic<bool>& flag;
};

} // namespace

HandleScanner::HandleScanner(SystemHandles& system, std::size_t tableBufferLimit)
    : system(system), tableBufferLimit(tableBufferLimit), fileObjectType(LearnFileObjectType()) {}

bool HandleScanner::ScanDevice(std::wstring_view deviceName) {
    if (!system.CanReadHandleTable()) {
        return false;
    }
    const std::optional<std::vector<std::byte>> buffer = ReadTable();
    if (!buffer) {
        return false;
    }
    const HandleTableView table(*buffer);

    matches.clear();
    bool skipping = false;
    // The process of the previous entry of this table. It starts as none rather than as the
    // published currentPid, so that an ignored process whose entries open the table is recognised
    // as ignored instead of being taken for the process examined last.
    std::optional<std::uint32_t> current;
    // Single writer: plain stores of locally kept values, no read-modify-write on the atomics.
    std::uint64_t taken = progress.load(std::memory_order_relaxed);
    alignas(std::uintptr_t) NameBuffer nameBuffer;

    for (std::size_t index = 0; index < table.Count(); ++index) {
        // Counted first, whatever becomes of the entry, so a standing scan shows as such.
        progress.store(++taken, std::memory_order_relaxed);
        const HandleTableEntry entry = table.Entry(index);
        const auto pid = static_cast<std::uint32_t>(entry.processId);

        if (pid == current) {
            if (skipping) {
                continue;
            }
        } else if (Contains(ignoredPids, pid)) {
            // Further consecutive entries of this process pass by the comparison above alone.
            skipping = true;
            current = pid;
            currentPid.store(pid, std::memory_order_relaxed);
            continue;
        }
        if (entry.objectTypeIndex != fileObjectType) {
            continue;
        }
        skipping = false;
        current = pid;
        currentPid.store(pid, std::memory_order_relaxed);

        std::wstring_view name;
        {
            const HandleQueryMark mark(handleQuery);
            name = QueryHandleName(pid, entry.handleValue, nameBuffer);
        }
        if (!name.empty() && name.find(deviceName) != std::wstring_view::npos &&
            !Contains(matches, pid)) {
            matches.push_back(pid);
        }
    }
    foundPids = matches;
    return true;
}

std::uint16_t HandleScanner::LearnFileObjectType() {
    // The type number of file objects differs between system versions: learn it from the entry
    // of a file this process holds open while the table is read.
    const OwnFile own = system.OpenOwnFile();
    const OwnedHandle probe(system, own.handle);
    if (!probe || !system.CanReadHandleTable()) {
        return kFallbackFileObjectType;
    }
    const std::optional<std::vector<std::byte>> buffer = ReadTable();
    if (!buffer) {
        return kFallbackFileObjectType;
    }
    const HandleTableView table(*buffer);
    for (std::size_t index = 0; index < table.Count(); ++index) {
        const HandleTableEntry entry = table.Entry(index);
        if (entry.processId == own.processId && entry.handleValue == own.handle) {
            return entry.objectTypeIndex;
        }
    }
    return kFallbackFileObjectType;
}

std::optional<std::vector<std::byte>> HandleScanner::ReadTable() {
    std::vector<std::byte> buffer(kInitialTableBytes);
    HandleTableStatus status = system.ReadHandleTable(buffer);
    while (status == HandleTableStatus::BufferTooSmall) {
        const std::size_t size = buffer.size() * 2;
        if (size > tableBufferLimit) {
            return std::nullopt;
        }
        // Released before the larger one is taken, so the two never coexist.
        buffer = {};
        try {
            buffer.resize(size);
        } catch (const std::bad_alloc&) {
            return std::nullopt;
        }
        status = system.ReadHandleTable(buffer);
    }
    if (status != HandleTableStatus::Complete) {
        // Nothing reliable was written: read as an empty table.
        buffer.clear();
    }
    return buffer;
}

std::wstring_view HandleScanner::QueryHandleName(std::uint32_t processId,
                                                 std::uintptr_t handleValue,
                                                 NameBuffer& nameBuffer) {
    const OwnedHandle process(system, system.OpenProcessForCopy(processId));
    if (!process) {
        return {};
    }
    // Declared after the process handle, so it is closed first.
    const OwnedHandle copy(system, system.CopyHandleOf(process.Get(), handleValue));
    if (!copy || !system.IsDiskFile(copy.Get()) || !system.CanQueryObjectNames()) {
        return {};
    }
    // Only the record's head is cleared: a query that reports success without writing then gives
    // a null pointer rather than the previous name, and the characters are read within bounds.
    std::memset(nameBuffer.data(), 0, sizeof(ObjectNameHeader));
    if (!system.QueryObjectName(copy.Get(), nameBuffer)) {
        return {};
    }
    return ObjectNameIn(nameBuffer);
}

} // namespace velmora
