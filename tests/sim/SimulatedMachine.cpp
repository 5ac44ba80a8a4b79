#include "tests/sim/SimulatedMachine.h"

#include "device/InterfaceClass.h"

#include <algorithm>
#include <map>

namespace velmora::sim {
namespace {

constexpr std::uint32_t kDisableable = 0x300A; // started, with the can-be-disabled bit
constexpr std::uint32_t kPlainDevice = 0x180A;

const Guid& InterfaceClassOf(std::uint32_t driveType) {
    return driveType == DriveType::CdRom ? kGuidDevinterfaceCdrom : kGuidDevinterfaceDisk;
}

} // namespace

SimulatedMachine::SimulatedMachine(const Scenario& scenario) {
    for (std::size_t index = 0; index < scenario.drives.size(); ++index) {
        const Scenario::Drive& drive = scenario.drives[index];
        const auto number = static_cast<std::uint32_t>(10 + index);
        const DevInst device = 0x100 + number;
        const DevInst parent = 0x80 + number;
        drives.AddDrive(drive.letter, scenario.VolumeOf(drive.letter), drive.driveType, number)
            .inUse = drive.inUse;
        drives.AddInterface(InterfaceClassOf(drive.driveType),
                            L"\\\\?\\simulated#disk#" + std::to_wstring(number), device, number);
        auto& instance = drives.devices[device];
        instance.status = drive.disableable ? kDisableable : kPlainDevice;
        instance.friendlyName = drive.friendlyName;
        instance.parent = parent;
        drives.devices[parent].status = kPlainDevice;
        for (const Scenario::EjectReply& reply : drive.ejectReplies) {
            drives.ejectReplies.push_back({reply.result, reply.vetoType, reply.vetoName});
        }
    }
    for (const Scenario::Process& process : scenario.processes) {
        desktop.AddProcess(process.id, process.name, process.readable);
    }
    std::map<std::uint32_t, std::uintptr_t> handleCounts;
    for (const Scenario::File& file : scenario.files) {
        handles.AddFile(file.processId, scenario.VolumeOf(file.letter) + file.path);
        // The fake numbers each process's handles 4, 8, 12, ... in the order they are added.
        const std::uintptr_t value = 4 * ++handleCounts[file.processId];
        if (file.hangs) {
            handles.BlockNameQuery({file.processId, value});
        }
    }
}

} // namespace velmora::sim
