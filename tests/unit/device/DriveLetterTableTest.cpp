#include "device/DriveLetterTable.h"

#include "device/QueryDeviceNumber.h"
#include "tests/unit/device/DeviceTestMachine.h"

#include <string>

namespace velmora::fakes {
namespace {

using DriveLetterTableTest = DeviceTest;

TEST_F(DriveLetterTableTest, RebuildKeepsTheFirstTargetOfEachMappedLetterAndEmptiesTheRest) {
    machine.AddDrive(L'A', L"\\Device\\Floppy0", DriveType::Removable, 0);
    machine.AddDrive(L'C', L"\\Device\\HarddiskVolume2", DriveType::Fixed, 0);
    machine.drives[L'C'].targets.push_back(L"\\Device\\Other");
    machine.AddDrive(L'Z', L"\\??\\UNC\\server\\share", DriveType::Remote, std::nullopt);
    // A list of 4094 characters and two terminators fills the buffer exactly; one more does not.
    machine.AddDrive(L'M', std::wstring(4094, L'm'), DriveType::Fixed, 0);
    machine.AddDrive(L'N', std::wstring(4095, L'n'), DriveType::Fixed, 0);

    DriveLetterTable table(machine);
    table.Rebuild();

    ASSERT_EQ(table.SlotCount(), 26u);
    EXPECT_EQ(table.DeviceNameOf(L'A'), L"\\Device\\Floppy0");
    EXPECT_EQ(table.DeviceNameOf(L'C'), L"\\Device\\HarddiskVolume2");
    EXPECT_EQ(table.DeviceNameOf(L'Z'), L"\\??\\UNC\\server\\share");
    EXPECT_EQ(table.DeviceNameOf(L'M'), std::wstring(4094, L'm'));
    EXPECT_EQ(table.DeviceNameOf(L'N'), L"");
    EXPECT_EQ(table.DeviceNameOf(L'B'), L"");
    EXPECT_EQ(machine.CallCount(L"QueryDosTargets"), 26u);
    EXPECT_EQ(machine.CallCount(L"QueryDosTargets A: 4096"), 1u);
    EXPECT_EQ(machine.CallCount(L"QueryDosTargets Z: 4096"), 1u);
}

TEST_F(DriveLetterTableTest, ALetterThatLosesItsMappingIsEmptyAfterTheNextRebuild) {
    machine.AddDrive(L'E', L"\\Device\\HarddiskVolume9", DriveType::Removable, 3);
    DriveLetterTable table(machine);
    table.Rebuild();
    ASSERT_EQ(table.DeviceNameOf(L'E'), L"\\Device\\HarddiskVolume9");

    machine.drives.erase(L'E');
    table.Rebuild();
    EXPECT_EQ(table.DeviceNameOf(L'E'), L"");
    EXPECT_EQ(table.SlotCount(), 26u);
}

TEST_F(DriveLetterTableTest, DeviceNameOfSelectsSlotsOnlyWithCapitalLetters) {
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        machine.AddDrive(letter, std::wstring(L"\\Device\\Volume") + letter, DriveType::Fixed, 0);
    }
    DriveLetterTable table(machine);
    const wchar_t outside[] = {L'\0', L'1', L'@', L'[', L'`',
                               L'a',  L'e', L'z', L'{', static_cast<wchar_t>(0xFFFF)};
    for (const wchar_t c : outside) {
        EXPECT_EQ(table.DeviceNameOf(c), L"") << "before the first rebuild: " << int(c);
    }
    EXPECT_EQ(table.DeviceNameOf(L'A'), L"") << "no slots before the first rebuild";

    table.Rebuild();
    for (const wchar_t c : outside) {
        EXPECT_EQ(table.DeviceNameOf(c), L"") << int(c);
    }
    EXPECT_EQ(table.DeviceNameOf(L'A'), L"\\Device\\VolumeA");
    EXPECT_EQ(table.DeviceNameOf(L'Z'), L"\\Device\\VolumeZ");
}

struct DeviceNumberCase {
    const char* name;
    bool present;
    std::optional<std::uint32_t> number;
    std::int32_t expected;
};

void PrintTo(const DeviceNumberCase& c, std::ostream* os) {
    *os << c.name;
}

class QueryDeviceNumberTest : public DeviceTest,
                              public ::testing::WithParamInterface<DeviceNumberCase> {};

TEST_P(QueryDeviceNumberTest, OpensWithoutRightsAndClosesOnEveryPath) {
    const auto& c = GetParam();
    const std::wstring path = L"\\\\.\\E:";
    if (c.present) {
        machine.volumes[path].deviceNumber = c.number;
    }
    EXPECT_EQ(QueryDeviceNumber(machine, path), c.expected);
    EXPECT_EQ(machine.callLog.front(), L"OpenFile \\\\.\\E: none");
    EXPECT_EQ(machine.CallCount(L"CloseFile"), c.present ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QueryDeviceNumberTest,
    ::testing::Values(DeviceNumberCase{"answers", true, 5, 5},
                      DeviceNumberCase{"answers_zero", true, 0, 0},
                      DeviceNumberCase{"does_not_answer", true, std::nullopt, -1},
                      DeviceNumberCase{"cannot_be_opened", false, std::nullopt, -1}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace velmora::fakes
