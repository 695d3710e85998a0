#include "plugin/PendingNotices.h"

#include <algorithm>
#include <utility>

void PendingNotices::keepNotices(std::vector<platform::MessageRequest> kept) {
    if (kept.empty()) return;
    const std::lock_guard<std::mutex> guard(lock);
    for (platform::MessageRequest& notice : kept) {
        const bool waiting = std::any_of(notices.begin(), notices.end(), [&](const platform::MessageRequest& n) {
            return n.kind == notice.kind && n.title == notice.title && n.text == notice.text;
        });
        if (!waiting && notices.size() < kMaxNotices) notices.push_back(std::move(notice));
    }
    noticesWaiting.store(!notices.empty());
}

void PendingNotices::keepMissingSamples(MissingSamples samples) {
    const std::lock_guard<std::mutex> guard(lock);
    missing = std::move(samples);
    samplesWaiting.store(!missing.samples.empty());
}

std::vector<platform::MessageRequest> PendingNotices::takeNotices() {
    if (!noticesWaiting.load()) return {};
    const std::lock_guard<std::mutex> guard(lock);
    noticesWaiting.store(false);
    return std::exchange(notices, {});
}

PendingNotices::MissingSamples PendingNotices::takeMissingSamples() {
    if (!samplesWaiting.load()) return {};
    const std::lock_guard<std::mutex> guard(lock);
    samplesWaiting.store(false);
    return std::exchange(missing, {});
}
