// Runs the hang of the simulated program 20 times in a row and prints the detection latencies
// (from the name query standing still to the hang message): minimum, median, maximum. Fails
// when a run does not recover, leaves an instance running, or does not add exactly one entry to
// the ignore list.
#include "tests/e2e/HangRun.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace velmora::testing;

constexpr int kRuns = 20;

// Each run's machine blames a process of its own name, so each run adds one entry.
std::string MachineFor(int run) {
    return "drive E removable \"Kingfish Flash USB Device\"\n"
           "process 300 notes.exe\n"
           "process 302 stuck" +
           std::to_string(run) +
           ".exe\n"
           "file 300 E \\notes\\todo.txt\n"
           "file 302 E \\stuck\\data.bin hangs\n";
}

} // namespace

int main() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kIgnoreListKey);
    std::vector<ULONGLONG> latencies;
    int failures = 0;
    for (int run = 1; run <= kRuns; ++run) {
        const DWORD entriesBefore = ReadStoredIgnoreList().size;
        ScenarioFile scenario(MachineFor(run));
        Program program(L"velmora_sim.exe", scenario.Path());
        const HangOutcome outcome = FollowHang(program);
        const DWORD newExit = outcome.newInstance != 0 ? EndInstance(outcome.newInstance) : 0;
        const StoredIgnoreList stored = ReadStoredIgnoreList();
        const bool recorded = stored.size == entriesBefore + 1 && !stored.names.empty() &&
                              stored.names.back() == L"stuck" + std::to_wstring(run) + L".exe";
        const bool ok = outcome.queryHung && !outcome.message.empty() && outcome.oldExitCode == 1 &&
                        outcome.newInstance != 0 && newExit == 1 && recorded &&
                        OtherInstanceWindow(0) == nullptr;
        std::printf("run %2d: %s, hang message after %llu ms\n", run, ok ? "recovered" : "FAILED",
                    outcome.latencyMs);
        if (ok) {
            latencies.push_back(outcome.latencyMs);
        } else {
            ++failures;
        }
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kIgnoreListKey);
    if (!latencies.empty()) {
        std::sort(latencies.begin(), latencies.end());
        std::printf("detection latency over %zu runs: min %llu ms, median %llu ms, max %llu ms\n",
                    latencies.size(), latencies.front(), latencies[latencies.size() / 2],
                    latencies.back());
    }
    std::printf("%d passed, %d failed\n", kRuns - failures, failures);
    return failures == 0 ? 0 : 1;
}
