#pragma once
// What a GUI timer calls at its period.

class BWGuiTimer;

class BWTimerReceiver {
public:
    virtual ~BWTimerReceiver() = default;
    // True keeps the timer running; false stops it.
    virtual bool onTimer(BWGuiTimer* timer) = 0;
};
