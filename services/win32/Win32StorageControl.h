#pragma once

#include "services/StorageControl.h"

namespace velmora::win32 {

// Storage and volume control over the Win32 file and device-control calls.
class Win32StorageControl final : public StorageControl {
public:
    Win32StorageControl() = default;

    std::size_t QueryDosTargets(std::wstring_view dosName, std::span<wchar_t> buffer) override;
    std::uint32_t DriveTypeOf(std::wstring_view rootPath) override;
    std::optional<FileToken> OpenFile(std::wstring_view path, FileAccess access) override;
    std::optional<StorageDeviceNumber> GetDeviceNumber(FileToken file) override;
    bool LockVolume(FileToken file) override;
    bool UnlockVolume(FileToken file) override;
    void CloseFile(FileToken file) override;
};

} // namespace velmora::win32
