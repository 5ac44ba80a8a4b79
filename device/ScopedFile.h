#pragma once

#include "services/StorageControl.h"

#include <optional>

namespace velmora {

// The one owner of an open file token: closes it through the service that opened it when it goes,
// so every path out of an operation closes what the operation opened.
class ScopedFile {
public:
    ScopedFile(StorageControl& storage, std::optional<FileToken> token)
        : storage(storage), token(token) {}
    ~ScopedFile() {
        if (token) {
            storage.CloseFile(*token);
        }
    }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;

    bool IsOpen() const { return token.has_value(); }
    FileToken Get() const { return *token; }

private:
    StorageControl& storage;
    std::optional<FileToken> token;
};

} // namespace velmora
