#pragma once
// A periodic timer on the GUI thread (the window layer's timers) that calls
// its receiver.  All running timers stand in one process-wide list, through
// which the shared callback finds the timer of an identifier; a callback for
// an identifier no longer listed is ignored.  GUI thread only.

#include <cstdint>
#include <vector>

#include "guitoolkit/BWTimerReceiver.h"

class BWGuiTimer {
public:
    BWGuiTimer(BWTimerReceiver* receiver, uint32_t periodMs);
    virtual ~BWGuiTimer();
    BWGuiTimer(const BWGuiTimer&) = delete;
    BWGuiTimer& operator=(const BWGuiTimer&) = delete;

    // True when running afterwards.
    virtual bool start();
    // False when it was not running.
    virtual bool stop();
    virtual void setReceiver(BWTimerReceiver* receiver, uint32_t periodMs);
    // False (and nothing else) when the period is the current one.
    virtual bool setPeriod(uint32_t periodMs);

    bool isRunning() const { return identifier != 0; }
    uint32_t getPeriod() const { return period; }

    // The shared callback: finds the running timer of the identifier.
    static void guiTimerProc(uint32_t identifier);
    static const std::vector<BWGuiTimer*>& runningTimers();

private:
    uint32_t identifier = 0;
    BWTimerReceiver* receiver;
    uint32_t period;
};
