#pragma once

#include "services/ProcessList.h"
#include "services/Registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The per-user ignore list: the executables whose handles the handle scan passes over because
// examining them once made it hang. Under this key, "Size" (REG_DWORD) holds the number of the
// last entry written and "FileName1", "FileName2" ... (REG_SZ) hold the lower-cased names.
inline constexpr std::wstring_view kIgnoreListKeyPath =
    L"Software\\Quillfen\\Velmora\\DetectIgnoreProcess";

// The names listed, in the order of their numbers from 1 to "Size" (at most 1024 of them).
// Missing numbers and values that are not a terminated string of at most 260 characters are
// skipped without a gap. Nothing when the key can be neither opened nor created.
std::optional<std::vector<std::wstring>> ReadIgnoreList(Registry& registry);

// Reads the list, creating the key on the first run, and gives ignoredPids one slot per name with
// the id of the process that bears it (see FindProcessIds). False when the key can be neither
// opened nor created; ignoredPids is then empty.
bool LoadIgnoreList(Registry& registry, ProcessList& processes,
                    std::vector<std::uint32_t>& ignoredPids);

// Records an already lower-cased executable name as the next entry. An empty name, the program's
// own executable and the shell's are not recorded. False only when the key can be neither opened
// nor created, and then nothing is written.
bool AppendIgnoreEntry(Registry& registry, std::wstring_view name);

} // namespace velmora
