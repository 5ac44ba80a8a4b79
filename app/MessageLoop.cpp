#include "app/MessageLoop.h"

#include <algorithm>
#include <new>

namespace velmora {

bool MessageLoop::AddFilter(MessageFilter& filter) {
    try {
        filters.push_back(&filter);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void MessageLoop::RemoveFilter(MessageFilter& filter) {
    const auto found = std::find(filters.begin(), filters.end(), &filter);
    if (found != filters.end()) {
        filters.erase(found);
    }
}

WPARAM MessageLoop::Run() {
    for (;;) {
        const BOOL got = ::GetMessageW(&current, nullptr, 0, 0);
        if (got == -1) {
            continue;
        }
        if (got == 0) {
            return current.wParam;
        }
        const bool consumed =
            std::any_of(filters.rbegin(), filters.rend(),
                        [this](MessageFilter* f) { return f->FilterMessage(current); });
        if (!consumed) {
            ::TranslateMessage(&current);
            ::DispatchMessageW(&current);
        }
    }
}

} // namespace velmora
