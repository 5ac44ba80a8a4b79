#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace velmora {

// How one read of the system's handle table ended.
enum class HandleTableStatus {
    Complete,       // the table lies at the buffer's start
    BufferTooSmall, // the table does not fit; ask again with a larger buffer
    OtherFailure,   // any other answer; the buffer holds nothing reliable
};

// A file this process holds open, so that a table read can show which type number files have.
struct OwnFile {
    std::uintptr_t handle = 0; // 0 when no file could be opened
    std::uint32_t processId = 0;
};

// The system's table of open handles and the names of the objects behind them. Handles cross this
// interface as plain values in which 0 always means "none"; each one that a call hands out is
// closed with Close by its owner.
class SystemHandles {
public:
    // Whether the handle table can be read at all, and whether object names can be asked for.
    virtual bool CanReadHandleTable() const = 0;
    virtual bool CanQueryObjectNames() const = 0;

    // Fills the buffer with the table of every open handle on the system: a HandleTableHeader
    // followed by HandleTableEntry records (handles/HandleTableRecords.h).
    virtual HandleTableStatus ReadHandleTable(std::span<std::byte> buffer) = 0;

    // Opens another process so that its handles can be copied; 0 when it cannot be opened.
    virtual std::uintptr_t OpenProcessForCopy(std::uint32_t processId) = 0;
    // Copies a handle of that process into this one with the same access; 0 on failure.
    virtual std::uintptr_t CopyHandleOf(std::uintptr_t process, std::uintptr_t handleValue) = 0;
    // Whether a handle of this process is a file on a disk volume.
    virtual bool IsDiskFile(std::uintptr_t handle) = 0;
    // Writes the object name of a handle of this process into the buffer as an ObjectNameHeader
    // whose characters lie further on in the same buffer (handles/ObjectNameRecord.h). True only
    // when the system reports complete success.
    virtual bool QueryObjectName(std::uintptr_t handle, std::span<std::byte> buffer) = 0;

    // Opens a file of this process's own choosing and keeps it open until closed.
    virtual OwnFile OpenOwnFile() = 0;
    virtual void Close(std::uintptr_t handle) = 0;

protected:
    SystemHandles() = default;
    ~SystemHandles() = default;
    SystemHandles(const SystemHandles&) = delete;
    SystemHandles& operator=(const SystemHandles&) = delete;
};

} // namespace velmora
