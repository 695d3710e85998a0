#include "editor/DisplayPass.h"

#include <algorithm>

#include "core/SharedFloat.h"
#include "platform/GuiThread.h"
#include "plugin/DisplayBlock.h"

namespace {

constexpr float kPerStep = 0.020833334f;  // 1/48
constexpr float kTrackWidth = 673.0f;     // pixels of the lane the markers run along

// A marker at `shifted` steps: where it stands along the lane (R), whether
// it shows (M) and its pixel offset (X = M x R x 673).
struct Marker {
    float ratio;
    float active;
    float x;
};

Marker markerAt(float shifted, const float& activity) {
    const float r = shifted * kPerStep;
    const float m = loadShared(activity) > 0.0f ? 1.0f : 0.0f;
    return {r, m, m * r * kTrackWidth};
}

void firstGroup(DisplayBlock& b, float shift) {
    const float offset = loadShared(b.offset);
    for (size_t i = 0; i < 8; ++i) {
        const float a = loadShared(b.positions[i]) - offset;
        const Marker marker = markerAt(a - shift, b.activity[i]);
        storeShared(b.relative[i], a);
        storeShared(b.shifted[i], a - shift);
        storeShared(b.ratio[i], marker.ratio);
        storeShared(b.active[i], marker.active);
        storeShared(b.activeRatio[i], marker.active * marker.ratio);
        storeShared(b.pixels[i], std::max(marker.x, 0.0f));
        storeShared(b.pixelsLess1[i], marker.x - 1.0f);
    }
}

void secondGroup(DisplayBlock& b, float shift) {
    for (size_t i = 0; i < 8; ++i) {
        const float shifted = loadShared(b.positions2[i]) - shift;
        const Marker marker = markerAt(shifted, b.activity2[i]);
        storeShared(b.shifted2[i], shifted);
        storeShared(b.ratio2[i], marker.ratio);
        storeShared(b.active2[i], marker.active);
        storeShared(b.pixels2[i], marker.x);
        storeShared(b.pixels2Less1[i], marker.x - 1.0f);
        storeShared(b.height2[i], marker.active * 29.0f);
    }
}

}  // namespace

void runDisplayPass(DisplayBlock& b, float elapsedMs) {
    ZORVANE_ASSERT_GUI_THREAD();
    storeShared(b.elapsedMs, std::clamp(elapsedMs, 0.0f, 1000.0f));
    storeShared(b.sourceScaled, loadShared(b.source) * 8.0f);
    const float c1 = loadShared(b.counter1);
    const float c2 = loadShared(b.counter2);
    storeShared(b.counter1Fraction, c1 * 0.03125f);
    storeShared(b.counter1Pixels, c1 * 21.0f);
    storeShared(b.counter2Fraction, c2 * 0.03125f);
    storeShared(b.counter2Pixels, c2 * 21.0f);
    const float shift = loadShared(b.shiftDisable) == 0.0f ? loadShared(b.shift) : 0.0f;
    storeShared(b.appliedShift, shift);
    firstGroup(b, shift);
    storeShared(b.marker, loadShared(b.markerDisable) == 0.0f ? 5.0f : 0.0f);
    secondGroup(b, shift);
}
