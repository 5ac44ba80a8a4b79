#pragma once

#include "services/SystemHandles.h"
#include "services/win32/NativeDeclarations.h"
#include "services/win32/UniqueHandle.h"

namespace velmora::win32 {

// The handle table and object names through the native functions of "Ntdll.dll", loaded once at
// construction; either may be missing.
class Win32SystemHandles final : public SystemHandles {
public:
    Win32SystemHandles();

    bool CanReadHandleTable() const override { return querySystemInformation != nullptr; }
    bool CanQueryObjectNames() const override { return queryObject != nullptr; }
    HandleTableStatus ReadHandleTable(std::span<std::byte> buffer) override;
    std::uintptr_t OpenProcessForCopy(std::uint32_t processId) override;
    std::uintptr_t CopyHandleOf(std::uintptr_t process, std::uintptr_t handleValue) override;
    bool IsDiskFile(std::uintptr_t handle) override;
    bool QueryObjectName(std::uintptr_t handle, std::span<std::byte> buffer) override;
    OwnFile OpenOwnFile() override;
    void Close(std::uintptr_t handle) override;

private:
    LoadedModule ntdllModule;
    native::NtQueryObjectFn queryObject = nullptr;
    native::NtQuerySystemInformationFn querySystemInformation = nullptr;
};

} // namespace velmora::win32
