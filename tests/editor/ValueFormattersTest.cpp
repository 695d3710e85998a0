// The value displays' texts, also where the host runs with a decimal comma.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "editor/ValueFormatters.h"
#include "support/TempDir.h"
#include "widgets/BWTextList.h"

namespace editor_test {
namespace {

void expectAll(const char* where) {
    const struct {
        void (*format)(float, char*);
        float value;
        const char* text;
    } cases[] = {
        {formatTime, 999.6f, "1000 ms"},  // the threshold looks at the value, not the text
        {formatTime, 1000.0f, "1.00 s"},           {formatTime, 12345.0f, "12.3 s"},
        {formatTime, 5.0f, "  5 ms"},              {formatPercent, 0.05f, "5.00 %"},
        {formatPercent, -0.5f, "-50.0 %"},         {formatPercent, 1.0f, "100 %"},
        {formatDecibel, -160.0f, "-oo"},           {formatDecibel, -159.9f, "-159.9 db"},
        {formatDecibel, -6.0f, "-6.00 db"},        {formatBipolarPercent, 0.5f, "0.0 %"},
        {formatBipolarPercent, 0.0f, "-100 %"},    {formatBipolarPercent, 1.0f, "100 %"},
        {formatBipolarPercent, 0.75f, "50.0 %"},
        {formatBipolarPercent, 0.99999f, "100.0 %"},  // the float 0.99999 is just below the limit
        {formatFrequency, 440.0f, "440 Hz"},       {formatFrequency, 2500.0f, "2.50 kHz"},
        {formatFrequency, 15000.0f, "15.0 kHz"},   {formatListEntry, 0.0f, "bar"},
        {formatListEntry, 1.0f, "1/128T"},         {formatListEntry, 0.27f, "1/4"},  // trunc(15 x 0.27 + 0.5)
        {formatListEntry, 7.0f, "1/128T"},         {formatListEntry, std::nanf(""), "bar"},  // never past the list
    };
    for (const auto& c : cases) {
        char text[VSTGUI::kFormattedTextSize];
        std::fill(std::begin(text), std::end(text), 'x');
        c.format(c.value, text);
        EXPECT_EQ(std::string(text), c.text) << c.value << " " << where;
    }
}

// A locale with a decimal comma: an installed one, else German made from the
// system's locale sources into a folder of the test.
bool enterDecimalCommaLocale(const TempDir& folder) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
        if (std::setlocale(LC_ALL, name)) return true;
    if (!std::filesystem::exists("/usr/share/i18n/locales/de_DE")) return false;
    const std::string made = folder.str() + "/de_DE.UTF-8";
    if (std::system(("localedef -i de_DE -f UTF-8 '" + made + "' >/dev/null 2>&1").c_str()) != 0) return false;
    setenv("LOCPATH", folder.str().c_str(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

TEST(ValueFormatters, GiveTheDisplaysTextsInTheCLocale) {
    expectAll("C locale");
    TempDir folder;
    if (!enterDecimalCommaLocale(folder)) GTEST_SKIP() << "no decimal-comma locale to try";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    EXPECT_EQ(std::string(probe), "0,5") << "the locale writes a comma";
    expectAll("decimal comma");
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
}

}  // namespace
}  // namespace editor_test
