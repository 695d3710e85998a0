#pragma once
// Display texts of numbers for the effect's formatting operations.  The texts
// go into buffers that the caller supplies with a length limit maxLen; every
// writer stores a terminating zero at text[maxLen], so the buffer must hold
// maxLen + 1 bytes.  A negative limit writes nothing.  Any thread: nothing is
// allocated.

#include <cstddef>
#include <cstdint>

// Copies at most maxLen characters of source.
void copyTextLimited(char* text, const char* source, int32_t maxLen);

// Appends source, keeping the whole text within maxLen characters.
void appendTextLimited(char* text, const char* source, int32_t maxLen);

// A fixed eight-character field counting sign, integer digits and point:
// 1.5 gives "1.500000", -1.5 "-1.50000", 12345678 "2345678." (leading
// digits beyond the field are dropped, fraction digits are truncated).
// Above 99999999, below -9999999 or NaN the text is left as it was.
void formatFloatField(float value, char* text, int32_t maxLen);

// Decimal digits without leading zeros: 0 gives an empty text, -42 "-42".
// 100000000 and above, or -1000000000 and below, give "Huge!".
void formatInteger(int32_t value, char* text, int32_t maxLen);

// The text of printf's "%<width>.<precision>f" followed by suffix, in the
// "C" locale whatever locale the host has set: a point for the decimals, the
// number right-aligned in at least width characters.  Cut to size - 1
// bytes and terminated.  NaN and infinities read "nan", "inf", "-inf".
void formatFixed(char* text, size_t size, double value, int32_t width, int32_t precision, const char* suffix = "");

// The number at the start of a text as the runtime's text-to-number reading
// does it in the "C" locale: leading blanks, an optional sign, decimals
// with a point, an exponent, "nan" and "inf"; 0 when no number starts it.
double parseLeadingNumber(const char* text);
