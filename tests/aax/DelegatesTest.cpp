// The string type, the tapers and the display delegates, by their texts and
// numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "aax/AAX_CBinaryDisplayDelegate.h"
#include "aax/AAX_CBinaryTaperDelegate.h"
#include "aax/AAX_CLinearTaperDelegate.h"
#include "aax/AAX_CNumberDisplayDelegate.h"
#include "aax/AAX_CPercentDisplayDelegateDecorator.h"
#include "aax/AAX_CString.h"

using LinearTaper = AAX_CLinearTaperDelegate<float, 2147483647>;
using NumberDisplay = AAX_CNumberDisplayDelegate<float, 2, 0>;
using PercentDisplay = AAX_CPercentDisplayDelegateDecorator<float>;

TEST(AAXString, FormatsAndReadsNumbersInTheClassicLocale) {
    const struct {
        const char* start;
        double number;
        int32_t precision;
        const char* text;
    } appends[] = {{"x", 0.5, 2, "x0.50"}, {"", 100, 2, "100.00"}, {"", -0.004, 2, "-0.00"}, {"", 1234567.891, 1, "1234567.9"}, {"", 2.5, 0, "2"}};
    for (const auto& c : appends) {
        AAX_CString text(c.start);
        text.AppendNumber(c.number, c.precision);
        EXPECT_STREQ(text.Get(), c.text);
    }
    const struct {
        const char* text;
        bool read;
        double number;
    } reads[] = {{"12abc", true, 12}, {"abc", false, 0}, {"", false, 0}, {" -1.5e1", true, -15}, {"5%", true, 5}};
    for (const auto& c : reads) {
        double number = 99;
        EXPECT_EQ(AAX_CString(c.text).ToDouble(&number), c.read) << c.text;
        EXPECT_EQ(number, c.number) << c.text;
    }
    AAX_CString text;
    EXPECT_EQ(text.MaxLength(), 4294967294u);
    text = "abcdef";
    AAX_CString part;
    text.SubString(2, 10, &part);
    EXPECT_STREQ(part.Get(), "cdef");
    text.Erase(1, 2);
    EXPECT_STREQ(text.Get(), "adef");
    EXPECT_THROW(text.Erase(5, 1), std::out_of_range);
    EXPECT_THROW(text.SubString(5, 1, &part), std::out_of_range);
    text = text;
    EXPECT_EQ(text, AAX_CString("adef"));
    EXPECT_NE(text, AAX_CString("adeF"));
}

TEST(AAXDelegates, LinearTaperRoundsClampsAndMapsBothWays) {
    const LinearTaper taper(0.f, 1.f);
    const struct {
        float real;
        double normalized;
    } toNormalized[] = {{1.5f, 1.0}, {-0.2f, 0.0}, {0.25f, 0.25}, {1.f, 1.0}};
    for (const auto& c : toNormalized) EXPECT_DOUBLE_EQ(taper.RealToNormalized(c.real), c.normalized) << c.real;
    EXPECT_FLOAT_EQ(taper.NormalizedToReal(0.25), 0.25f);
    EXPECT_FLOAT_EQ(taper.NormalizedToReal(2.0), 1.f);
    EXPECT_FLOAT_EQ(taper.NormalizedToReal(std::nan("")), 0.f);
    const LinearTaper reversed(10.f, -10.f);
    EXPECT_FLOAT_EQ(reversed.NormalizedToReal(0.25), 5.f);
    EXPECT_FLOAT_EQ(reversed.ConstrainRealValue(20.f), 10.f);
    const LinearTaper flat(3.f, 3.f);
    EXPECT_FLOAT_EQ(flat.ConstrainRealValue(-7.f), 3.f);
    EXPECT_DOUBLE_EQ(flat.RealToNormalized(100.f), 0.5);
    std::unique_ptr<AAX_ITaperDelegate<float>> copy(reversed.Clone());
    EXPECT_FLOAT_EQ(copy->GetMinimumValue(), 10.f);

    const AAX_CBinaryTaperDelegate<bool> binary;
    EXPECT_FALSE(binary.NormalizedToReal(0.0));
    EXPECT_TRUE(binary.NormalizedToReal(0.0001));
    EXPECT_EQ(binary.RealToNormalized(true), 1.0);
}

TEST(AAXDelegates, NumberAndPercentTextsWithLimits) {
    const NumberDisplay number;
    const PercentDisplay percent{NumberDisplay()};
    const struct {
        const AAX_IDisplayDelegate<float>* display;
        float value;
        int32_t limit;  // -1: no limit given
        const char* text;
    } cases[] = {
        {&number, 0.5f, -1, "0.50"}, {&number, -1.25f, -1, "-1.25"}, {&number, 100.f, -1, "100.00"},
        {&number, 0.5f, 3, "0.5"},   {&number, 0.5f, 2, "0"},         {&number, 0.5f, 0, ""},
        {&number, 0.5f, -5, ""},     {&percent, 0.5f, -1, "50.00%"}, {&percent, 0.5f, 4, "50%"},
        {&percent, 1.f, 7, "100.00%"}, {&percent, 1.f, 5, "100%"},
    };
    for (const auto& c : cases) {
        AAX_CString text("junk");
        if (c.limit == -1) EXPECT_TRUE(c.display->ValueToString(c.value, &text));
        else EXPECT_TRUE(c.display->ValueToString(c.value, c.limit, &text));
        EXPECT_STREQ(text.Get(), c.text) << c.value << " " << c.limit;
    }
    const struct {
        const char* text;
        bool read;
        float value;
    } reads[] = {{"50%", true, 0.5f}, {"5%", true, 0.05f}, {"75", true, 0.75f}, {"%", false, 0.f}, {"abc%", false, 0.f}};
    for (const auto& c : reads) {
        float value = 9;
        EXPECT_EQ(percent.StringToValue(c.text, &value), c.read) << c.text;
        EXPECT_FLOAT_EQ(value, c.value) << c.text;
    }
    std::unique_ptr<AAX_IDisplayDelegate<float>> copy(percent.Clone());
    AAX_CString text;
    copy->ValueToString(0.25f, &text);
    EXPECT_STREQ(text.Get(), "25.00%");
}

TEST(AAXDelegates, BinaryDisplayPicksTheShortenedTextThatFits) {
    AAX_CBinaryDisplayDelegate<bool> display("bypass", "on");
    bool value = true;
    EXPECT_TRUE(display.StringToValue("bypass", &value));
    EXPECT_FALSE(value);
    EXPECT_FALSE(display.StringToValue("Bypass", &value));
    AAX_CString text;
    display.ValueToString(false, 1, &text);
    EXPECT_STREQ(text.Get(), "bypass");  // no shortened texts yet
    display.AddShortenedStrings("byp", "o", 3);
    display.AddShortenedStrings("b", "1", 1);
    const struct {
        bool value;
        int32_t limit;
        const char* text;
    } cases[] = {{false, 6, "bypass"}, {false, 9, "bypass"}, {false, 5, "byp"}, {false, 3, "byp"},
                 {false, 2, "b"},      {true, 1, "1"},       {false, 0, "b"},   {false, -4, "b"}};
    for (const auto& c : cases) {
        display.ValueToString(c.value, c.limit, &text);
        EXPECT_STREQ(text.Get(), c.text) << c.limit;
    }
    std::unique_ptr<AAX_IDisplayDelegate<bool>> copy(display.Clone());
    copy->ValueToString(true, 3, &text);
    EXPECT_STREQ(text.Get(), "o");
    AAX_CBinaryDisplayDelegate<bool> switches("Off", "On");
    EXPECT_TRUE(switches.StringToValue("On", &value));
    EXPECT_TRUE(value);
    EXPECT_FALSE(switches.StringToValue("off", &value));
    EXPECT_FALSE(value);
}
