#include "device/DeviceCommands.h"

#include "device/DeviceLocator.h"
#include "tests/unit/device/DeviceTestMachine.h"

#include <functional>
#include <string>
#include <vector>

namespace velmora::fakes {
namespace {

using Reply = FakeDriveMachine::EjectReply;

const Reply kVetoed{Cr::RemoveVetoed, PnpVeto::OutstandingOpen, L"\\Device\\HarddiskVolume9"};

struct EjectCase {
    const char* name;
    std::vector<Reply> replies;
    bool ejected;
    std::size_t requests;
    std::uint64_t pausedMs;
    std::wstring vetoName;
};

void PrintTo(const EjectCase& c, std::ostream* os) {
    *os << c.name;
}

class EjectTest : public DeviceTest, public ::testing::WithParamInterface<EjectCase> {};

TEST_P(EjectTest, AsksTheParentUpToThreeTimesWithPausesBetween) {
    const auto& c = GetParam();
    AddUsbStick(machine);
    machine.ejectReplies.assign(c.replies.begin(), c.replies.end());
    DeviceLocator locator(machine, machine);
    ASSERT_TRUE(locator.Resolve(4));

    EXPECT_EQ(locator.Eject(sleeper), c.ejected);
    EXPECT_EQ(machine.CallCount(L"RequestDeviceEject 65 260"), c.requests);
    EXPECT_EQ(machine.CallCount(L"RequestDeviceEject"), c.requests);
    EXPECT_EQ(sleeper.TotalMilliseconds(), c.pausedMs);
    for (const auto pause : sleeper.pauses) {
        EXPECT_EQ(pause, 333u);
    }
    EXPECT_EQ(locator.VetoName(), c.vetoName);
    EXPECT_EQ(machine.ejected,
              c.ejected ? std::vector<DevInst>{kStickParent} : std::vector<DevInst>{});
}

const Reply kSucceeded{};
const Reply kFailed{Cr::InvalidDevNode, std::nullopt, L""};
const Reply kSuccessWithVeto{Cr::Success, PnpVeto::OutstandingOpen, L"Notepad"};

INSTANTIATE_TEST_SUITE_P(
    Cases, EjectTest,
    ::testing::Values(
        EjectCase{"first_request", {kSucceeded}, true, 1, 0, L""},
        EjectCase{"second_request", {kFailed, kSucceeded}, true, 2, 666, L""},
        EjectCase{"third_request", {kVetoed, kFailed, kSucceeded}, true, 3, 1332, L""},
        EjectCase{"success_reporting_a_veto_counts_as_failure",
                  {kSuccessWithVeto, kSuccessWithVeto, kSuccessWithVeto},
                  false,
                  3,
                  1665,
                  L"Notepad"},
        EjectCase{"three_vetoes_keep_the_last_name",
                  {Reply{Cr::RemoveVetoed, 6, L"First"}, Reply{Cr::RemoveVetoed, 6, L"Second"},
                   Reply{Cr::RemoveVetoed, 6, L"Last"}},
                  false,
                  3,
                  1665,
                  L"Last"},
        EjectCase{"a_failure_without_a_name_leaves_none",
                  {Reply{Cr::RemoveVetoed, 6, L"First"}, kFailed, kFailed},
                  false,
                  3,
                  1665,
                  L""},
        // The platform writes the veto type only when it vetoes: a success after a veto must
        // not inherit the earlier veto's type.
        EjectCase{"success_after_a_veto_that_left_its_type",
                  {kVetoed, Reply{Cr::Success, std::nullopt, L""}},
                  true,
                  2,
                  666,
                  L""},
        EjectCase{"veto_name_filling_the_buffer_is_not_read_past_it",
                  {Reply{Cr::RemoveVetoed, 6, std::wstring(300, L'x')}, kFailed,
                   Reply{Cr::RemoveVetoed, 6, std::wstring(300, L'x')}},
                  false,
                  3,
                  1665,
                  std::wstring(259, L'x')}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedEjectCase {
    const char* name;
    std::function<void(FakeDriveMachine&)> arrange;
};

void PrintTo(const RefusedEjectCase& c, std::ostream* os) {
    *os << c.name;
}

class RefusedEjectTest : public DeviceTest,
                         public ::testing::WithParamInterface<RefusedEjectCase> {};

TEST_P(RefusedEjectTest, FailsAtOnceWithoutRequestsOrPauses) {
    AddUsbStick(machine);
    GetParam().arrange(machine);
    DeviceLocator locator(machine, machine);
    locator.Resolve(4);

    EXPECT_FALSE(locator.Eject(sleeper));
    EXPECT_EQ(machine.CallCount(L"RequestDeviceEject"), 0u);
    EXPECT_TRUE(sleeper.pauses.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedEjectTest,
    ::testing::Values(
        RefusedEjectCase{"not_resolved", [](auto& m) { m.drives.erase(L'E'); }},
        RefusedEjectCase{"set_failed", [](auto& m) { m.setCreationFails = true; }},
        RefusedEjectCase{"no_device_instance", [](auto& m) { m.interfaces.pop_back(); }},
        RefusedEjectCase{"removable_but_not_disableable",
                         [](auto& m) { m.devices[kStick].status = 0x400A; }},
        // Without the parent there is nothing that a request could eject.
        RefusedEjectCase{"parent_unknown",
                         [](auto& m) { m.devices[kStick].parentResult = Cr::NoSuchValue; }},
        RefusedEjectCase{"parent_zero", [](auto& m) { m.devices[kStick].parent = 0; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceTest, ReleaseForgetsTheVetoNameAndGivesBackTheSet) {
    AddUsbStick(machine);
    machine.ejectReplies.assign(3, kVetoed);
    DeviceLocator locator(machine, machine);
    ASSERT_TRUE(locator.Resolve(4));
    ASSERT_FALSE(locator.Eject(sleeper));
    ASSERT_FALSE(locator.VetoName().empty());

    locator.Release();
    EXPECT_EQ(locator.VetoName(), L"");
    EXPECT_EQ(locator.CurrentState(), DeviceLocator::State::Cleared);
    EXPECT_TRUE(machine.ledger.IsEmpty());
}

struct FlushCase {
    const char* name;
    std::function<void(FakeDriveMachine&)> arrange;
    std::uint32_t letterIndex;
    FlushOutcome outcome;
    std::vector<std::wstring> calls;
};

void PrintTo(const FlushCase& c, std::ostream* os) {
    *os << c.name;
}

const std::wstring kOpen = L"OpenFile \\\\.\\E: read";

class FlushDriveTest : public DeviceTest, public ::testing::WithParamInterface<FlushCase> {};

TEST_P(FlushDriveTest, LocksAndUnlocksUpToThreeTimesWithoutPause) {
    const auto& c = GetParam();
    AddUsbStick(machine);
    c.arrange(machine);
    EXPECT_EQ(FlushDrive(machine, c.letterIndex), c.outcome);
    EXPECT_EQ(machine.callLog, c.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FlushDriveTest,
    ::testing::Values(FlushCase{"first_attempt",
                                [](auto&) {},
                                4,
                                FlushOutcome::Succeeded,
                                {kOpen, L"LockVolume", L"UnlockVolume", L"CloseFile"}},
                      FlushCase{"unlock_refused_once",
                                [](auto& m) { m.volumes[L"\\\\.\\E:"].unlockRefusals = 1; },
                                4,
                                FlushOutcome::Succeeded,
                                {kOpen, L"LockVolume", L"UnlockVolume", L"CloseFile", kOpen,
                                 L"LockVolume", L"UnlockVolume", L"CloseFile"}},
                      FlushCase{"volume_in_use",
                                [](auto& m) { m.volumes[L"\\\\.\\E:"].inUse = true; },
                                4,
                                FlushOutcome::Failed,
                                {kOpen, L"LockVolume", L"CloseFile", kOpen, L"LockVolume",
                                 L"CloseFile", kOpen, L"LockVolume", L"CloseFile"}},
                      FlushCase{"unlock_always_refused",
                                [](auto& m) { m.volumes[L"\\\\.\\E:"].unlockRefusals = 3; },
                                4,
                                FlushOutcome::Failed,
                                {kOpen, L"LockVolume", L"UnlockVolume", L"CloseFile", kOpen,
                                 L"LockVolume", L"UnlockVolume", L"CloseFile", kOpen, L"LockVolume",
                                 L"UnlockVolume", L"CloseFile"}},
                      FlushCase{"letter_gone",
                                [](auto& m) { m.volumes.erase(L"\\\\.\\E:"); },
                                4,
                                FlushOutcome::Failed,
                                {kOpen, kOpen, kOpen}},
                      FlushCase{"index_beyond_z", [](auto&) {}, 26, FlushOutcome::Failed, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct EjectDriveCase {
    const char* name;
    std::function<void(FakeDriveMachine&)> arrange;
    EjectOutcome outcome;
    std::size_t requests;
    std::uint64_t pausedMs;
};

void PrintTo(const EjectDriveCase& c, std::ostream* os) {
    *os << c.name;
}

class EjectDriveTest : public DeviceTest, public ::testing::WithParamInterface<EjectDriveCase> {};

TEST_P(EjectDriveTest, ResolvesWithALocatorOfItsOwnAndGivesItBack) {
    const auto& c = GetParam();
    AddUsbStick(machine);
    c.arrange(machine);
    EXPECT_EQ(EjectDrive(machine, machine, sleeper, 4), c.outcome);
    EXPECT_EQ(machine.CallCount(L"RequestDeviceEject"), c.requests);
    EXPECT_EQ(sleeper.TotalMilliseconds(), c.pausedMs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EjectDriveTest,
    ::testing::Values(
        EjectDriveCase{"ejected", [](auto&) {}, EjectOutcome::Succeeded, 1, 0},
        EjectDriveCase{"letter_no_longer_resolves", [](auto& m) { m.drives.erase(L'E'); },
                       EjectOutcome::InvalidDisk, 0, 0},
        EjectDriveCase{"not_disableable", [](auto& m) { m.devices[kStick].status = 0x4000; },
                       EjectOutcome::Failed, 0, 0},
        EjectDriveCase{"vetoed_three_times", [](auto& m) { m.ejectReplies.assign(3, kVetoed); },
                       EjectOutcome::Failed, 3, 1665}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceTest, EjectDriveLeavesAnotherThreadsLocatorAlone) {
    AddUsbStick(machine, L'E');
    AddUsbStick(machine, L'F');
    DeviceLocator scanLocator(machine, machine);
    ASSERT_TRUE(scanLocator.Resolve(4));

    EXPECT_EQ(EjectDrive(machine, machine, sleeper, 5), EjectOutcome::Succeeded);
    EXPECT_EQ(scanLocator.CurrentState(), DeviceLocator::State::Resolved);
    EXPECT_EQ(machine.ledger.OpenCount(), 1u) << "only the scan locator's set is still held";
    EXPECT_TRUE(scanLocator.HasRequiredStatus());
}

TEST(DeviceStatusText, EachOutcomeHasItsExactText) {
    EXPECT_EQ(StatusText(FlushOutcome::Succeeded), L"Device Flush Succeed.");
    EXPECT_EQ(StatusText(FlushOutcome::Failed), L"Device Flush Error.");
    EXPECT_EQ(StatusText(EjectOutcome::InvalidDisk), L"Invalid Disk Error.");
    EXPECT_EQ(StatusText(EjectOutcome::Succeeded), L"Disk Eject Succeed.");
    EXPECT_EQ(StatusText(EjectOutcome::Failed), L"Disk Eject Error.");
}

} // namespace
} // namespace velmora::fakes
