#include "settings/IgnoreList.h"

#include "tests/fakes/FakeDesktop.h"
#include "tests/fakes/FakeRegistry.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <limits>

namespace velmora {
namespace {

using fakes::FakeRegistry;
using Names = std::vector<std::wstring>;
using Pids = std::vector<std::uint32_t>;

const std::wstring kKey(kIgnoreListKeyPath);

class IgnoreListStore : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(registry.ledger.IsEmpty()) << registry.ledger.Describe();
        EXPECT_TRUE(registry.misuse.empty());
    }

    FakeRegistry registry;
};

struct ReadCase {
    const char* what;
    FakeRegistry::Values planted;
    Names names;
};

TEST_F(IgnoreListStore, ReadsEveryAcceptableEntryUpToSizeInTheOrderOfItsNumbers) {
    const std::wstring chars259(259, L'x');
    const std::wstring chars260(260, L'y');
    const auto size = [](std::uint32_t n) { return FakeRegistry::Dword(n); };
    const auto name = [](std::wstring_view text) { return FakeRegistry::String(text); };
    const ReadCase cases[] = {
        {"number 3 missing",
         {{L"Size", size(5)},
          {L"FileName1", name(L"a.exe")},
          {L"FileName2", name(L"b.exe")},
          {L"FileName4", name(L"d.exe")},
          {L"FileName5", name(L"e.exe")}},
         {L"a.exe", L"b.exe", L"d.exe", L"e.exe"}},
        {"numbers above Size",
         {{L"Size", size(1)}, {L"FileName1", name(L"a.exe")}, {L"FileName2", name(L"b.exe")}},
         {L"a.exe"}},
        {"Size missing", {{L"FileName1", name(L"a.exe")}}, {}},
        {"Size as a string", {{L"Size", name(L"1")}, {L"FileName1", name(L"a.exe")}}, {}},
        {"Size as a REG_DWORD of 2 bytes",
         {{L"Size", FakeRegistry::Bytes(RegistryType::Dword, {1, 0})},
          {L"FileName1", name(L"a.exe")}},
         {}},
        {"Size as a REG_QWORD",
         {{L"Size", FakeRegistry::Bytes(RegistryType::Qword, {1, 0, 0, 0, 0, 0, 0, 0})},
          {L"FileName1", name(L"a.exe")}},
         {}},
        {"Size as 4 bytes of REG_BINARY",
         {{L"Size", FakeRegistry::Bytes(RegistryType::Binary, {1, 0, 0, 0})},
          {L"FileName1", name(L"a.exe")}},
         {}},
        {"300 characters",
         {{L"Size", size(2)},
          {L"FileName1", name(std::wstring(300, L'x'))},
          {L"FileName2", name(L"b.exe")}},
         {L"b.exe"}},
        {"259 characters fit, 260 do not",
         {{L"Size", size(2)}, {L"FileName1", name(chars259)}, {L"FileName2", name(chars260)}},
         {chars259}},
        {"a REG_DWORD entry",
         {{L"Size", size(2)}, {L"FileName1", size(7)}, {L"FileName2", name(L"b.exe")}},
         {L"b.exe"}},
        {"a terminated string as REG_BINARY",
         {{L"Size", size(1)}, {L"FileName1", FakeRegistry::String(L"a.exe", RegistryType::Binary)}},
         {}},
        {"odd length",
         {{L"Size", size(1)},
          {L"FileName1", FakeRegistry::Bytes(RegistryType::String, {'a', 0, 0, 0, 0})}},
         {}},
        {"no terminating null",
         {{L"Size", size(1)},
          {L"FileName1", FakeRegistry::Bytes(RegistryType::String, {'a', 0, 'b', 0})}},
         {}},
        {"half a terminator",
         {{L"Size", size(1)},
          {L"FileName1", FakeRegistry::Bytes(RegistryType::String, {'a', 0, 0, 1})}},
         {}},
        {"REG_EXPAND_SZ taken literally",
         {{L"Size", size(1)},
          {L"FileName1", FakeRegistry::String(L"%SystemRoot%\\x.exe", RegistryType::ExpandString)}},
         {L"%SystemRoot%\\x.exe"}},
        {"length 0 and a lone terminator",
         {{L"Size", size(2)},
          {L"FileName1", FakeRegistry::Bytes(RegistryType::String, {})},
          {L"FileName2", name(L"")}},
         {L"", L""}},
        {"the text ends at its first null",
         {{L"Size", size(1)},
          {L"FileName1", FakeRegistry::Bytes(RegistryType::String, {'a', 0, 0, 0, 'b', 0, 0, 0})}},
         {L"a"}},
        {"little-endian code units, a zero low byte included",
         {{L"Size", size(1)},
          {L"FileName1",
           FakeRegistry::Bytes(RegistryType::String, {0xE4, 0x00, 0x00, 0x26, 0, 0})}},
         {L"\u00e4\u2600"}},
    };
    for (const ReadCase& c : cases) {
        registry.keys = {{kKey, c.planted}};
        EXPECT_EQ(ReadIgnoreList(registry), c.names) << c.what;
        EXPECT_EQ(registry.keys[kKey], c.planted) << c.what << ": reading changed the store";
    }
}

TEST_F(IgnoreListStore, ReadsAtMostTheFirst1024NumbersWhateverSizeSays) {
    FakeRegistry::Values planted;
    for (std::uint32_t number = 1; number <= 1100; ++number) {
        planted[L"FileName" + std::to_wstring(number)] =
            FakeRegistry::String(L"p" + std::to_wstring(number) + L".exe");
    }
    for (const std::uint32_t size : {1024u, 1025u, 5000u, 0x80000000u, 0xFFFFFFFFu}) {
        planted[L"Size"] = FakeRegistry::Dword(size);
        registry.keys = {{kKey, planted}};
        registry.callLog.clear();

        const auto names = ReadIgnoreList(registry);

        ASSERT_TRUE(names) << size;
        ASSERT_EQ(names->size(), 1024u) << size;
        EXPECT_EQ(names->front(), L"p1.exe");
        EXPECT_EQ(names->back(), L"p1024.exe");
        EXPECT_EQ(registry.CallCount(L"read FileName"), 1024u) << size;
    }
}

TEST_F(IgnoreListStore, FirstRunCreatesTheEmptyKeyAndIgnoresNothing) {
    fakes::FakeDesktop desktop;
    desktop.AddProcess(10, L"a.exe");
    Pids pids{99};

    EXPECT_TRUE(LoadIgnoreList(registry, desktop, pids));

    EXPECT_EQ(pids, Pids{});
    ASSERT_EQ(registry.keys.count(kKey), 1u);
    EXPECT_TRUE(registry.keys[kKey].empty());
}

TEST_F(IgnoreListStore, LoadGivesEachNameReadTheIdOfTheProcessBearingIt) {
    registry.keys[kKey] = {{L"Size", FakeRegistry::Dword(4)},
                           {L"FileName1", FakeRegistry::String(L"editor.exe")},
                           {L"FileName2", FakeRegistry::String(L"")},
                           {L"FileName3", FakeRegistry::Dword(3)},
                           {L"FileName4", FakeRegistry::String(L"CALC.EXE")}};
    fakes::FakeDesktop desktop;
    desktop.AddProcess(10, L"Editor.exe");
    desktop.AddProcess(11, L"calc.exe");
    Pids pids{99};

    EXPECT_TRUE(LoadIgnoreList(registry, desktop, pids));
    EXPECT_EQ(pids, (Pids{10, 0, 11}));
}

TEST_F(IgnoreListStore, AKeyThatCannotBeCreatedIgnoresNothingAndWritesNothing) {
    registry.keys[kKey] = {{L"Size", FakeRegistry::Dword(1)},
                           {L"FileName1", FakeRegistry::String(L"a.exe")}};
    const auto before = registry.keys;
    registry.creationFails = true;
    fakes::FakeDesktop desktop;
    desktop.AddProcess(10, L"a.exe");
    Pids pids{7};

    EXPECT_FALSE(LoadIgnoreList(registry, desktop, pids));
    EXPECT_EQ(pids, Pids{});
    EXPECT_FALSE(AppendIgnoreEntry(registry, L"b.exe"));
    EXPECT_EQ(registry.CallCount(L"write"), 0u);
    EXPECT_EQ(registry.keys, before);
}

struct AppendCase {
    const char* what;
    FakeRegistry::Values before;
    std::wstring name;
    FakeRegistry::Values after;
};

TEST_F(IgnoreListStore, AppendWritesSizeAndTheNextEntryUnlessTheNameIsNeverRecorded) {
    using R = FakeRegistry;
    const R::Values one{{L"Size", R::Dword(1)}, {L"FileName1", R::String(L"x.exe")}};
    const AppendCase cases[] = {
        {"first entry, byte for byte",
         {},
         L"a.exe",
         {{L"Size", R::Bytes(RegistryType::Dword, {1, 0, 0, 0})},
          {L"FileName1",
           R::Bytes(RegistryType::String, {'a', 0, '.', 0, 'e', 0, 'x', 0, 'e', 0, 0, 0})}}},
        {"next number after Size",
         {{L"Size", R::Dword(4)}, {L"FileName4", R::String(L"d.exe")}},
         L"a.exe",
         {{L"Size", R::Dword(5)},
          {L"FileName4", R::String(L"d.exe")},
          {L"FileName5", R::String(L"a.exe")}}},
        {"a name already listed",
         one,
         L"x.exe",
         {{L"Size", R::Dword(2)},
          {L"FileName1", R::String(L"x.exe")},
          {L"FileName2", R::String(L"x.exe")}}},
        {"empty name", one, L"", one},
        {"the program itself", one, L"velmora.exe", one},
        {"the shell", one, L"explorer.exe", one},
        {"Size missing while 1 and 2 exist",
         {{L"FileName1", R::String(L"x.exe")}, {L"FileName2", R::String(L"y.exe")}},
         L"a.exe",
         {{L"Size", R::Dword(1)},
          {L"FileName1", R::String(L"a.exe")},
          {L"FileName2", R::String(L"y.exe")}}},
        {"Size not a REG_DWORD",
         {{L"Size", R::String(L"7")}, {L"FileName1", R::String(L"x.exe")}},
         L"a.exe",
         {{L"Size", R::Dword(1)}, {L"FileName1", R::String(L"a.exe")}}},
        {"Size at 1024",
         {{L"Size", R::Dword(1024)}},
         L"a.exe",
         {{L"Size", R::Dword(1025)}, {L"FileName1025", R::String(L"a.exe")}}},
        {"numbers in unsigned decimal",
         {{L"Size", R::Dword(0x7FFFFFFF)}},
         L"a.exe",
         {{L"Size", R::Dword(0x80000000)}, {L"FileName2147483648", R::String(L"a.exe")}}},
        {"Size at its largest has no next number",
         {{L"Size", R::Dword(0xFFFFFFFF)}, {L"FileName1", R::String(L"x.exe")}},
         L"a.exe",
         {{L"Size", R::Dword(0xFFFFFFFF)}, {L"FileName1", R::String(L"x.exe")}}},
    };
    for (const AppendCase& c : cases) {
        registry.keys = {{kKey, c.before}};
        registry.callLog.clear();

        EXPECT_TRUE(AppendIgnoreEntry(registry, c.name)) << c.what;

        EXPECT_EQ(registry.keys[kKey], c.after) << c.what;
        if (c.after == c.before) {
            EXPECT_EQ(registry.CallCount(L"write"), 0u) << c.what;
        }
    }
}

TEST_F(IgnoreListStore, SizeIsWrittenFirstAndARefusedSizeWriteDoesNotStopTheEntry) {
    registry.keys[kKey] = {{L"Size", FakeRegistry::Dword(2)}};
    registry.refusedWrites = {L"Size"};

    EXPECT_TRUE(AppendIgnoreEntry(registry, L"a.exe"));

    std::vector<std::wstring> writes;
    std::copy_if(registry.callLog.begin(), registry.callLog.end(), std::back_inserter(writes),
                 [](const std::wstring& call) { return call.starts_with(L"write"); });
    EXPECT_EQ(writes, (std::vector<std::wstring>{L"write Size", L"write FileName3"}));
    EXPECT_EQ(registry.keys[kKey],
              (FakeRegistry::Values{{L"Size", FakeRegistry::Dword(2)},
                                    {L"FileName3", FakeRegistry::String(L"a.exe")}}));
}

TEST_F(IgnoreListStore, ALaterRunReadsWhatWasAppended) {
    registry.keys[kKey] = {{L"FileName1", FakeRegistry::String(L"x.exe")},
                           {L"FileName2", FakeRegistry::String(L"y.exe")}};

    ASSERT_TRUE(AppendIgnoreEntry(registry, L"a.exe"));
    EXPECT_EQ(ReadIgnoreList(registry), Names{L"a.exe"});
    ASSERT_TRUE(AppendIgnoreEntry(registry, L"\u00e4rger.exe"));
    EXPECT_EQ(ReadIgnoreList(registry), (Names{L"a.exe", L"\u00e4rger.exe"}));
}

} // namespace
} // namespace velmora
