#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace velmora::fakes {

// The fakes' record of what they have handed out and not yet had back: handles, device-information
// sets, registry keys. A test ends by asserting IsEmpty(), which proves that the code under test
// closed everything it opened on every path.
class HandleLedger {
public:
    // Records a new open object of the given kind and returns its token (never 0).
    std::uintptr_t Open(std::string kind);
    // Forgets the object; false when the token is not open (a double close or a foreign value).
    bool Close(std::uintptr_t token);
    bool IsOpen(std::uintptr_t token) const { return open.count(token) != 0; }
    std::size_t OpenCount() const { return open.size(); }
    bool IsEmpty() const { return open.empty(); }
    // The kinds of the objects still open, one per line, for a failing assertion's message.
    std::string Describe() const;

private:
    std::map<std::uintptr_t, std::string> open;
    std::uintptr_t nextToken = 0x1000;
};

} // namespace velmora::fakes
