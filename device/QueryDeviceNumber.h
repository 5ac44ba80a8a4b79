#pragma once

#include "services/StorageControl.h"

#include <cstdint>
#include <string_view>

namespace velmora {

// The DeviceNumber of the storage device behind a path (a volume or a device interface path) as a
// signed value, or -1 when the path cannot be opened or does not answer the request.
std::int32_t QueryDeviceNumber(StorageControl& storage, std::wstring_view path);

} // namespace velmora
