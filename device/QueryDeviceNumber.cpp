#include "device/QueryDeviceNumber.h"

#include "device/ScopedFile.h"

namespace velmora {

std::int32_t QueryDeviceNumber(StorageControl& storage, std::wstring_view path) {
    // No read or write rights: the request needs none, and the open then succeeds for any user.
    ScopedFile file(storage, storage.OpenFile(path, FileAccess::None));
    if (!file.IsOpen()) {
        return -1;
    }
    const auto number = storage.GetDeviceNumber(file.Get());
    if (!number) {
        return -1;
    }
    return static_cast<std::int32_t>(number->deviceNumber);
}

} // namespace velmora
