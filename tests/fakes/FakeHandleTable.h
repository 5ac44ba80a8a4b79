#pragma once

#include "services/SystemHandles.h"
#include "tests/fakes/HandleLedger.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace velmora::fakes {

// An in-memory machine's handle table: processes holding handles on named objects. Every process
// and handle copy it hands out is recorded in the ledger until closed.
class FakeHandleTable : public SystemHandles {
public:
    // The file object type number this machine uses unless told otherwise (as one system does).
    static constexpr std::uint16_t kFileType = 37;
    static constexpr std::uint16_t kEventType = 16;
    static constexpr std::uint32_t kOwnProcessId = 4444;

    struct Handle {
        std::uint32_t processId;
        std::uintptr_t value;
        std::uint16_t objectType;
        std::wstring name;
        bool diskFile;
    };
    using Key = std::pair<std::uint32_t, std::uintptr_t>;

    explicit FakeHandleTable(HandleLedger& ledger) : ledger(ledger) {}

    // Machine set-up. Handle values are given in table order per process.
    FakeHandleTable& AddFile(std::uint32_t processId, std::wstring name);
    FakeHandleTable& AddPipe(std::uint32_t processId, std::wstring name);
    FakeHandleTable& AddOther(std::uint32_t processId, std::uint16_t objectType);
    void SetFileType(std::uint16_t type) { fileType = type; }
    void SetCanReadTable(bool can) { canReadTable = can; }
    void SetCanQueryNames(bool can) { canQueryNames = can; }
    void SetOwnFileOpens(bool opens) { ownFileOpens = opens; }
    // Every table read ends with this status instead of the truthful one.
    void ForceTableStatus(HandleTableStatus status) { forcedStatus = status; }
    void RefuseProcess(std::uint32_t processId) { refusedProcesses.insert(processId); }
    void RefuseCopy(Key handle) { refusedCopies.insert(handle); }
    // The table is these bytes verbatim (zero beyond them), whatever the handles above say.
    void SetRawTable(std::vector<std::byte> bytes) { rawTable = std::move(bytes); }
    // Name queries report success and fill the buffer with this writer instead of a true record.
    void SetRawNameWriter(std::function<void(std::span<std::byte>)> writer) {
        rawNameWriter = std::move(writer);
    }

    // A name query on this handle stands still until Release.
    void BlockNameQuery(Key handle);
    void WaitUntilBlocked();
    // Runs on the querying thread at the moment its query starts to stand still.
    void OnBlocked(std::function<void()> hook) { onBlocked = std::move(hook); }
    void Release();

    // What the code under test asked.
    const std::vector<std::size_t>& TableReadSizes() const { return tableReadSizes; }
    const std::vector<Key>& TypeTests() const { return typeTests; }
    const std::vector<Key>& NameQueries() const { return nameQueries; }

    bool CanReadHandleTable() const override { return canReadTable; }
    bool CanQueryObjectNames() const override { return canQueryNames; }
    HandleTableStatus ReadHandleTable(std::span<std::byte> buffer) override;
    std::uintptr_t OpenProcessForCopy(std::uint32_t processId) override;
    std::uintptr_t CopyHandleOf(std::uintptr_t process, std::uintptr_t handleValue) override;
    bool IsDiskFile(std::uintptr_t handle) override;
    bool QueryObjectName(std::uintptr_t handle, std::span<std::byte> buffer) override;
    OwnFile OpenOwnFile() override;
    void Close(std::uintptr_t handle) override;

private:
    FakeHandleTable& Add(std::uint32_t processId, std::uint16_t type, std::wstring name,
                         bool diskFile);
    std::vector<std::byte> TableBytes() const;
    const Handle& CopiedHandle(std::uintptr_t copy) const;

    HandleLedger& ledger;
    std::vector<Handle> handles;
    std::uint16_t fileType = kFileType;
    bool canReadTable = true;
    bool canQueryNames = true;
    bool ownFileOpens = true;
    std::optional<std::uintptr_t> ownFile;
    std::optional<HandleTableStatus> forcedStatus;
    std::set<std::uint32_t> refusedProcesses;
    std::set<Key> refusedCopies;
    std::optional<std::vector<std::byte>> rawTable;
    std::function<void(std::span<std::byte>)> rawNameWriter;

    std::map<std::uintptr_t, std::uint32_t> openProcesses;
    std::map<std::uintptr_t, std::size_t> copies; // copy -> index into handles

    std::vector<std::size_t> tableReadSizes;
    std::vector<Key> typeTests;
    std::vector<Key> nameQueries;

    std::mutex gateLock;
    std::condition_variable gateChanged;
    std::optional<Key> blockedHandle;
    bool blocked = false;
    std::function<void()> onBlocked;
    bool released = false;
};

} // namespace velmora::fakes
