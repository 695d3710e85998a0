#pragma once
// What the audio side asks of the host, through the plug-in object that
// talks to it: the transport, the notes it generated, the run state, the
// bypass request.  The engine never sees the host's callback itself.
//
// Threads: the audio thread, or a thread that holds the engine (a state
// load re-applying the run switch).

#include <cstdint>

struct VstEvents;
struct VstTimeInfo;

class EngineHost {
public:
    // The host's transport (filter 0x1E02), or null when it gives none.
    virtual const VstTimeInfo* transport() = 0;
    // The block's generated notes; the host copies them before it returns.
    virtual void sendNotes(VstEvents* events) = 0;
    // The run switch changed state (0 stopped, 1 running).
    virtual void runStateChanged(int32_t run) = 0;
    virtual bool bypassed() const = 0;

protected:
    ~EngineHost() = default;
};
