// Cost of the scanner's own work over a large handle table. The machine below answers from
// prepared memory and allocates nothing, so what is measured is the scanner: its table buffers,
// the walk, the ignore-list and found-list searches and the name matching.
#include "handles/HandleScanner.h"
#include "handles/HandleTableRecords.h"
#include "handles/ObjectNameRecord.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

std::atomic<std::size_t> allocations{0};

} // namespace

// Every allocation of the program is counted; the replacement pair is malloc and free underneath.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace velmora {
namespace {

constexpr std::size_t kEntries = 150000;
constexpr std::size_t kFileHandles = 20000;
constexpr std::uint32_t kFileProcesses = 200;
constexpr std::uint16_t kFileType = HandleScanner::kFallbackFileObjectType;
constexpr wchar_t kDevice[] = L"\\Device\\HarddiskVolume7";

// Handle values carry the index of the name they stand for; a copy is the handle value itself.
class PreparedMachine final : public SystemHandles {
public:
    PreparedMachine() {
        std::vector<HandleTableEntry> entries;
        const std::size_t othersPerProcess = (kEntries - kFileHandles) / kFileProcesses;
        const std::size_t filesPerProcess = kFileHandles / kFileProcesses;
        for (std::uint32_t process = 0; process < kFileProcesses; ++process) {
            const std::uint32_t pid = 1000 + 4 * process;
            for (std::size_t i = 0; i < othersPerProcess; ++i) {
                entries.push_back({0, pid, 4 * (i + 1), 0, 0, 7, 0, 0});
            }
            for (std::size_t i = 0; i < filesPerProcess; ++i) {
                const std::size_t name = names.size();
                names.push_back(
                    (name % 10 == 0 ? std::wstring(kDevice) : L"\\Device\\HarddiskVolume3") +
                    L"\\Users\\someone\\Documents\\file" + std::to_wstring(name) + L".txt");
                entries.push_back({0, pid, 0x100000 + 4 * name, 0, 0, kFileType, 0, 0});
            }
        }
        const HandleTableHeader header{entries.size(), 0};
        table.resize(sizeof header + entries.size() * sizeof(HandleTableEntry));
        std::memcpy(table.data(), &header, sizeof header);
        std::memcpy(table.data() + sizeof header, entries.data(),
                    entries.size() * sizeof(HandleTableEntry));
    }

    bool CanReadHandleTable() const override { return true; }
    bool CanQueryObjectNames() const override { return true; }
    HandleTableStatus ReadHandleTable(std::span<std::byte> buffer) override {
        if (buffer.size() < table.size()) {
            return HandleTableStatus::BufferTooSmall;
        }
        std::memcpy(buffer.data(), table.data(), table.size());
        return HandleTableStatus::Complete;
    }
    std::uintptr_t OpenProcessForCopy(std::uint32_t processId) override { return processId; }
    std::uintptr_t CopyHandleOf(std::uintptr_t, std::uintptr_t handleValue) override {
        return handleValue;
    }
    bool IsDiskFile(std::uintptr_t) override { return true; }
    bool QueryObjectName(std::uintptr_t handle, std::span<std::byte> buffer) override {
        const std::wstring& name = names[(handle - 0x100000) / 4];
        auto* characters = buffer.data() + sizeof(ObjectNameHeader);
        std::memcpy(characters, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
        const ObjectNameHeader header{0, 0, reinterpret_cast<const wchar_t*>(characters)};
        std::memcpy(buffer.data(), &header, sizeof header);
        return true;
    }
    OwnFile OpenOwnFile() override { return {}; }
    void Close(std::uintptr_t) override {}

private:
    std::vector<std::byte> table;
    std::vector<std::wstring> names;
};

void ScanDeviceOverALargeTable(benchmark::State& state) {
    PreparedMachine machine;
    HandleScanner scanner(machine);
    scanner.IgnoredPids() = {8, 12, 16, 20, 24};
    const std::size_t before = allocations.load();
    for (auto _ : state) {
        benchmark::DoNotOptimize(scanner.ScanDevice(kDevice));
    }
    const double perScan =
        static_cast<double>(allocations.load() - before) / static_cast<double>(state.iterations());
    state.counters["allocations/scan"] = perScan;
    state.counters["found"] = static_cast<double>(scanner.FoundPids().size());
    state.counters["ns/entry"] = benchmark::Counter(
        kEntries, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(ScanDeviceOverALargeTable)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace velmora

BENCHMARK_MAIN();
