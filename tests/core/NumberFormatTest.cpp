#include "core/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "support/ProbeEffect.h"

namespace {

// Formats into a buffer prefilled with a marker, so that untouched texts and
// writes beyond the terminator show.
template <typename Format>
std::string formatted(Format format, int32_t maxLen = 16) {
    char text[32];
    std::memset(text, '#', sizeof(text));
    std::strcpy(text, "keep");
    format(text, maxLen);
    return std::string(text);
}

std::string floatText(float value, int32_t maxLen = 16) {
    return formatted([=](char* text, int32_t limit) { formatFloatField(value, text, limit); }, maxLen);
}

std::string intText(int32_t value, int32_t maxLen = 16) {
    return formatted([=](char* text, int32_t limit) { formatInteger(value, text, limit); }, maxLen);
}

}  // namespace

TEST(NumberFormat, FloatFillsAnEightPlaceFieldAndTruncates) {
    EXPECT_EQ(floatText(1.5f), "1.500000");
    EXPECT_EQ(floatText(123.25f), "123.2500");
    EXPECT_EQ(floatText(-1.5f), "-1.50000");
    EXPECT_EQ(floatText(0.0f), "0.000000");
    EXPECT_EQ(floatText(0.25f), "0.250000");
    EXPECT_EQ(floatText(-0.125f), "-0.12500");
    EXPECT_EQ(floatText(1234567.0f), "1234567.");
    EXPECT_EQ(floatText(2.0f / 3.0f), "0.666666");  // truncated, never rounded up
    // The eighth integer digit has no place: the leading one is dropped.
    EXPECT_EQ(floatText(12345678.0f), "2345678.");
    EXPECT_EQ(floatText(-9999999.0f), "-999999.");
}

TEST(NumberFormat, FloatOutOfRangeLeavesTheTextAsItWas) {
    EXPECT_EQ(floatText(123456789.0f), "keep");
    EXPECT_EQ(floatText(100000000.0f), "keep");  // not mistaken for 99999999
    EXPECT_EQ(floatText(-10000000.0f), "keep");
    EXPECT_EQ(floatText(INFINITY), "keep");
    EXPECT_EQ(floatText(NAN), "keep");
}

TEST(NumberFormat, IntegerDigitsWithoutLeadingZeros) {
    EXPECT_EQ(intText(0), "");  // kept: callers rely on an empty text for 0
    EXPECT_EQ(intText(-42), "-42");
    EXPECT_EQ(intText(1000), "1000");
    EXPECT_EQ(intText(99999999), "99999999");
    EXPECT_EQ(intText(-999999999), "-999999999");
    EXPECT_EQ(intText(100000000), "Huge!");
    // Beyond nine digits a negative value has no text either (and -2^31
    // cannot be negated).
    EXPECT_EQ(intText(-1000000000), "Huge!");
    EXPECT_EQ(intText(INT32_MIN), "Huge!");
}

TEST(NumberFormat, EveryWriterKeepsToTheLimit) {
    EXPECT_EQ(floatText(123.25f, 3), "123");
    EXPECT_EQ(floatText(1.5f, 5), "1.500");
    EXPECT_EQ(intText(12345, 2), "12");
    EXPECT_EQ(intText(-7, 0), "");

    char text[8] = "abcdefg";
    copyTextLimited(text, "xyz", 4);
    EXPECT_EQ(std::string(text, 8), std::string("xyz\0\0fg\0", 8));  // zero at text[maxLen]
    appendTextLimited(text, "12345", 5);
    EXPECT_STREQ(text, "xyz12");
    // A negative limit writes nothing at all.
    copyTextLimited(text, "zz", -1);
    EXPECT_EQ(floatText(1.5f, -1), "keep");
    EXPECT_EQ(intText(5, -3), "keep");
    EXPECT_STREQ(text, "xyz12");
}

TEST(NumberFormat, EffectUnitFormattersUseTheSampleRate) {
    MinimalEffect effect(nullptr, 1, 1);
    auto text = [&](auto format, float value) {
        return formatted([&](char* out, int32_t limit) { (effect.*format)(value, out, limit); });
    };
    EXPECT_EQ(text(&AudioEffect::dB2string, 1.0f), "0.000000");
    EXPECT_EQ(text(&AudioEffect::dB2string, 10.0f), "20.00000");
    EXPECT_EQ(text(&AudioEffect::dB2string, 0.5f), "-6.02059");
    EXPECT_EQ(text(&AudioEffect::dB2string, 0.0f), "-oo");
    EXPECT_EQ(text(&AudioEffect::dB2string, -1.0f), "-oo");
    EXPECT_EQ(text(&AudioEffect::Hz2string, 100.0f), "441.0000");
    EXPECT_EQ(text(&AudioEffect::Hz2string, 0.0f), "0.000000");
    EXPECT_EQ(text(&AudioEffect::ms2string, 441.0f), "10.00000");
    EXPECT_EQ(text(&AudioEffect::float2string, 2.5f), "2.500000");

    effect.setSampleRate(48000.0f);
    EXPECT_EQ(text(&AudioEffect::ms2string, 48000.0f), "1000.000");
    EXPECT_EQ(text(&AudioEffect::Hz2string, 480.0f), "100.0000");

    EXPECT_EQ(formatted([&](char* out, int32_t limit) { effect.int2string(-42, out, limit); }), "-42");
}
