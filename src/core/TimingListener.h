#pragma once
// What the audio context tells the objects in its listener list (the effects):
// a tempo change (updateTiming) and a sample-rate change (prepare).

class TimingListener {
public:
    virtual ~TimingListener() = default;
    virtual void updateTiming() = 0;  // tempo-dependent sizes and times
    virtual void prepare() = 0;       // rate-dependent sizes; clears running state
};
