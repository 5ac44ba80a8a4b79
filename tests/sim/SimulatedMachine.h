#pragma once

#include "tests/fakes/FakeDesktop.h"
#include "tests/fakes/FakeDriveMachine.h"
#include "tests/fakes/FakeHandleTable.h"
#include "tests/sim/Scenario.h"

namespace velmora::sim {

// The fakes of the system services, set up as a scenario describes the machine: each drive on a
// volume and disk number of its own with one device interface, a device instance and a parent;
// processes and the files they hold; eject replies in order; files whose name query hangs.
// Windows are left to the caller, which makes real ones.
class SimulatedMachine {
public:
    explicit SimulatedMachine(const Scenario& scenario);
    SimulatedMachine(const SimulatedMachine&) = delete;
    SimulatedMachine& operator=(const SimulatedMachine&) = delete;

    fakes::FakeDriveMachine drives;
    fakes::HandleLedger handleLedger;
    fakes::FakeHandleTable handles{handleLedger};
    fakes::FakeDesktop desktop;
};

} // namespace velmora::sim
