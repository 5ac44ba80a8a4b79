#include "tests/fakes/FakeHandleTable.h"

#include "handles/HandleTableRecords.h"
#include "handles/ObjectNameRecord.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace velmora::fakes {

FakeHandleTable& FakeHandleTable::AddFile(std::uint32_t processId, std::wstring name) {
    return Add(processId, fileType, std::move(name), true);
}

FakeHandleTable& FakeHandleTable::AddPipe(std::uint32_t processId, std::wstring name) {
    return Add(processId, fileType, std::move(name), false);
}

FakeHandleTable& FakeHandleTable::AddOther(std::uint32_t processId, std::uint16_t objectType) {
    return Add(processId, objectType, L"", false);
}

FakeHandleTable& FakeHandleTable::Add(std::uint32_t processId, std::uint16_t type,
                                      std::wstring name, bool diskFile) {
    const auto perProcess = std::count_if(
        handles.begin(), handles.end(), [&](const Handle& h) { return h.processId == processId; });
    handles.push_back({processId, static_cast<std::uintptr_t>(4 * (perProcess + 1)), type,
                       std::move(name), diskFile});
    return *this;
}

void FakeHandleTable::BlockNameQuery(Key handle) {
    const std::lock_guard hold(gateLock);
    blockedHandle = handle;
}

void FakeHandleTable::WaitUntilBlocked() {
    std::unique_lock hold(gateLock);
    gateChanged.wait(hold, [&] { return blocked; });
}

void FakeHandleTable::Release() {
    const std::lock_guard hold(gateLock);
    released = true;
    gateChanged.notify_all();
}

std::vector<std::byte> FakeHandleTable::TableBytes() const {
    if (rawTable) {
        return *rawTable;
    }
    std::vector<HandleTableEntry> entries;
    for (const Handle& handle : handles) {
        entries.push_back({0, handle.processId, handle.value, 0, 0, handle.objectType, 0, 0});
    }
    if (ownFile) {
        entries.push_back({0, kOwnProcessId, *ownFile, 0, 0, fileType, 0, 0});
    }
    const HandleTableHeader header{entries.size(), 0};
    std::vector<std::byte> bytes(sizeof header + entries.size() * sizeof(HandleTableEntry));
    std::memcpy(bytes.data(), &header, sizeof header);
    if (!entries.empty()) {
        std::memcpy(bytes.data() + sizeof header, entries.data(),
                    entries.size() * sizeof(HandleTableEntry));
    }
    return bytes;
}

HandleTableStatus FakeHandleTable::ReadHandleTable(std::span<std::byte> buffer) {
    if (!canReadTable) {
        throw std::logic_error("handle table read although it cannot be read");
    }
    tableReadSizes.push_back(buffer.size());
    if (forcedStatus) {
        return *forcedStatus;
    }
    const std::vector<std::byte> bytes = TableBytes();
    if (bytes.size() > buffer.size()) {
        return HandleTableStatus::BufferTooSmall;
    }
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    return HandleTableStatus::Complete;
}

std::uintptr_t FakeHandleTable::OpenProcessForCopy(std::uint32_t processId) {
    if (refusedProcesses.count(processId) != 0) {
        return 0;
    }
    const std::uintptr_t process = ledger.Open("process " + std::to_string(processId));
    openProcesses.emplace(process, processId);
    return process;
}

std::uintptr_t FakeHandleTable::CopyHandleOf(std::uintptr_t process, std::uintptr_t handleValue) {
    const std::uint32_t processId = openProcesses.at(process);
    const auto found = std::find_if(handles.begin(), handles.end(), [&](const Handle& h) {
        return h.processId == processId && h.value == handleValue;
    });
    if (found == handles.end() || refusedCopies.count({processId, handleValue}) != 0) {
        return 0;
    }
    const std::uintptr_t copy = ledger.Open("copy of handle " + std::to_string(handleValue) +
                                            " of process " + std::to_string(processId));
    copies.emplace(copy, static_cast<std::size_t>(found - handles.begin()));
    return copy;
}

const FakeHandleTable::Handle& FakeHandleTable::CopiedHandle(std::uintptr_t copy) const {
    return handles.at(copies.at(copy));
}

bool FakeHandleTable::IsDiskFile(std::uintptr_t handle) {
    const Handle& copied = CopiedHandle(handle);
    typeTests.emplace_back(copied.processId, copied.value);
    return copied.diskFile;
}

bool FakeHandleTable::QueryObjectName(std::uintptr_t handle, std::span<std::byte> buffer) {
    if (!canQueryNames) {
        throw std::logic_error("object name asked for although names cannot be queried");
    }
    const Handle& copied = CopiedHandle(handle);
    const Key key{copied.processId, copied.value};
    nameQueries.push_back(key);
    {
        std::unique_lock hold(gateLock);
        if (blockedHandle == key) {
            blocked = true;
            gateChanged.notify_all();
            if (onBlocked) {
                onBlocked();
            }
            gateChanged.wait(hold, [&] { return released; });
        }
    }
    if (rawNameWriter) {
        rawNameWriter(buffer);
        return true;
    }
    // A true record: the header, then the characters with their terminator right behind it.
    const std::size_t textBytes = (copied.name.size() + 1) * sizeof(wchar_t);
    if (sizeof(ObjectNameHeader) + textBytes > buffer.size()) {
        return false;
    }
    auto* characters = buffer.data() + sizeof(ObjectNameHeader);
    std::memcpy(characters, copied.name.c_str(), textBytes);
    const ObjectNameHeader header{static_cast<std::uint16_t>(textBytes - sizeof(wchar_t)),
                                  static_cast<std::uint16_t>(textBytes),
                                  reinterpret_cast<const wchar_t*>(characters)};
    std::memcpy(buffer.data(), &header, sizeof header);
    return true;
}

OwnFile FakeHandleTable::OpenOwnFile() {
    if (!ownFileOpens) {
        return {0, kOwnProcessId};
    }
    ownFile = ledger.Open("own file");
    return {*ownFile, kOwnProcessId};
}

void FakeHandleTable::Close(std::uintptr_t handle) {
    if (!ledger.Close(handle)) {
        throw std::logic_error("closed a handle that is not open: " + std::to_string(handle));
    }
    openProcesses.erase(handle);
    copies.erase(handle);
    if (ownFile == handle) {
        ownFile.reset();
    }
}

} // namespace velmora::fakes
