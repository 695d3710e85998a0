#include "host/CommandNumbers.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

// The text's number when the whole text is one (no blanks around it,
// nothing after it), finite.
bool parse(const std::string& text, double& value) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end && *end == 0 && std::isfinite(value);
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
