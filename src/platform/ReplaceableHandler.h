#pragma once
// A process-wide service that tests and the window layer replace: message
// boxes, file dialogs, the file drag-out.  Callers take a copy of the handler
// under the lock and call it outside, so that a handler may itself show a
// box or replace a handler.

#include <mutex>
#include <utility>

namespace platform {

template <typename Handler>
class ReplaceableHandler {
public:
    Handler current() const {
        std::lock_guard<std::mutex> lock(mutex);
        return installed;
    }

    // Installs the handler (an empty one restores the default) and answers
    // the one installed before.
    Handler replace(Handler handler) {
        std::lock_guard<std::mutex> lock(mutex);
        std::swap(installed, handler);
        return handler;
    }

private:
    mutable std::mutex mutex;
    Handler installed;
};

}  // namespace platform
