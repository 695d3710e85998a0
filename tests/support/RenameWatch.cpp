#include "support/RenameWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

RenameWatch::RenameWatch(const std::filesystem::path& folder) : descriptor(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    // The moves away matter too: the system merges repeated events that
    // follow each other unread, and a rename is both.
    if (descriptor >= 0) inotify_add_watch(descriptor, folder.c_str(), IN_MOVED_FROM | IN_MOVED_TO);
}

RenameWatch::~RenameWatch() {
    if (descriptor >= 0) close(descriptor);
}

int RenameWatch::renamesOnto(const std::string& name) {
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; descriptor >= 0 && (got = read(descriptor, buffer, sizeof buffer)) > 0;) {
        for (char* at = buffer; at < buffer + got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            if (event->len > 0 && (event->mask & IN_MOVED_TO)) ++counts[event->name];
            at += sizeof(inotify_event) + event->len;
        }
    }
    return descriptor >= 0 ? counts[name] : -1;
}
