#pragma once

#include "services/StorageControl.h"

#include <atomic>
#include <functional>
#include <thread>

namespace velmora::fakes {

// Storage that passes every call to another one, except that reading the mapping of drive A on any
// thread but the window's (that is, at the start of each of the scan thread's device passes) first
// runs an interference: a fault, or a pause that makes the pass slow.
class InterferingStorage final : public StorageControl {
public:
    InterferingStorage(StorageControl& inner, std::function<void()> interference)
        : inner(inner), interference(std::move(interference)) {}

    // The thread whose calls never fault; the constructing thread until told otherwise.
    std::atomic<std::thread::id> windowThread{std::this_thread::get_id()};

    std::size_t QueryDosTargets(std::wstring_view dosName, std::span<wchar_t> buffer) override {
        if (interference && dosName == L"A:" && std::this_thread::get_id() != windowThread.load()) {
            interference();
        }
        return inner.QueryDosTargets(dosName, buffer);
    }
    std::uint32_t DriveTypeOf(std::wstring_view rootPath) override {
        return inner.DriveTypeOf(rootPath);
    }
    std::optional<FileToken> OpenFile(std::wstring_view path, FileAccess access) override {
        return inner.OpenFile(path, access);
    }
    std::optional<StorageDeviceNumber> GetDeviceNumber(FileToken file) override {
        return inner.GetDeviceNumber(file);
    }
    bool LockVolume(FileToken file) override { return inner.LockVolume(file); }
    bool UnlockVolume(FileToken file) override { return inner.UnlockVolume(file); }
    void CloseFile(FileToken file) override { inner.CloseFile(file); }

private:
    StorageControl& inner;
    std::function<void()> interference;
};

} // namespace velmora::fakes
