#pragma once

#include <vector>
#include <windows.h>

namespace velmora {

// An object that sees every message of a loop before it is translated and dispatched.
class MessageFilter {
public:
    // True when the message was consumed.
    virtual bool FilterMessage(MSG& message) = 0;

protected:
    MessageFilter() = default;
    ~MessageFilter() = default;
    MessageFilter(const MessageFilter&) = delete;
    MessageFilter& operator=(const MessageFilter&) = delete;
};

// The message loop of one thread. It does not own its filters; each removes itself before it is
// destroyed.
class MessageLoop {
public:
    bool AddFilter(MessageFilter& filter);
    void RemoveFilter(MessageFilter& filter);
    // Runs until WM_QUIT and returns its wParam; failed reads are skipped. The filters are offered
    // each message from the last added to the first.
    WPARAM Run();

private:
    std::vector<MessageFilter*> filters;
    MSG current{};
};

} // namespace velmora
