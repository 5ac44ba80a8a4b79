#pragma once

#include <utility>
#include <windows.h>

namespace velmora::win32 {

// Move-only sole owner of one system handle; Traits names the kind's invalid value and its close.
template <typename Traits> class UniqueHandle {
public:
    using Value = typename Traits::Value;

    UniqueHandle() = default;
    explicit UniqueHandle(Value value) : value(value) {}
    UniqueHandle(UniqueHandle&& other) noexcept : value(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(Traits::Invalid()); }

    Value Get() const { return value; }
    explicit operator bool() const { return value != Traits::Invalid(); }
    Value Release() { return std::exchange(value, Traits::Invalid()); }
    void Reset(Value replacement) {
        if (value != Traits::Invalid()) {
            Traits::Close(value);
        }
        value = replacement;
    }

private:
    Value value = Traits::Invalid();
};

// OpenProcess, DuplicateHandle: null when there is none.
struct KernelHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return nullptr; }
    static void Close(Value value) { CloseHandle(value); }
};
// CreateFileW: INVALID_HANDLE_VALUE when there is none.
struct FileHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Value value) { CloseHandle(value); }
};
// LoadLibraryW: null when there is none.
struct ModuleTraits {
    using Value = HMODULE;
    static Value Invalid() { return nullptr; }
    static void Close(Value value) { FreeLibrary(value); }
};

// RegCreateKeyExW, RegOpenKeyExW: null when there is none.
struct RegistryKeyTraits {
    using Value = HKEY;
    static Value Invalid() { return nullptr; }
    static void Close(Value value) { RegCloseKey(value); }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using LoadedModule = UniqueHandle<ModuleTraits>;
using RegistryKeyHandle = UniqueHandle<RegistryKeyTraits>;

} // namespace velmora::win32
