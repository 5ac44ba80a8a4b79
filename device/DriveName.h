#pragma once

#include <cstdint>
#include <string>

namespace velmora {

// Number of drive letters, A to Z.
inline constexpr std::uint32_t kDriveLetterCount = 26;

// "%c:" from 'A' + index: the DOS device name of a drive letter. The index must be below 26.
inline std::wstring DriveNameOf(std::uint32_t letterIndex) {
    return std::wstring{static_cast<wchar_t>(L'A' + letterIndex), L':'};
}

// "\\.\" followed by the drive name: the path that opens the drive's volume.
inline std::wstring VolumePathOf(std::uint32_t letterIndex) {
    return L"\\\\.\\" + DriveNameOf(letterIndex);
}

} // namespace velmora
