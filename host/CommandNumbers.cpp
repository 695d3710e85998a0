#include "host/CommandNumbers.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace {

// The text's number when the whole text is one decimal number (digits, a
// point, an exponent, a sign in front; no blanks around it, nothing after
// it), finite.  Hexadecimal ("0xAC44"), "inf" and "nan" are no numbers here,
// whatever the C library's strtod makes of them.
bool parse(const std::string& text, double& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    const bool plus = first != last && *first == '+';
    if (plus) ++first;  // from_chars reads a minus itself, not a plus
    const char* digits = !plus && first != last && *first == '-' ? first + 1 : first;
    if (digits == last || !(std::isdigit(static_cast<unsigned char>(*digits)) || *digits == '.')) return false;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    return error == std::errc() && end == last && std::isfinite(value);
}

}  // namespace

std::string numberRefusal(const std::string& name, const std::string& text, const char* fault, const std::string& takes) {
    return name + " \"" + text + "\" " + fault + "; it takes " + takes;
}

bool readNumber(const std::string& name, const std::string& text, const NumberRange& range, double& value,
                std::string& error) {
    double read = 0;
    const char* fault = !parse(text, read)                                                  ? kNotANumber
                        : range.whole && read != std::floor(read)                           ? kNotWhole
                        : read < range.lowest || (!range.lowestTaken && read == range.lowest) ||
                                  read > range.highest
                            ? kOutOfRange
                            : nullptr;
    if (fault) return error = numberRefusal(name, text, fault, range.takes), false;
    value = read;
    return true;
}
