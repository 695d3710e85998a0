#include "effects/BWEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "EffectTestSupport.h"
#include "core/ValueLists.h"

namespace {

// The base with nothing overridden but setParameter, which records the calls
// that reach it before storing as the base does.
class RecordingEffect : public BWEffect {
public:
    RecordingEffect(int32_t count, BWSystemInfo* owner, const NoteDivisionLists* lists = nullptr)
        : BWEffect(7, count, owner, lists) {}

    void setParameter(uint32_t index, float value) override {
        calls.emplace_back(index, value);
        BWEffect::setParameter(index, value);
    }

    const ValueList* list() const { return selectedValueList(); }

    std::vector<std::pair<uint32_t, float>> calls;
};

}  // namespace

TEST(BWEffectTest, FreshEffectHasPlaceholderNamesDefaultsAndEqualPowerMix) {
    EffectTestContext context;
    RecordingEffect effect(3, &context.info);

    EXPECT_STREQ(effect.getEffectName(), "BWEffect unspecified");
    EXPECT_EQ(effect.getId(), 7u);
    EXPECT_EQ(effect.getParameterCount(), 3);
    for (uint32_t index = 0; index < 3; ++index) {
        EXPECT_STREQ(effect.getParameterName(index), "no name set");
        EXPECT_FLOAT_EQ(effect.getParameterDefault(static_cast<int32_t>(index)), 0.5f);
        EXPECT_EQ(effect.getValue(index), 0.0f);
    }
    EXPECT_FLOAT_EQ(effect.getMix(), 0.5f);
    EXPECT_FLOAT_EQ(effect.getDryGain(), 0.70710677f);
    EXPECT_FLOAT_EQ(effect.getWetGain(), 0.70710677f);
    // The base leaves joining the listener list to the effects themselves.
    EXPECT_EQ(context.listeners.size(), 0u);
}

TEST(BWEffectTest, IndicesOutsideTheCountAnswerFallbacksAndChangeNothing) {
    EffectTestContext context;
    RecordingEffect none(0, &context.info);
    EXPECT_STREQ(none.getParameterName(0), "fail");
    char text[BWEffect::kNameSize] = "x";
    none.getName(0, text);
    EXPECT_STREQ(text, "unused");
    EXPECT_EQ(none.getParameterDefault(0), 0.0f);
    none.setParameter(0, 0.3f);  // nowhere to store it: ignored, not written past the end

    RecordingEffect two(2, &context.info);
    two.setParameter(2, 0.9f);
    two.setParameter(0xFFFFFFFFu, 0.9f);
    EXPECT_EQ(two.getValue(0), 0.0f);
    EXPECT_EQ(two.getValue(1), 0.0f);
    EXPECT_EQ(two.getParameterDefault(-1), 0.0f);
    EXPECT_EQ(two.getParameterDefault(2), 0.0f);
    two.getName(1, text);
    EXPECT_STREQ(text, "no name set");
}

TEST(BWEffectTest, NamesAreCutToTheirBuffer) {
    EffectTestContext context;
    RecordingEffect effect(1, &context.info);
    const std::string longName(80, 'n');
    EXPECT_EQ(std::string(effect.setName(longName.c_str())), std::string(31, 'n'));
    EXPECT_EQ(std::string(effect.getEffectName()).size(), 31u);
}

TEST(BWEffectTest, MixIsEqualPowerAndClampedToItsRange) {
    EffectTestContext context;
    RecordingEffect effect(1, &context.info);

    effect.setMix(0.0f);
    EXPECT_EQ(effect.getWetGain(), 0.0f);
    EXPECT_EQ(effect.getDryGain(), 1.0f);
    effect.setMix(1.0f);
    EXPECT_EQ(effect.getWetGain(), 1.0f);
    EXPECT_EQ(effect.getDryGain(), 0.0f);
    effect.setMix(0.25f);
    EXPECT_FLOAT_EQ(effect.getWetGain(), 0.5f);
    EXPECT_FLOAT_EQ(effect.getDryGain(), std::sqrt(0.75f));
    EXPECT_FLOAT_EQ(effect.getWetGain() * effect.getWetGain() + effect.getDryGain() * effect.getDryGain(), 1.0f);

    // A denormal level is taken as none; levels beyond the ends and NaN are clamped.
    effect.setMix(1e-40f);
    EXPECT_EQ(effect.getWetGain(), 0.0f);
    EXPECT_EQ(effect.getDryGain(), 1.0f);
    effect.setMix(3.0f);
    EXPECT_EQ(effect.getMix(), 1.0f);
    EXPECT_EQ(effect.getDryGain(), 0.0f);
    effect.setMix(-2.0f);
    EXPECT_EQ(effect.getWetGain(), 0.0f);
    effect.setMix(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(effect.getMix(), 0.0f);
    EXPECT_EQ(effect.getDryGain(), 1.0f);
}

TEST(BWEffectTest, DisplayWritesTheValueAndTheForwardIgnoresItsSecondArgument) {
    EffectTestContext context;
    RecordingEffect effect(1, &context.info);
    char text[BWEffect::kDisplayTextSize];
    effect.getParameterDisplay(0, 0.5f, text);
    EXPECT_STREQ(text, "0.500000");
    effect.getParameterDisplayForward(0, 12345, 0.25f, text);
    EXPECT_STREQ(text, "0.250000");
    // The widest float still fits the buffer.
    effect.getParameterDisplay(0, -std::numeric_limits<float>::max(), text);
    EXPECT_LT(std::string(text).size(), BWEffect::kDisplayTextSize);
}

TEST(BWEffectTest, SelectingAValueListReappliesEveryParameterInOrder) {
    EffectTestContext context;
    RecordingEffect effect(3, &context.info, valueLists());
    effect.setParameter(0, 0.1f);
    effect.setParameter(2, 0.3f);
    effect.calls.clear();

    effect.selectValueList(2);
    const std::vector<std::pair<uint32_t, float>> expected = {{0, 0.1f}, {1, 0.0f}, {2, 0.3f}};
    EXPECT_EQ(effect.calls, expected);
    EXPECT_EQ(effect.getValueListIndex(), 2);
    EXPECT_EQ(effect.list(), &valueLists()->withTriplets);

    // Lists beyond the group's four fall back to the whole list.
    effect.selectValueList(9);
    EXPECT_EQ(effect.list(), valueLists()->parent);
    RecordingEffect withoutLists(1, &context.info);
    EXPECT_EQ(withoutLists.list(), nullptr);
}
