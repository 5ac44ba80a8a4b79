#pragma once

#include "services/Sleeper.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::fakes {

// A sleeper that spends no time: it records each pause, and when given a call log it also writes
// the pause there, so a test sees the pauses in order with the other services' calls.
class FakeSleeper final : public Sleeper {
public:
    FakeSleeper() = default;
    explicit FakeSleeper(std::vector<std::wstring>& callLog) : callLog(&callLog) {}

    void Sleep(std::uint32_t milliseconds) override { Record(L"Sleep", milliseconds); }
    void SleepAlertable(std::uint32_t milliseconds) override {
        Record(L"SleepAlertable", milliseconds);
    }

    std::vector<std::uint32_t> pauses;

    std::uint64_t TotalMilliseconds() const {
        std::uint64_t total = 0;
        for (const auto pause : pauses) {
            total += pause;
        }
        return total;
    }

private:
    std::vector<std::wstring>* callLog = nullptr;

    void Record(const wchar_t* what, std::uint32_t milliseconds) {
        pauses.push_back(milliseconds);
        if (callLog != nullptr) {
            callLog->push_back(std::wstring(what) + L" " + std::to_wstring(milliseconds));
        }
    }
};

} // namespace velmora::fakes
