#include "services/win32/Win32SystemHandles.h"

#include <array>
#include <limits>

namespace velmora::win32 {
namespace {

HANDLE AsHandle(std::uintptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}
std::uintptr_t AsValue(HANDLE handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

bool FitsInUlong(std::size_t size) {
    return size <= std::numeric_limits<ULONG>::max();
}

} // namespace

Win32SystemHandles::Win32SystemHandles() : ntdllModule(LoadLibraryW(L"Ntdll.dll")) {
    if (ntdllModule) {
        queryObject =
            native::EntryPoint<native::NtQueryObjectFn>(ntdllModule.Get(), "NtQueryObject");
        querySystemInformation = native::EntryPoint<native::NtQuerySystemInformationFn>(
            ntdllModule.Get(), "NtQuerySystemInformation");
    }
}

HandleTableStatus Win32SystemHandles::ReadHandleTable(std::span<std::byte> buffer) {
    if (!FitsInUlong(buffer.size())) {
        return HandleTableStatus::OtherFailure;
    }
    const NTSTATUS status =
        querySystemInformation(native::SystemExtendedHandleInformation, buffer.data(),
                               static_cast<ULONG>(buffer.size()), nullptr);
    if (status == native::kStatusSuccess) {
        return HandleTableStatus::Complete;
    }
    return status == native::kStatusInfoLengthMismatch ? HandleTableStatus::BufferTooSmall
                                                       : HandleTableStatus::OtherFailure;
}

std::uintptr_t Win32SystemHandles::OpenProcessForCopy(std::uint32_t processId) {
    return AsValue(OpenProcess(PROCESS_DUP_HANDLE, FALSE, processId));
}

std::uintptr_t Win32SystemHandles::CopyHandleOf(std::uintptr_t process,
                                                std::uintptr_t handleValue) {
    HANDLE copy = nullptr;
    if (!DuplicateHandle(AsHandle(process), AsHandle(handleValue), GetCurrentProcess(), &copy, 0,
                         FALSE, DUPLICATE_SAME_ACCESS)) {
        return 0;
    }
    return AsValue(copy);
}

bool Win32SystemHandles::IsDiskFile(std::uintptr_t handle) {
    return GetFileType(AsHandle(handle)) == FILE_TYPE_DISK;
}

bool Win32SystemHandles::QueryObjectName(std::uintptr_t handle, std::span<std::byte> buffer) {
    return FitsInUlong(buffer.size()) &&
           queryObject(AsHandle(handle), native::ObjectNameInformationClass, buffer.data(),
                       static_cast<ULONG>(buffer.size()), nullptr) == native::kStatusSuccess;
}

OwnFile Win32SystemHandles::OpenOwnFile() {
    // The program's own executable: present whatever else the machine holds.
    std::array<wchar_t, 1024 + 1> path{};
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) {
        return {0, GetCurrentProcessId()};
    }
    FileHandle file(CreateFileW(path.data(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!file) {
        return {0, GetCurrentProcessId()};
    }
    // From here on the portable side owns it, with 0 as its "none".
    return {AsValue(file.Release()), GetCurrentProcessId()};
}

void Win32SystemHandles::Close(std::uintptr_t handle) {
    CloseHandle(AsHandle(handle));
}

} // namespace velmora::win32
