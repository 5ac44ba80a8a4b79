#include "tests/fakes/HandleLedger.h"

namespace velmora::fakes {

std::uintptr_t HandleLedger::Open(std::string kind) {
    // Tokens step by 4 like real handle values, so a test can't mistake a count for a handle.
    nextToken += 4;
    open.emplace(nextToken, std::move(kind));
    return nextToken;
}

bool HandleLedger::Close(std::uintptr_t token) {
    return open.erase(token) != 0;
}

std::string HandleLedger::Describe() const {
    std::string text;
    for (const auto& [token, kind] : open) {
        text += kind + " #" + std::to_string(token) + "\n";
    }
    return text;
}

} // namespace velmora::fakes
