#pragma once

#include "services/DeviceSetup.h"
#include "services/Sleeper.h"
#include "services/StorageControl.h"

#include <cstdint>
#include <string>

namespace velmora {

// One resolution of a drive letter to the Plug and Play device instance behind it, and the eject
// request for that device. The locator owns the device-information set of its last resolution;
// the next Resolve, Release and the destructor give it back. Not for two threads at once: every
// thread that resolves needs a locator of its own.
class DeviceLocator {
public:
    // Where a locator stands after its last Resolve or Release.
    enum class State { Cleared, SetFailed, ResolvedNoDevice, Resolved };

    DeviceLocator(StorageControl& storage, DeviceSetup& setup) : storage(storage), setup(setup) {}
    ~DeviceLocator() { Release(); }
    DeviceLocator(const DeviceLocator&) = delete;
    DeviceLocator& operator=(const DeviceLocator&) = delete;

    // Resolves letter index 0 (A) to 25 (Z). True when a set of the drive's interface class was
    // created; DeviceInstance() then says whether the drive's device was found. An index above 25
    // returns false and leaves the locator as it was; any other failure leaves it Cleared, or
    // SetFailed when only the set could not be created.
    bool Resolve(std::uint32_t letterIndex);

    // True when a device instance was found and its status carries every required bit.
    bool HasRequiredStatus() const;

    // Gives back the set and forgets the class, the device instance and the veto name.
    void Release();

    // Asks Plug and Play to eject the parent of the resolved device, up to three times with 333 ms
    // pauses through the sleeper. True when a request succeeded without a veto. Expects a locator
    // that Resolve has just resolved; any other state returns false without a request.
    bool Eject(Sleeper& sleeper);

    State CurrentState() const;
    const Guid* InterfaceClass() const { return interfaceClass; }
    DevInst DeviceInstance() const { return deviceInstance; }
    std::uint32_t RequiredStatus() const { return requiredStatus; }
    const std::wstring& VetoName() const { return vetoName; }

    // The device instance of the first member of the locator's set whose path answers with the
    // given device number, or 0.
    friend DevInst FindDeviceInstance(const DeviceLocator& locator, std::int32_t deviceNumber);

private:
    // What deviceInfoSet holds: nothing, the mark of a failed creation, or a set to give back.
    enum class SetHolding { None, CreationFailed, Held };

    StorageControl& storage;
    DeviceSetup& setup;
    const Guid* interfaceClass = nullptr;
    SetHolding setHolding = SetHolding::None;
    DeviceInfoSet deviceInfoSet{};
    DevInst deviceInstance = 0;
    const std::uint32_t requiredStatus = kDnDisableable;
    std::wstring vetoName;

    void DestroySet();
};

// The device's friendly name, or the empty name when the device instance is 0, the property is
// missing, is not a plain string, or does not fit 2048 characters with its terminator.
std::wstring QueryFriendlyName(DeviceSetup& setup, DevInst devInst);

} // namespace velmora
