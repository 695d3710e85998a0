#include "core/NumberFormat.h"

#include <locale.h>
#include <stdlib.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void copyTextLimited(char* text, const char* source, int32_t maxLen) {
    if (maxLen < 0) return;
    const size_t count = strnlen(source, static_cast<size_t>(maxLen));
    std::memcpy(text, source, count);
    text[count] = 0;
    text[maxLen] = 0;
}

void appendTextLimited(char* text, const char* source, int32_t maxLen) {
    if (maxLen < 0) return;
    const size_t limit = static_cast<size_t>(maxLen);
    const size_t used = strnlen(text, limit);
    const size_t count = strnlen(source, limit - used);
    std::memcpy(text + used, source, count);
    text[used + count] = 0;
    text[maxLen] = 0;
}

namespace {

constexpr int kFieldWidth = 8;

// Writes the sign, the integer digits that fit the field and the point into
// out; answers how many places of the field they take (the point counts).
int integerPart(double magnitude, bool negative, char* out) {
    int used = negative ? 2 : 1;
    char reversed[kFieldWidth];
    int count = 0;
    auto whole = static_cast<int32_t>(magnitude);
    do {
        reversed[count++] = static_cast<char>('0' + whole % 10);
        whole /= 10;
        ++used;
    } while (whole >= 1 && used < kFieldWidth);

    char* write = out;
    if (negative) *write++ = '-';
    while (count > 0) *write++ = reversed[--count];
    *write++ = '.';
    *write = 0;
    return used;
}

// Truncated fraction digits, produced from the last one backwards.
void fractionPart(double magnitude, int places, char* out) {
    double scaled = (magnitude - std::trunc(magnitude)) * std::pow(10.0, places);
    for (int position = places - 1; position >= 0; --position) {
        const int digit = scaled <= 0 ? 0 : static_cast<int>(std::fmod(scaled, 10.0));
        out[position] = static_cast<char>('0' + digit);
        scaled /= 10.0;
    }
    out[places] = 0;
}

}  // namespace

void formatFloatField(float value, char* text, int32_t maxLen) {
    const double wide = value;  // compared wide: 1e8 must not pass as 99999999
    if (std::isnan(wide) || wide > 99999999.0 || wide < -9999999.0) return;
    const double magnitude = std::fabs(wide);

    char field[kFieldWidth + 2];
    const int used = integerPart(magnitude, wide < 0, field);
    copyTextLimited(text, field, maxLen);
    if (used < kFieldWidth) {
        fractionPart(magnitude, kFieldWidth - used, field);
        appendTextLimited(text, field, maxLen);
    }
}

void formatInteger(int32_t value, char* text, int32_t maxLen) {
    // Nine digit places: a larger magnitude has no text, and its negation
    // could overflow.
    if (value >= 100000000 || value <= -1000000000) {
        copyTextLimited(text, "Huge!", maxLen);
        return;
    }
    if (value < 0) {
        copyTextLimited(text, "-", maxLen);
        value = -value;
    } else {
        copyTextLimited(text, "", maxLen);
    }
    bool started = false;
    for (int32_t divisor = 100000000; divisor >= 1; divisor /= 10) {
        const int32_t digit = value / divisor;
        value %= divisor;
        started = started || digit > 0;
        if (started) {
            const char place[2] = {static_cast<char>('0' + digit), 0};
            appendTextLimited(text, place, maxLen);
        }
    }
}

namespace {

// The "C" locale, made once; the calls below switch the calling thread to it
// for the one conversion, so a host's decimal comma never reaches a text.
locale_t cLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

class CLocaleScope {
public:
    CLocaleScope() : previous(cLocale() ? uselocale(cLocale()) : static_cast<locale_t>(nullptr)) {}
    ~CLocaleScope() {
        if (previous) uselocale(previous);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t previous;
};

}  // namespace

void formatFixed(char* text, size_t size, double value, int32_t width, int32_t precision, const char* suffix) {
    if (!text || size == 0) return;
    CLocaleScope c;
    std::snprintf(text, size, "%*.*f%s", static_cast<int>(width), static_cast<int>(precision), value,
                  suffix ? suffix : "");
}

double parseLeadingNumber(const char* text) {
    if (!text) return 0.0;
    const locale_t c = cLocale();
    return c ? strtod_l(text, nullptr, c) : std::strtod(text, nullptr);
}
