#include "handles/HandleScanner.h"
#include "handles/NameCase.h"
#include "handles/ProcessLookup.h"
#include "services/win32/Win32ProcessList.h"
#include "services/win32/Win32SystemHandles.h"
#include "tests/windows/handles/HolderFixture.h"

#include <gtest/gtest.h>
#include <iostream>
#include <string>

namespace velmora::win32::testing {
namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

TEST(Win32HandleScanner, FindsAChildThatHoldsAFileInATemporaryFolder) {
    Win32SystemHandles system;
    ASSERT_TRUE(system.CanReadHandleTable());
    ASSERT_TRUE(system.CanQueryObjectNames());
    HolderFolder folder;
    const std::wstring prefix = folder.HeldFolderObjectName(system);
    ASSERT_FALSE(prefix.empty());
    std::cout << "object name prefix of the held folder: " << Narrow(prefix) << "\n";

    HolderChild child(folder.HeldFile(), false);
    ASSERT_TRUE(child.IsReady());
    HandleScanner scanner(system);
    ASSERT_TRUE(scanner.ScanDevice(prefix));
    std::cout << "handle table entries: " << scanner.Progress() << "\n";

    EXPECT_EQ(scanner.FoundPids(), std::vector<std::uint32_t>{child.ProcessId()});
    EXPECT_GT(scanner.Progress(), 0u);
    // Nothing on the machine holds a file under a name nobody has.
    ASSERT_TRUE(scanner.ScanDevice(prefix + L"no-such-folder\\"));
    EXPECT_TRUE(scanner.FoundPids().empty());
}

TEST(Win32ProcessLookup, NamesAndFindsTheChildAndNothingForADeadId) {
    Win32ProcessList processes;
    HolderFolder folder;
    HolderChild child(folder.HeldFile(), false);
    ASSERT_TRUE(child.IsReady());

    EXPECT_EQ(ProcessNameOf(processes, child.ProcessId()), HolderChild::kExecutableName);
    const std::vector<std::wstring> names{L"VELMORA_Holder.EXE", L"velmora-no-such-program.exe"};
    std::vector<std::uint32_t> pids;
    ASSERT_TRUE(FindProcessIds(processes, names, pids));
    EXPECT_EQ(pids, (std::vector<std::uint32_t>{child.ProcessId(), 0}));

    const std::uint32_t deadId = child.ProcessId();
    child.End();
    EXPECT_EQ(ProcessNameOf(processes, deadId), L"");
}

} // namespace
} // namespace velmora::win32::testing
