#pragma once

#include "services/StorageControl.h"

#include <optional>
#include <utility>

namespace velmora {

// The one owner of an open file token: closes it through the service that opened it when it goes,
// so every path out of an operation closes what the operation opened.
class ScopedFile {
public:
    ScopedFile(StorageControl& storage, std::optional<FileToken> token)
        : storage(&storage), token(token) {}
    ~ScopedFile() { Close(); }
    ScopedFile(ScopedFile&& other) noexcept
        : storage(other.storage), token(std::exchange(other.token, std::nullopt)) {}
    ScopedFile& operator=(ScopedFile&&) = delete;
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;

    bool IsOpen() const { return token.has_value(); }
    FileToken Get() const { return *token; }

    void Close() {
        if (token) {
            storage->CloseFile(*token);
            token.reset();
        }
    }

private:
    StorageControl* storage;
    std::optional<FileToken> token;
};

} // namespace velmora
