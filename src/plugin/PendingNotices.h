#pragma once
// What the host's calls on an instance met that the person must hear of, kept
// until the GUI thread tells them, between the host's calls
// (BWUniClient::tellPendingNotices): the notices a call raised (an instrument
// file that could not be loaded, a zone whose sample could not be read), and
// the samples a restore or a preset from the host could not find, which the
// person is asked to search for.  A host call never waits on a person
// (platform/ModalWait.h): it leaves them here and returns.
//
// Threads: keep on any host thread or the program loader, take on the GUI
// thread; one small lock, never the audio thread.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/Dialogs.h"

class BWChunkableClass;

class PendingNotices {
public:
    // At most this many notices wait; a notice the same as one waiting is
    // not kept again (a host that restores one state over and over).
    static constexpr size_t kMaxNotices = 32;

    // The samples one load could not find, and the count of loads applied
    // after it: they are asked about only while that load's state stands.
    struct MissingSamples {
        std::vector<BWChunkableClass*> samples;
        uint32_t load = 0;
    };

    void keepNotices(std::vector<platform::MessageRequest> notices);
    // Replaces the samples kept before, which belonged to an earlier state.
    void keepMissingSamples(MissingSamples missing);

    // Cheap while nothing waits.
    bool hasNotices() const { return noticesWaiting.load(); }
    bool hasMissingSamples() const { return samplesWaiting.load(); }
    std::vector<platform::MessageRequest> takeNotices();
    MissingSamples takeMissingSamples();

private:
    mutable std::mutex lock;
    std::vector<platform::MessageRequest> notices;
    MissingSamples missing;
    std::atomic<bool> noticesWaiting{false};
    std::atomic<bool> samplesWaiting{false};
};
