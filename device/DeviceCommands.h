#pragma once

#include "services/DeviceSetup.h"
#include "services/Sleeper.h"
#include "services/StorageControl.h"

#include <cstdint>
#include <string_view>

namespace velmora {

// The status line's texts for the two device commands, exactly as shown.
inline constexpr std::wstring_view kStatusFlushSucceeded = L"Device Flush Succeed.";
inline constexpr std::wstring_view kStatusFlushFailed = L"Device Flush Error.";
inline constexpr std::wstring_view kStatusInvalidDisk = L"Invalid Disk Error.";
inline constexpr std::wstring_view kStatusEjectSucceeded = L"Disk Eject Succeed.";
inline constexpr std::wstring_view kStatusEjectFailed = L"Disk Eject Error.";

enum class FlushOutcome { Succeeded, Failed };
enum class EjectOutcome { InvalidDisk, Succeeded, Failed };

// Locks and unlocks the volume of letter index 0 (A) to 25 (Z), which makes the platform write out
// its cached data; up to three attempts, one right after the other. An index above 25 fails
// without opening anything.
FlushOutcome FlushDrive(StorageControl& storage, std::uint32_t letterIndex);

// Resolves letter index 0 (A) to 25 (Z) with a locator of its own, so it never touches one that
// another thread resolves with, and asks for its device's parent to be ejected.
EjectOutcome EjectDrive(StorageControl& storage, DeviceSetup& setup, Sleeper& sleeper,
                        std::uint32_t letterIndex);

// The status line's text for an outcome; each text is a literal, so data() is terminated.
std::wstring_view StatusText(FlushOutcome outcome);
std::wstring_view StatusText(EjectOutcome outcome);

} // namespace velmora
