#include "editor/ValueFormatters.h"

#include <cmath>
#include <cstring>

#include "core/NumberFormat.h"
#include "core/ValueLists.h"
#include "widgets/BWTextList.h"

namespace {

constexpr size_t kTextSize = VSTGUI::kFormattedTextSize;
// Fixed texts and list labels: at most seven characters and the terminator.
constexpr int32_t kFixedTextLimit = 7;

void fixed(char* text, double value, int32_t width, int32_t precision, const char* suffix) {
    formatFixed(text, kTextSize, value, width, precision, suffix);
}

// Below 1000 in the unit, from 1000 in thousands of it with two decimals,
// from 10000 with one.
void formatThousands(float value, char* text, const char* unit, const char* thousands) {
    if (value >= 1000.0f) {
        fixed(text, value * 0.001f, 2, value >= 10000.0f ? 1 : 2, thousands);
    } else {
        fixed(text, value, 3, 0, unit);
    }
}

}  // namespace

void formatTime(float value, char* text) { formatThousands(value, text, " ms", " s"); }

void formatPercent(float value, char* text) {
    const float p = value * 100.0f;
    const float a = std::fabs(p);
    if (a < 10.0f) {
        fixed(text, p, 1, 2, " %");
    } else if (a < 100.0f) {
        fixed(text, p, 2, 1, " %");
    } else {
        fixed(text, p, 3, 0, " %");
    }
}

void formatDecibel(float value, char* text) {
    if (value > -160.0f) {
        const bool large = std::fabs(value) >= 100.0f;
        fixed(text, value, large ? 3 : 2, large ? 1 : 2, " db");
    } else {
        copyTextLimited(text, "-oo", kFixedTextLimit);
    }
}

void formatBipolarPercent(float value, char* text) {
    if (static_cast<double>(value) < 0.0001) {
        copyTextLimited(text, "-100 %", kFixedTextLimit);
    } else if (value > 0.99999f) {
        copyTextLimited(text, "100 %", kFixedTextLimit);
    } else {
        fixed(text, value * 200.0f - 100.0f, 2, 1, " %");
    }
}

void formatFrequency(float value, char* text) { formatThousands(value, text, " Hz", " kHz"); }

// The list's own rule picks the entry, so a value outside 0..1 (or NaN)
// shows an end of the list instead of reading beyond it.
void formatListEntry(float value, char* text) {
    const ValueList& list = *valueLists()->parent;
    copyTextLimited(text, list.entryFor(value).label, kFixedTextLimit);
}
