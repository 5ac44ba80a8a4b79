#include "device/DeviceLocator.h"

#include "device/BoundedText.h"
#include "device/DriveName.h"
#include "device/InterfaceClass.h"
#include "device/QueryDeviceNumber.h"

#include <array>
#include <string_view>

namespace velmora {

namespace {

// Characters of the buffer the drive's own mapping is read into.
constexpr std::size_t kTargetChars = 260;
// Bytes of the buffer an interface detail is read into; a larger detail is passed over.
constexpr std::uint32_t kDetailBytes = 2048;
// Characters of the friendly-name buffer, terminator included.
constexpr std::size_t kFriendlyNameChars = 2048;
// Characters of the veto-name buffer.
constexpr std::size_t kVetoNameChars = 260;
// Eject requests per command, and the pause that follows a failed one.
constexpr int kEjectAttempts = 3;
constexpr std::uint32_t kEjectPauseMs = 333;

// The interface class a drive is looked up among, or none for drives that cannot be ejected.
const Guid* InterfaceClassFor(std::uint32_t driveType, std::wstring_view targetName) {
    switch (driveType) {
    case DriveType::Removable:
        // Case-sensitive on purpose: only the floppy driver's own device names say "\Floppy".
        return targetName.find(L"\\Floppy") != std::wstring_view::npos ? &kGuidDevinterfaceFloppy
                                                                       : &kGuidDevinterfaceDisk;
    case DriveType::Fixed:
        return &kGuidDevinterfaceDisk;
    case DriveType::CdRom:
        return &kGuidDevinterfaceCdrom;
    default:
        return nullptr;
    }
}

} // namespace

DeviceLocator::State DeviceLocator::CurrentState() const {
    switch (setHolding) {
    case SetHolding::None:
        return State::Cleared;
    case SetHolding::CreationFailed:
        return State::SetFailed;
    case SetHolding::Held:
        break;
    }
    return deviceInstance == 0 ? State::ResolvedNoDevice : State::Resolved;
}

void DeviceLocator::DestroySet() {
    // The mark of a failed creation is no set: only a held one goes back to the platform.
    if (setHolding == SetHolding::Held) {
        setup.DestroyDeviceInfoList(deviceInfoSet);
    }
    setHolding = SetHolding::None;
    deviceInfoSet = {};
}

bool DeviceLocator::Resolve(std::uint32_t letterIndex) {
    if (letterIndex >= kDriveLetterCount) {
        return false;
    }
    DestroySet();
    interfaceClass = nullptr;
    deviceInstance = 0;

    const std::wstring driveName = DriveNameOf(letterIndex);
    const std::int32_t deviceNumber = QueryDeviceNumber(storage, VolumePathOf(letterIndex));
    if (deviceNumber < 0) {
        return false;
    }
    std::array<wchar_t, kTargetChars> buffer{};
    const std::size_t stored = storage.QueryDosTargets(driveName, buffer);
    const auto targetName =
        TerminatedText(std::span(buffer).first(std::min(stored, buffer.size())));
    if (!targetName) {
        return false;
    }
    const Guid* chosen = InterfaceClassFor(storage.DriveTypeOf(driveName + L"\\"), *targetName);
    if (chosen == nullptr) {
        return false;
    }

    interfaceClass = chosen;
    const auto set = setup.GetPresentInterfaces(*chosen);
    if (!set) {
        setHolding = SetHolding::CreationFailed;
        return false;
    }
    setHolding = SetHolding::Held;
    deviceInfoSet = *set;
    deviceInstance = FindDeviceInstance(*this, deviceNumber);
    return true;
}

DevInst FindDeviceInstance(const DeviceLocator& locator, std::int32_t deviceNumber) {
    if (locator.setHolding != DeviceLocator::SetHolding::Held) {
        return 0;
    }
    DeviceSetup& setup = locator.setup;
    for (std::uint32_t index = 0;; ++index) {
        const auto member =
            setup.EnumDeviceInterface(locator.deviceInfoSet, *locator.interfaceClass, index);
        if (!member) {
            return 0;
        }
        const std::uint32_t required =
            setup.DeviceInterfaceDetailSize(locator.deviceInfoSet, *member);
        if (required == 0 || required > kDetailBytes) {
            continue;
        }
        alignas(8) std::array<std::byte, kDetailBytes> buffer{};
        const auto detail = setup.ReadDeviceInterfaceDetail(locator.deviceInfoSet, *member,
                                                            std::span(buffer).first(required));
        if (detail && QueryDeviceNumber(locator.storage, detail->devicePath) == deviceNumber) {
            return detail->devInst;
        }
    }
}

bool DeviceLocator::HasRequiredStatus() const {
    if (deviceInstance == 0) {
        return false;
    }
    std::uint32_t status = 0;
    std::uint32_t problem = 0;
    if (setup.GetDevNodeStatus(status, problem, deviceInstance) != Cr::Success) {
        return false;
    }
    return (status & requiredStatus) == requiredStatus;
}

std::wstring QueryFriendlyName(DeviceSetup& setup, DevInst devInst) {
    if (devInst == 0) {
        return {};
    }
    std::uint32_t dataType = 0;
    std::array<wchar_t, kFriendlyNameChars> buffer{};
    std::uint32_t length = sizeof(buffer);
    const ConfigRet result = setup.GetDevNodeRegistryProperty(
        devInst, kCmDrpFriendlyName, dataType, std::as_writable_bytes(std::span(buffer)), length);
    if (result != Cr::Success || dataType != kRegSz) {
        return {};
    }
    return TerminatedText(buffer).value_or(std::wstring());
}

void DeviceLocator::Release() {
    DestroySet();
    interfaceClass = nullptr;
    deviceInstance = 0;
    vetoName.clear();
    vetoName.shrink_to_fit();
}

bool DeviceLocator::Eject(Sleeper& sleeper) {
    if (CurrentState() != State::Resolved || !HasRequiredStatus()) {
        return false;
    }
    // Without its parent there is nothing to ask for: a request for device instance 0 can only
    // fail, and would keep the window waiting through every pause for nothing.
    DevInst parent = 0;
    if (setup.GetParent(parent, deviceInstance) != Cr::Success || parent == 0) {
        return false;
    }

    std::array<wchar_t, kVetoNameChars> vetoBuffer{};
    bool succeeded = false;
    for (int attempt = 0; attempt < kEjectAttempts;) {
        if (attempt > 0) {
            sleeper.Sleep(kEjectPauseMs);
        }
        vetoBuffer[0] = L'\0';
        // Reset before every request: the platform writes the veto type only when it vetoes, so a
        // type left over from an earlier veto would turn a later success into a failure.
        std::uint32_t vetoType = PnpVeto::TypeUnknown;
        if (setup.RequestDeviceEject(parent, vetoType, vetoBuffer) == Cr::Success &&
            vetoType == PnpVeto::TypeUnknown) {
            succeeded = true;
            break;
        }
        sleeper.Sleep(kEjectPauseMs);
        ++attempt;
    }
    vetoName = TerminatedText(vetoBuffer).value_or(std::wstring());
    return succeeded;
}

} // namespace velmora
