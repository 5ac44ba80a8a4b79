#include "app/Watchdog.h"

#include "app/PathParts.h"
#include "handles/HandleScanner.h"
#include "handles/NameCase.h"
#include "handles/ProcessLookup.h"

namespace velmora {

ScanReading ReadScan(const std::atomic<bool>& scanActive, const HandleScanner& scanner) {
    ScanReading reading;
    reading.scanActive = scanActive.load();
    reading.handleQueryUnderWay = scanner.HandleQueryUnderWay();
    reading.progress = scanner.Progress();
    reading.currentPid = scanner.CurrentPid();
    return reading;
}

std::wstring HangMessage(std::wstring_view lowerCaseName) {
    std::wstring text = L"The deadlock process(";
    text += lowerCaseName;
    text += L") was detected.\nVelmora is reruned automatically after this.";
    return text;
}

WatchdogDecision Watchdog::Tick(const ScanReading& reading) {
    if (spent || !reading.scanActive || !reading.handleQueryUnderWay) {
        return WatchdogDecision::Nothing;
    }
    if (reading.progress != lastProgress) {
        lastProgress = reading.progress;
        return WatchdogDecision::Store;
    }
    Recover(reading.currentPid);
    return WatchdogDecision::Recover;
}

void Watchdog::Recover(std::uint32_t blamedPid) {
    spent = true;
    actions.KillWatchdogTimer();
    const std::wstring name = LowerCaseAZ(ProcessNameOf(processes, blamedPid));
    if (!actions.AppendIgnoreEntry(name)) {
        actions.TerminateScan();
        return;
    }
    actions.ShowHangMessage(HangMessage(name), kHangCaption);
    // Built while the scan thread still runs: once it is ended, a lock it held (the allocator's
    // among them) may stay taken.
    const std::wstring launchPath = JoinPath(SplitPath({}, actions.RunningExecutablePath()));
    actions.TerminateScan();
    actions.Launch(launchPath);
}

} // namespace velmora
