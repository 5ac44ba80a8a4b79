#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::sim {

// A simulated machine as a scenario file describes it, one statement per line ('#' starts a
// comment, names with spaces go in double quotes):
//   drive E removable "Kingfish Flash USB Device" [not-disableable]   (types: removable, fixed,
//                                                  cdrom, remote, ramdisk; the name may be left
//                                                  out)
//   process 300 notes.exe [unreadable]
//   file 300 E \notes\todo.txt [hangs]            (a name query of a hanging file never returns)
//   window 300 minimised|normal|hidden "Notes"
//   eject E veto 6 "notes.exe"                    (one reply per line, in order; then success)
//   eject E fail 23
//   flush E in-use
//   fault device-pass access-violation|divide-by-zero
//   pause device-pass 1500                        (each device pass takes that many ms longer)
struct Scenario {
    struct EjectReply {
        std::uint32_t result = 0;
        std::uint32_t vetoType = 0;
        std::wstring vetoName;
    };
    struct Drive {
        wchar_t letter = L'A';
        std::uint32_t driveType = 2;
        std::optional<std::wstring> friendlyName;
        bool disableable = true;
        bool inUse = false;
        std::vector<EjectReply> ejectReplies;
    };
    struct Process {
        std::uint32_t id = 0;
        std::wstring name;
        bool readable = true;
    };
    struct File {
        std::uint32_t processId = 0;
        wchar_t letter = L'A';
        std::wstring path;
        bool hangs = false;
    };
    struct Window {
        std::uint32_t processId = 0;
        std::wstring title;
        bool minimised = false;
        bool visible = true;
    };
    enum class Fault { None, AccessViolation, DivideByZero };

    std::vector<Drive> drives;
    std::vector<Process> processes;
    std::vector<File> files;
    std::vector<Window> windows;
    Fault devicePassFault = Fault::None;
    std::uint32_t devicePassPauseMs = 0;

    // The NT device name the drive's volume gets: one volume number per drive, in file order.
    std::wstring VolumeOf(wchar_t letter) const;
};

// Reads a scenario; on a statement it does not understand it gives nothing and says which line.
std::optional<Scenario> ParseScenario(std::wstring_view text, std::wstring& error);

} // namespace velmora::sim
