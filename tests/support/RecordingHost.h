#pragma once
// A host callback that records every request an effect makes and answers
// from a table (0 for opcodes without an answer).  The callback is a plain
// function, so one recorder is active at a time: the one made last.

#include <cstdint>
#include <map>
#include <ostream>
#include <vector>

#include "core/AEffect.h"

struct HostRequest {
    AEffect* effect;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    void* ptr;
    float opt;

    bool operator==(const HostRequest&) const = default;
};

void PrintTo(const HostRequest& request, std::ostream* out);

class RecordingHost {
public:
    RecordingHost();
    ~RecordingHost();
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    static intptr_t callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                             float opt);

    void answer(int32_t opcode, intptr_t result) { answers[opcode] = result; }
    const std::vector<HostRequest>& requests() const { return recorded; }
    void clear() { recorded.clear(); }

private:
    static RecordingHost* active;
    RecordingHost* previous;
    std::vector<HostRequest> recorded;
    std::map<int32_t, intptr_t> answers;
};
