#pragma once

#include "services/StorageControl.h"

#include <string>
#include <vector>

namespace velmora {

// The NT device name behind each drive letter, as the handle scan compares it with the names of
// open files. Empty until the first Rebuild; afterwards 26 slots, A to Z, an empty slot meaning
// that the letter is not mapped or that its mapping could not be read.
class DriveLetterTable {
public:
    explicit DriveLetterTable(StorageControl& storage) : storage(storage) {}
    DriveLetterTable(const DriveLetterTable&) = delete;
    DriveLetterTable& operator=(const DriveLetterTable&) = delete;

    // Reads the current mapping of every letter; when the slots cannot be allocated the table
    // stays as it was.
    void Rebuild();

    // The slot of a capital letter 'A' to 'Z', or the empty name for any other character and for
    // a letter beyond the slots the table has.
    std::wstring DeviceNameOf(wchar_t letter) const;

    std::size_t SlotCount() const { return slots.size(); }

private:
    StorageControl& storage;
    std::vector<std::wstring> slots;
};

} // namespace velmora
