#pragma once

#include "services/ProcessList.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velmora {

// The base name of a process's executable in the letter case the system gives, or empty when it
// cannot be had.
std::wstring ProcessNameOf(ProcessList& processes, std::uint32_t processId);

// Gives every name one slot in pids, in the names' order: the id of the last process, in the
// order of enumeration, whose executable bears that name (letters A to Z compared without case),
// or 0 when none does. False when the processes cannot be enumerated or storage cannot be had;
// pids then holds one 0 per name, or nothing when even that storage failed.
bool FindProcessIds(ProcessList& processes, std::span<const std::wstring> names,
                    std::vector<std::uint32_t>& pids);

} // namespace velmora
