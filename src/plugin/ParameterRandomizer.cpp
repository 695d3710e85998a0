// Randomising the host parameters (the editor's F2): each moves by a draw of
// the runtime's generator scaled by its binding's random depth, limited to
// 0..1, and goes through setParameter like any edit.  The host is not told.

#include <algorithm>

#include "platform/MsvcRand.h"
#include "plugin/BWUniClient.h"

namespace {

// The float nearest 2 / 32767: draws of 0 .. 32767 become -1 .. 1.
constexpr float kDrawScale = 6.1037019e-05f;

}  // namespace

void BWUniClient::randomizeParameters() {
    for (int32_t tag = 0; tag < kHostParameterCount; ++tag) {
        const ParamBinding* binding = hostTable[tag];
        if (!binding) continue;
        const float r = static_cast<float>(platform::msvcRand()) * kDrawScale - 1.0f;
        const float current = binding->value ? binding->read() : rawValue(tag);
        const float moved = std::max(0.0f, std::min(current + r * binding->randomDepth, 1.0f));
        setParameter(tag, moved);
    }
}
