#include "handles/HandleScanner.h"

#include "handles/HandleTableRecords.h"
#include "handles/ObjectNameRecord.h"
#include "tests/fakes/FakeHandleTable.h"
#include "tests/fakes/HandleLedger.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <new>
#include <random>
#include <thread>

namespace velmora {
namespace {

using fakes::FakeHandleTable;
using Pids = std::vector<std::uint32_t>;

constexpr wchar_t kDevice[] = L"\\Device\\HarddiskVolume5";
constexpr wchar_t kOnDevice[] = L"\\Device\\HarddiskVolume5\\notes.txt";
constexpr wchar_t kElsewhere[] = L"\\Device\\HarddiskVolume2\\other.txt";

class HandleScannerTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(ledger.IsEmpty()) << ledger.Describe(); }

    static Pids Found(const HandleScanner& scanner) { return scanner.FoundPids(); }
    // Process ids among the recorded handle keys, in order.
    static Pids PidsOf(const std::vector<FakeHandleTable::Key>& keys) {
        Pids pids;
        for (const auto& key : keys) {
            pids.push_back(key.first);
        }
        return pids;
    }

    fakes::HandleLedger ledger;
    FakeHandleTable table{ledger};
};

TEST_F(HandleScannerTest, ProgressCountsEveryEntryWhateverBecomesOfItAndIsNeverReset) {
    table.AddFile(100, kOnDevice)
        .AddOther(100, FakeHandleTable::kEventType)
        .AddFile(200, kOnDevice) // ignored
        .AddFile(200, kOnDevice)
        .AddPipe(300, L"\\Device\\NamedPipe\\x")
        .AddFile(300, kElsewhere);
    HandleScanner scanner(table);
    scanner.IgnoredPids() = {200};

    ASSERT_TRUE(scanner.ScanDevice(kDevice));
    EXPECT_EQ(scanner.Progress(), 6u);
    ASSERT_TRUE(scanner.ScanDevice(kDevice));
    EXPECT_EQ(scanner.Progress(), 12u);
    EXPECT_EQ(Found(scanner), Pids{100});
}

TEST_F(HandleScannerTest, ListsEachProcessOnceInTheOrderOfItsFirstMatchAndKeepsQueryingIt) {
    table.AddFile(300, kElsewhere)
        .AddFile(200, L"\\Device\\HarddiskVolume5\\a")
        .AddFile(100, L"\\Device\\HarddiskVolume5\\b")
        .AddFile(200, L"\\Device\\HarddiskVolume5\\c")
        .AddFile(100, L"\\Device\\HarddiskVolume5\\d");
    HandleScanner scanner(table);

    ASSERT_TRUE(scanner.ScanDevice(kDevice));
    EXPECT_EQ(Found(scanner), (Pids{200, 100}));
    EXPECT_EQ(PidsOf(table.NameQueries()), (Pids{300, 200, 100, 200, 100}));
    EXPECT_EQ(scanner.CurrentPid(), 100u);
}

TEST_F(HandleScannerTest, IgnoredProcessesAreNeverTestedOrQueriedWhereverTheirEntriesStand) {
    // 200 is ignored: it opens the table, follows another process and closes the table, so the
    // next scan starts right after an entry of it.
    table.AddFile(200, kOnDevice)
        .AddFile(100, kOnDevice)
        .AddFile(200, kOnDevice)
        .AddOther(200, FakeHandleTable::kEventType)
        .AddFile(200, kOnDevice);
    HandleScanner scanner(table);
    scanner.IgnoredPids() = {0, 200};

    for (int scan = 0; scan < 2; ++scan) {
        ASSERT_TRUE(scanner.ScanDevice(kDevice));
        EXPECT_EQ(scanner.CurrentPid(), 200u);
        EXPECT_EQ(Found(scanner), Pids{100});
    }
    EXPECT_EQ(PidsOf(table.TypeTests()), (Pids{100, 100}));
    EXPECT_EQ(PidsOf(table.NameQueries()), (Pids{100, 100}));
}

TEST_F(HandleScannerTest, TheDeviceNameIsAPlainCaseSensitiveSubstringOfTheHandleName) {
    const struct {
        std::uint32_t pid;
        const wchar_t* name;
        bool matches;
    } cases[] = {
        {10, L"\\Device\\HarddiskVolume1\\x.txt", true},
        {11, L"\\Device\\HarddiskVolume12\\x.txt", true},
        {12, L"\\??\\prefix\\Device\\HarddiskVolume1", true},
        {13, L"\\Device\\harddiskvolume1\\x.txt", false},
        {14, L"\\Device\\HarddiskVolume2\\x.txt", false},
        {15, L"\\Device\\Harddisk", false},
        {16, L"", false},
    };
    Pids expected;
    for (const auto& c : cases) {
        table.AddFile(c.pid, c.name);
        if (c.matches) {
            expected.push_back(c.pid);
        }
    }
    HandleScanner scanner(table);

    ASSERT_TRUE(scanner.ScanDevice(L"\\Device\\HarddiskVolume1"));
    EXPECT_EQ(Found(scanner), expected);
}

TEST_F(HandleScannerTest, OnlyDiskFilesOfTheFileObjectTypeAreNamed) {
    table.AddPipe(100, kOnDevice)
        .AddOther(200, FakeHandleTable::kEventType)
        .AddFile(300, kOnDevice);
    HandleScanner scanner(table);

    ASSERT_TRUE(scanner.ScanDevice(kDevice));
    EXPECT_EQ(PidsOf(table.TypeTests()), (Pids{100, 300}));
    EXPECT_EQ(PidsOf(table.NameQueries()), Pids{300});
    EXPECT_EQ(Found(scanner), Pids{300});
}

TEST_F(HandleScannerTest, TheFileObjectTypeIsLearnedFromAFileOfItsOwnOrElseTakenAs28) {
    table.SetFileType(17);
    table.AddFile(100, kOnDevice).AddOther(200, HandleScanner::kFallbackFileObjectType);
    {
        HandleScanner scanner(table);
        ASSERT_TRUE(scanner.ScanDevice(kDevice));
        EXPECT_EQ(Found(scanner), Pids{100});
        EXPECT_EQ(PidsOf(table.TypeTests()), Pids{100});
    }
    table.SetOwnFileOpens(false);
    HandleScanner scanner(table);
    ASSERT_TRUE(scanner.ScanDevice(kDevice));
    EXPECT_EQ(Found(scanner), Pids{});
    EXPECT_EQ(PidsOf(table.TypeTests()), (Pids{100, 200}));
}

TEST_F(HandleScannerTest, AProcessOrHandleThatCannotBeReachedIsPassedOverAndNothingLeaks) {
    table.AddFile(100, kOnDevice)
        .AddFile(200, kOnDevice)
        .AddFile(200, kOnDevice)
        .AddFile(300, kOnDevice);
    table.RefuseProcess(100);
    table.RefuseCopy({200, 4});
    HandleScanner scanner(table);

    ASSERT_TRUE(scanner.ScanDevice(kDevice));
    EXPECT_EQ(Found(scanner), (Pids{200, 300}));
    EXPECT_EQ(table.NameQueries(), (std::vector<FakeHandleTable::Key>{{200, 8}, {300, 4}}));
}

TEST_F(HandleScannerTest, WithoutObjectNamesEveryFileIsStillTestedButNothingIsFound) {
    table.AddFile(100, kOnDevice).AddFile(200, kOnDevice);
    table.SetCanQueryNames(false);
    HandleScanner scanner(table);

    for (int scan = 0; scan < 2; ++scan) {
        ASSERT_TRUE(scanner.ScanDevice(kDevice));
        EXPECT_EQ(Found(scanner), Pids{});
    }
    EXPECT_EQ(PidsOf(table.TypeTests()), (Pids{100, 200, 100, 200}));
}

TEST_F(HandleScannerTest, AFailedScanKeepsThePreviousResultAndAnOddStatusReadsAsAnEmptyTable) {
    table.AddFile(100, kOnDevice);
    HandleScanner scanner(table, 8192);
    ASSERT_TRUE(scanner.ScanDevice(kDevice));
    const std::uint64_t progress = scanner.Progress();

    table.SetCanReadTable(false);
    EXPECT_FALSE(scanner.ScanDevice(kDevice));
    EXPECT_EQ(Found(scanner), Pids{100});
    table.SetCanReadTable(true);

    // 300 entries need 12016 bytes: past the limit of this scanner.
    for (int i = 0; i < 300; ++i) {
        table.AddOther(500, FakeHandleTable::kEventType);
    }
    const std::size_t readsBefore = table.TableReadSizes().size();
    EXPECT_FALSE(scanner.ScanDevice(kDevice));
    EXPECT_EQ(Found(scanner), Pids{100});
    EXPECT_EQ(std::vector<std::size_t>(table.TableReadSizes().begin() + readsBefore,
                                       table.TableReadSizes().end()),
              (std::vector<std::size_t>{4096, 8192}));
    EXPECT_EQ(scanner.Progress(), progress);

    table.ForceTableStatus(HandleTableStatus::OtherFailure);
    EXPECT_TRUE(scanner.ScanDevice(kDevice));
    EXPECT_EQ(Found(scanner), Pids{});
    EXPECT_EQ(scanner.Progress(), progress);
}

TEST_F(HandleScannerTest, WithoutTheHandleTableEveryScanFailsAtOnce) {
    table.AddFile(100, kOnDevice);
    table.SetCanReadTable(false);
    HandleScanner scanner(table);

    EXPECT_FALSE(scanner.ScanDevice(kDevice));
    EXPECT_EQ(scanner.Progress(), 0u);
    EXPECT_EQ(scanner.CurrentPid(), 0u);
    EXPECT_TRUE(table.TypeTests().empty());
}

TEST_F(HandleScannerTest, AStandingNameQueryShowsItsProcessAndProgressWhileTheOldResultStays) {
    table.AddFile(100, kOnDevice)
        .AddOther(100, FakeHandleTable::kEventType)
        .AddFile(200, kOnDevice);
    HandleScanner scanner(table);
    ASSERT_TRUE(scanner.ScanDevice(kDevice));
    const Pids before = scanner.FoundPids();

    EXPECT_FALSE(scanner.HandleQueryUnderWay());

    table.AddFile(300, kOnDevice).AddFile(400, kOnDevice);
    table.BlockNameQuery({300, 4});
    std::thread scan([&] { EXPECT_TRUE(scanner.ScanDevice(kDevice)); });
    table.WaitUntilBlocked();

    EXPECT_TRUE(scanner.HandleQueryUnderWay());
    EXPECT_EQ(scanner.CurrentPid(), 300u);
    EXPECT_EQ(scanner.Progress(), 3u + 4u);
    EXPECT_EQ(Found(scanner), before);

    table.Release();
    scan.join();
    EXPECT_FALSE(scanner.HandleQueryUnderWay());
    EXPECT_EQ(Found(scanner), (Pids{100, 200, 300, 400}));
    EXPECT_EQ(before, (Pids{100, 200}));
}

TEST_F(HandleScannerTest, TheHandleQueryFlagIsRaisedOnlyInsideAQueryAndLoweredByAFaultLeavingIt) {
    table.AddOther(100, FakeHandleTable::kEventType)
        .AddFile(100, kOnDevice)
        .AddFile(200, kOnDevice);
    HandleScanner scanner(table);
    std::vector<bool> seenInQueries;
    table.SetRawNameWriter([&](std::span<std::byte>) {
        seenInQueries.push_back(scanner.HandleQueryUnderWay());
        if (seenInQueries.size() == 2) {
            throw std::bad_alloc();
        }
    });

    EXPECT_THROW(scanner.ScanDevice(kDevice), std::bad_alloc);
    EXPECT_EQ(seenInQueries, (std::vector<bool>{true, true}));
    EXPECT_FALSE(scanner.HandleQueryUnderWay());
    EXPECT_EQ(scanner.Progress(), 3u);
}

TEST(ObjectNameIn, ReadsUpToTheFirstNullInsideTheBufferAndTrustsNoPointerOrLength) {
    alignas(std::uintptr_t) std::byte buffer[64] = {};
    const auto* text = reinterpret_cast<const wchar_t*>(buffer + sizeof(ObjectNameHeader));
    std::memcpy(buffer + sizeof(ObjectNameHeader), L"\\A\\b", 5 * sizeof(wchar_t));
    const auto read = [&](const wchar_t* characters, std::uint16_t length = 2) {
        const ObjectNameHeader header{length, length, characters};
        std::memcpy(buffer, &header, sizeof header);
        return std::wstring(ObjectNameIn(buffer));
    };

    EXPECT_EQ(read(text, 0), L"\\A\\b");
    EXPECT_EQ(read(text + 2), L"\\b");
    EXPECT_EQ(read(nullptr), L"");
    EXPECT_EQ(read(text - 64), L"");
    EXPECT_EQ(read(reinterpret_cast<const wchar_t*>(buffer + sizeof buffer)), L"");
    // No terminator before the end of the buffer: nothing is read beyond it.
    std::memset(buffer + sizeof(ObjectNameHeader), 0x41, sizeof buffer - sizeof(ObjectNameHeader));
    EXPECT_EQ(read(text), L"");
    EXPECT_EQ(ObjectNameIn(std::span(buffer, 4)), L"");
}

// Arbitrary tables: whatever count the header claims and whatever the records hold, the walk takes
// up exactly the entries that fit in the buffer, and name records pointing anywhere are read
// within bounds. AddressSanitizer catches any read past a buffer.
TEST_F(HandleScannerTest, ArbitraryTablesAndNameRecordsAreReadWithinBounds) {
    constexpr std::uint32_t kHolder = 7;
    table.AddFile(kHolder, kOnDevice);
    std::mt19937_64 random(20240611);
    table.SetRawNameWriter([&](std::span<std::byte> buffer) {
        // Words of random characters, a third of them null.
        for (std::size_t at = 0; at + 8 <= buffer.size(); at += 8) {
            const std::uint64_t word = random() % 3 == 0 ? 0 : random();
            std::memcpy(buffer.data() + at, &word, sizeof word);
        }
        const std::uintptr_t anchors[] = {
            0, reinterpret_cast<std::uintptr_t>(buffer.data()),
            reinterpret_cast<std::uintptr_t>(buffer.data() + buffer.size())};
        const ObjectNameHeader header{
            0, 0, reinterpret_cast<const wchar_t*>(anchors[random() % 3] + random() % 64 - 32)};
        std::memcpy(buffer.data(), &header, sizeof header);
    });
    table.SetRawTable({});
    HandleScanner scanner(table); // its own file is missing from a raw table: type 28

    for (int round = 0; round < 400; ++round) {
        const std::size_t bytes = random() % 20000;
        std::vector<std::byte> raw(bytes);
        for (std::byte& b : raw) {
            b = static_cast<std::byte>(random());
        }
        const std::size_t claimed = random() % 2 ? random() : random() % 600;
        if (bytes >= sizeof(HandleTableHeader)) {
            const HandleTableHeader header{claimed, 0};
            std::memcpy(raw.data(), &header, sizeof header);
        }
        // Some records name the one real file, so that name records get decoded too.
        for (std::size_t at = sizeof(HandleTableHeader); at + sizeof(HandleTableEntry) <= bytes;
             at += sizeof(HandleTableEntry)) {
            if (random() % 4 == 0) {
                const HandleTableEntry entry{0, kHolder, 4, 0, 0, 28, 0, 0};
                std::memcpy(raw.data() + at, &entry, sizeof entry);
            }
        }
        table.SetRawTable(raw);
        std::size_t bufferSize = HandleScanner::kInitialTableBytes;
        while (bufferSize < bytes) {
            bufferSize *= 2;
        }
        // What the scanner's buffer holds: the bytes, then zeros.
        std::vector<std::byte> padded(raw);
        padded.resize(bufferSize);
        HandleTableHeader header;
        std::memcpy(&header, padded.data(), sizeof header);
        const std::size_t fits = (bufferSize - sizeof header) / sizeof(HandleTableEntry);
        const std::size_t expected = std::min<std::size_t>(header.numberOfHandles, fits);

        const std::uint64_t before = scanner.Progress();
        ASSERT_TRUE(scanner.ScanDevice(kDevice));
        ASSERT_EQ(scanner.Progress() - before, expected) << "round " << round;
    }
    EXPECT_FALSE(table.NameQueries().empty());
}

} // namespace
} // namespace velmora
