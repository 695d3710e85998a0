#include "host/PageSetScript.h"

#include <array>

namespace {

// The sound/effects switch (354), the switch between the two delay panels
// of the effects page (358), the switch between the two views under the
// pattern (356), and the modulation lanes' strip (366), whose fifths
// choose lanes 1 to 5.
constexpr DesignPoint kSoundEffects = {270, 26};
constexpr DesignPoint kDelayPanels = {495, 176};
constexpr DesignPoint kPatternViews = {24, 639};
constexpr DesignPoint lane(int32_t k) { return {15 + (104 * (2 * k + 1)) / 10, 265}; }

constexpr std::array<DesignPoint, 0> kNothing = {};
constexpr std::array kToEffects = {kSoundEffects};
constexpr std::array kToSecondDelay = {kDelayPanels};
constexpr std::array kToLane2 = {lane(1)};
constexpr std::array kToLane3 = {lane(2)};
constexpr std::array kToLane4 = {lane(3)};
constexpr std::array kToLane5 = {lane(4)};
constexpr std::array kToOtherPatternView = {kPatternViews};
constexpr std::array kBackToSound = {lane(0), kDelayPanels, kSoundEffects, kPatternViews};

constexpr std::array<PageSetStep, 9> kScript = {{
    {"sound", kNothing},
    {"effects", kToEffects},
    {"effects-delay2", kToSecondDelay},
    {"lane2", kToLane2},
    {"lane3", kToLane3},
    {"lane4", kToLane4},
    {"lane5", kToLane5},
    {"pattern-view2", kToOtherPatternView},
    {"sound-again", kBackToSound},
}};

}  // namespace

std::span<const PageSetStep> pageSetScript() { return kScript; }
