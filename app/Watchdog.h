#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

class HandleScanner;
class ProcessList;

// What the watchdog reads from the scan at one tick, each value on its own and without the lock
// the scan holds.
struct ScanReading {
    bool scanActive = false;          // a scan cycle's passes run
    bool handleQueryUnderWay = false; // the handle scan stands inside the queries about one handle
    std::uint64_t progress = 0;       // handle table entries taken up so far
    std::uint32_t currentPid = 0;     // owner of the handle being examined
};

// Reads the scan's published state in the order that keeps it consistent: the query flag before
// the counter and the process it blames.
ScanReading ReadScan(const std::atomic<bool>& scanActive, const HandleScanner& scanner);

// What a recovery from a hung scan does to the world, in the window's terms.
class WatchdogActions {
public:
    // Stops the ticks for good (KillTimer of the watchdog's timer).
    virtual void KillWatchdogTimer() = 0;
    // Records a lower-cased executable name in the ignore list; false when the list's key can be
    // neither opened nor created.
    virtual bool AppendIgnoreEntry(std::wstring_view lowerCaseName) = 0;
    // Shows the message with one OK button, owned by the main window, and returns once the user
    // has dismissed it. Both texts are null-terminated.
    virtual void ShowHangMessage(const std::wstring& text, const wchar_t* caption) = 0;
    // The running executable's full path, or empty when it cannot be had whole.
    virtual std::wstring RunningExecutablePath() = 0;
    // Ends the scan thread wherever it stands. The thread may hold locks when it is ended: nothing
    // that follows may wait on one.
    virtual void TerminateScan() = 0;
    // Starts the program at path with the shell's "open" verb. The path is built before the scan
    // thread is ended, and handed over ready to use, so this needs no copy of it.
    virtual void Launch(const std::wstring& path) = 0;

protected:
    WatchdogActions() = default;
    ~WatchdogActions() = default;
    WatchdogActions(const WatchdogActions&) = delete;
    WatchdogActions& operator=(const WatchdogActions&) = delete;
};

enum class WatchdogDecision {
    Nothing, // no handle query under way, or the watchdog is spent
    Store,   // the counter moved since the last stored reading
    Recover, // the counter stood still inside a handle query: the recovery has run
};

inline constexpr wchar_t kHangCaption[] = L"Velmora";

// The message that blames a process for a hung scan.
std::wstring HangMessage(std::wstring_view lowerCaseName);

// Notices, one tick a second, a handle scan whose counter stands still inside a query, and then
// recovers once: it records the blamed process in the ignore list, tells the user, ends the scan
// thread and starts the program anew.
//
// Only ticks that find a handle query under way are compared. Equal counters at two such ticks
// mean the very same query stood between them, since each entry gets its own count and at most
// one query. A tick anywhere else (no cycle running, a device pass, a cycle without a drive, the
// name lookups after a scan) leaves the stored reading alone and never reports a hang.
class Watchdog {
public:
    // The counter value the first reading is compared with; the counter starts at 0.
    static constexpr std::uint64_t kInitialProgress = 4294967295u;

    Watchdog(WatchdogActions& actions, ProcessList& processes)
        : actions(actions), processes(processes) {}
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // One tick. A tick that finds no hang reads only its argument and stores one value.
    WatchdogDecision Tick(const ScanReading& reading);

    std::uint64_t LastProgress() const { return lastProgress; }

private:
    void Recover(std::uint32_t blamedPid);

    WatchdogActions& actions;
    ProcessList& processes;
    std::uint64_t lastProgress = kInitialProgress;
    // Set at the first detection and never cleared: a tick that still arrives, even one
    // dispatched while the message is shown, does nothing.
    bool spent = false;
};

} // namespace velmora
