#include "support/RecordingHost.h"

RecordingHost* RecordingHost::active = nullptr;

RecordingHost::RecordingHost() : previous(active) { active = this; }

RecordingHost::~RecordingHost() { active = previous; }

intptr_t RecordingHost::callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                 float opt) {
    if (!active) return 0;
    active->recorded.push_back({effect, opcode, index, value, ptr, opt});
    auto found = active->answers.find(opcode);
    return found != active->answers.end() ? found->second : 0;
}

void PrintTo(const HostRequest& request, std::ostream* out) {
    *out << "{effect " << request.effect << ", opcode " << request.opcode << ", index " << request.index
         << ", value " << request.value << ", ptr " << request.ptr << ", opt " << request.opt << "}";
}
