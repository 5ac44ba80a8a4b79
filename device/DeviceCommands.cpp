#include "device/DeviceCommands.h"

#include "device/DeviceLocator.h"
#include "device/DriveName.h"
#include "device/ScopedFile.h"

namespace velmora {

namespace {
constexpr int kFlushAttempts = 3;
} // namespace

FlushOutcome FlushDrive(StorageControl& storage, std::uint32_t letterIndex) {
    if (letterIndex >= kDriveLetterCount) {
        return FlushOutcome::Failed;
    }
    const std::wstring path = VolumePathOf(letterIndex);
    for (int attempt = 0; attempt < kFlushAttempts; ++attempt) {
        // Each attempt opens the volume anew; the handle goes when the attempt ends.
        ScopedFile volume(storage, storage.OpenFile(path, FileAccess::Read));
        if (volume.IsOpen() && storage.LockVolume(volume.Get()) &&
            storage.UnlockVolume(volume.Get())) {
            return FlushOutcome::Succeeded;
        }
    }
    return FlushOutcome::Failed;
}

EjectOutcome EjectDrive(StorageControl& storage, DeviceSetup& setup, Sleeper& sleeper,
                        std::uint32_t letterIndex) {
    DeviceLocator locator(storage, setup);
    if (!locator.Resolve(letterIndex)) {
        return EjectOutcome::InvalidDisk;
    }
    return locator.Eject(sleeper) ? EjectOutcome::Succeeded : EjectOutcome::Failed;
}

std::wstring_view StatusText(FlushOutcome outcome) {
    return outcome == FlushOutcome::Succeeded ? kStatusFlushSucceeded : kStatusFlushFailed;
}

std::wstring_view StatusText(EjectOutcome outcome) {
    switch (outcome) {
    case EjectOutcome::InvalidDisk:
        return kStatusInvalidDisk;
    case EjectOutcome::Succeeded:
        return kStatusEjectSucceeded;
    case EjectOutcome::Failed:
        break;
    }
    return kStatusEjectFailed;
}

} // namespace velmora
