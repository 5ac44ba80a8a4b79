#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace velmora {

// An open file or volume as the storage service handed it out. Only CloseFile gives it back; the
// service's own invalid value never reaches the caller (an open that fails yields no token).
enum class FileToken : std::uintptr_t {};

// What a file is opened for: no read or write rights (enough for a device-number query), or read.
enum class FileAccess : std::uint8_t { None, Read };

// Drive types as GetDriveTypeW gives them; any other value passes through unchanged.
namespace DriveType {
inline constexpr std::uint32_t Unknown = 0;
inline constexpr std::uint32_t NoRootDirectory = 1;
inline constexpr std::uint32_t Removable = 2;
inline constexpr std::uint32_t Fixed = 3;
inline constexpr std::uint32_t Remote = 4;
inline constexpr std::uint32_t CdRom = 5;
inline constexpr std::uint32_t RamDisk = 6;
} // namespace DriveType

// STORAGE_DEVICE_NUMBER, field for field.
struct StorageDeviceNumber {
    std::uint32_t deviceType = 0;
    std::uint32_t deviceNumber = 0;
    std::uint32_t partitionNumber = 0;
};

// Storage and volume control: DOS device names, drive types, opening volumes and
// device paths, and the three control requests the program sends to them. Buffers are the caller's,
// so the buffer sizes are decided where the logic is.
class StorageControl {
public:
    // QueryDosDeviceW: the targets of a DOS device name as a list of terminated names followed by
    // one more terminator, written into buffer (its size is the size passed). Returns the number of
    // characters stored, 0 on failure, also when the list does not fit.
    virtual std::size_t QueryDosTargets(std::wstring_view dosName, std::span<wchar_t> buffer) = 0;

    // GetDriveTypeW of a root path such as "E:\".
    virtual std::uint32_t DriveTypeOf(std::wstring_view rootPath) = 0;

    // CreateFileW with the given access, sharing read and write, OPEN_EXISTING, no flags, no
    // security attributes and no template. Nothing when the open fails.
    virtual std::optional<FileToken> OpenFile(std::wstring_view path, FileAccess access) = 0;

    // DeviceIoControl with IOCTL_STORAGE_GET_DEVICE_NUMBER: no input, the 12-byte record as output.
    virtual std::optional<StorageDeviceNumber> GetDeviceNumber(FileToken file) = 0;

    // DeviceIoControl with FSCTL_LOCK_VOLUME and FSCTL_UNLOCK_VOLUME: no input, no output.
    virtual bool LockVolume(FileToken file) = 0;
    virtual bool UnlockVolume(FileToken file) = 0;

    // CloseHandle of a token that OpenFile gave.
    virtual void CloseFile(FileToken file) = 0;

protected:
    StorageControl() = default;
    ~StorageControl() = default;
    StorageControl(const StorageControl&) = delete;
    StorageControl& operator=(const StorageControl&) = delete;
};

} // namespace velmora
