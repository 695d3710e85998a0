#include "guitoolkit/BWGuiTimer.h"

#include <algorithm>

#include "platform/WindowSystem.h"

namespace {
std::vector<BWGuiTimer*>& running() {
    static std::vector<BWGuiTimer*> list;
    return list;
}
}  // namespace

BWGuiTimer::BWGuiTimer(BWTimerReceiver* receiver, uint32_t periodMs) : receiver(receiver), period(periodMs) {}

BWGuiTimer::~BWGuiTimer() { stop(); }

const std::vector<BWGuiTimer*>& BWGuiTimer::runningTimers() { return running(); }

bool BWGuiTimer::start() {
    if (identifier != 0) return true;
    identifier = platform::windowSystem().startTimer(period, &BWGuiTimer::guiTimerProc);
    if (identifier == 0) return false;
    running().push_back(this);
    return true;
}

bool BWGuiTimer::stop() {
    if (identifier == 0) return false;
    platform::windowSystem().stopTimer(identifier);
    auto& list = running();
    if (auto it = std::find(list.begin(), list.end(), this); it != list.end()) list.erase(it);
    identifier = 0;
    return true;
}

void BWGuiTimer::setReceiver(BWTimerReceiver* newReceiver, uint32_t periodMs) {
    receiver = newReceiver;
    period = periodMs;
    if (identifier != 0) {
        stop();
        start();
    }
}

bool BWGuiTimer::setPeriod(uint32_t periodMs) {
    if (periodMs == period) return false;
    const bool wasRunning = identifier != 0;
    stop();
    period = periodMs;
    return wasRunning ? start() : true;
}

void BWGuiTimer::guiTimerProc(uint32_t id) {
    for (BWGuiTimer* timer : running()) {
        if (timer->identifier != id) continue;
        if (!timer->receiver || timer->receiver->onTimer(timer)) return;
        // The receiver may have deleted or restarted its timer meanwhile.
        auto& list = running();
        if (std::find(list.begin(), list.end(), timer) != list.end() && timer->identifier == id) timer->stop();
        return;
    }
}
