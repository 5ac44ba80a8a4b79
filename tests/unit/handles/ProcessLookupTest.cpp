#include "handles/ProcessLookup.h"

#include "tests/fakes/FakeDesktop.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using Pids = std::vector<std::uint32_t>;

TEST(ProcessNameOf, GivesTheNameAsTheSystemSpellsItOrNothing) {
    fakes::FakeDesktop desktop;
    desktop.AddProcess(10, L"Editor.EXE");
    desktop.AddProcess(11, L"guarded.exe", false);

    EXPECT_EQ(ProcessNameOf(desktop, 10), L"Editor.EXE");
    EXPECT_EQ(ProcessNameOf(desktop, 11), L"");
    EXPECT_EQ(ProcessNameOf(desktop, 12), L"");
}

TEST(FindProcessIds, TheIdBufferDoublesUntilTheReplyNoLongerFillsIt) {
    for (const std::uint32_t running : {31u, 32u, 70u}) {
        fakes::FakeDesktop desktop;
        for (std::uint32_t id = 1; id <= running; ++id) {
            desktop.AddProcess(id * 4, L"p" + std::to_wstring(id) + L".exe");
        }
        const std::vector<std::wstring> names{L"p1.exe", L"p" + std::to_wstring(running) + L".exe"};
        Pids pids;

        ASSERT_TRUE(FindProcessIds(desktop, names, pids));
        EXPECT_EQ(pids, (Pids{4, running * 4})) << running << " processes";
        // A reply that fills the buffer may have been cut short, so 32 running still doubles.
        const std::vector<std::size_t> expected = running < 32 ? std::vector<std::size_t>{32}
                                                  : running == 32
                                                      ? std::vector<std::size_t>{32, 64}
                                                      : std::vector<std::size_t>{32, 64, 128};
        EXPECT_EQ(desktop.ListSizes(), expected);
    }
}

TEST(FindProcessIds, MatchesNamesWithoutCaseForAToZOnlyAndTheLastProcessOfANameWins) {
    fakes::FakeDesktop desktop;
    desktop.AddProcess(10, L"notepad.exe");
    desktop.AddProcess(11, L"CALC.EXE");
    desktop.AddProcess(12, L"\u00e4rger.exe");
    desktop.AddProcess(20, L"dup.exe");
    desktop.AddProcess(21, L"Dup.exe");
    desktop.AddProcess(22, L"dup.exe", false);
    const std::vector<std::wstring> names{L"NOTEPAD.EXE", L"calc.exe",   L"\u00c4rger.exe",
                                          L"dup.exe",     L"absent.exe", L"DUP.exe"};
    Pids pids{99, 99};

    ASSERT_TRUE(FindProcessIds(desktop, names, pids));
    EXPECT_EQ(pids, (Pids{10, 11, 0, 21, 0, 21}));
}

TEST(FindProcessIds, AFailedEnumerationLeavesOneZeroPerName) {
    fakes::FakeDesktop desktop;
    desktop.AddProcess(10, L"a.exe");
    desktop.SetEnumerationFails(true);
    const std::vector<std::wstring> names{L"a.exe", L"b.exe"};
    Pids pids{7};

    EXPECT_FALSE(FindProcessIds(desktop, names, pids));
    EXPECT_EQ(pids, (Pids{0, 0}));
}

} // namespace
} // namespace velmora
