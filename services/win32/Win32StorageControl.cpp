#include "services/win32/Win32StorageControl.h"

// clang-format off
#include <windows.h>
#include <winioctl.h>
// clang-format on

#include <algorithm>
#include <string>

namespace velmora::win32 {

namespace {

static_assert(sizeof(STORAGE_DEVICE_NUMBER) == 12);
static_assert(IOCTL_STORAGE_GET_DEVICE_NUMBER == 0x2D1080);
static_assert(FSCTL_LOCK_VOLUME == 0x90018);
static_assert(FSCTL_UNLOCK_VOLUME == 0x9001C);

HANDLE HandleOf(FileToken file) {
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(file));
}

// A control request without input or output.
bool SendBareControl(FileToken file, DWORD code) {
    DWORD returned = 0;
    return ::DeviceIoControl(HandleOf(file), code, nullptr, 0, nullptr, 0, &returned, nullptr) !=
           FALSE;
}

} // namespace

std::size_t Win32StorageControl::QueryDosTargets(std::wstring_view dosName,
                                                 std::span<wchar_t> buffer) {
    const std::wstring name(dosName);
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), MAXDWORD));
    return ::QueryDosDeviceW(name.c_str(), buffer.data(), size);
}

std::uint32_t Win32StorageControl::DriveTypeOf(std::wstring_view rootPath) {
    const std::wstring root(rootPath);
    return ::GetDriveTypeW(root.c_str());
}

std::optional<FileToken> Win32StorageControl::OpenFile(std::wstring_view path, FileAccess access) {
    const std::wstring name(path);
    const HANDLE file =
        ::CreateFileW(name.c_str(), access == FileAccess::Read ? GENERIC_READ : 0,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    return FileToken{reinterpret_cast<std::uintptr_t>(file)};
}

std::optional<StorageDeviceNumber> Win32StorageControl::GetDeviceNumber(FileToken file) {
    STORAGE_DEVICE_NUMBER number{};
    DWORD returned = 0;
    if (!::DeviceIoControl(HandleOf(file), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number,
                           sizeof(number), &returned, nullptr)) {
        return std::nullopt;
    }
    return StorageDeviceNumber{number.DeviceType, number.DeviceNumber, number.PartitionNumber};
}

bool Win32StorageControl::LockVolume(FileToken file) {
    return SendBareControl(file, FSCTL_LOCK_VOLUME);
}

bool Win32StorageControl::UnlockVolume(FileToken file) {
    return SendBareControl(file, FSCTL_UNLOCK_VOLUME);
}

void Win32StorageControl::CloseFile(FileToken file) {
    ::CloseHandle(HandleOf(file));
}

} // namespace velmora::win32
