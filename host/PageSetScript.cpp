#include "host/PageSetScript.h"

#include <array>

namespace {

// The sound/effects switch (354), the switch between the two delay panels
// of the effects page (358), and the modulation lanes' strip (366), whose
// fifths choose lanes 1 to 5.
constexpr DesignPoint kSoundEffects = {270, 26};
constexpr DesignPoint kDelayPanels = {495, 176};
// The locate panel, which the interface opens over an empty instrument
// library, closes at a press inside it that misses its controls; where it
// is not shown, the point lies between the widgets.
constexpr DesignPoint kLocatePanel = {400, 223};
constexpr DesignPoint lane(int32_t k) { return {15 + (104 * (2 * k + 1)) / 10, 265}; }

constexpr std::array<DesignPoint, 0> kNothing = {};
constexpr std::array kClosePanel = {kLocatePanel};
constexpr std::array kToEffects = {kSoundEffects};
constexpr std::array kToSecondDelay = {kDelayPanels};
constexpr std::array kToLane2 = {lane(1)};
constexpr std::array kToLane3 = {lane(2)};
constexpr std::array kToLane4 = {lane(3)};
constexpr std::array kToLane5 = {lane(4)};
constexpr std::array kBackToSound = {lane(0), kDelayPanels, kSoundEffects};

constexpr std::array<PageSetStep, 9> kScript = {{
    {"open", kNothing},
    {"sound", kClosePanel},
    {"effects", kToEffects},
    {"effects-delay2", kToSecondDelay},
    {"lane2", kToLane2},
    {"lane3", kToLane3},
    {"lane4", kToLane4},
    {"lane5", kToLane5},
    {"sound-again", kBackToSound},
}};

}  // namespace

std::span<const PageSetStep> pageSetScript() { return kScript; }
