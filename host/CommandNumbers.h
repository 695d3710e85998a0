#pragma once
// The numbers of zorvane-host's command line, read by one rule: a value
// that is no number, not whole where whole ones are wanted, or outside its
// range is refused in one wording (what was given, as typed, what is wrong
// with it, what the option takes), and the program refuses it as it refuses
// any command line it cannot take: exit status 2, with the usage.

#include <string>

struct NumberRange {
    double lowest = 0;
    double highest = 0;
    bool whole = false;           // whole numbers only
    bool lowestTaken = true;      // false: the lowest is a bound, not a value
    std::string takes;            // what the option takes, in words: "20..999 BPM"
};

// `name` is what the user typed the value for ("--tempo", "params set's
// value"); false with the refusal in `error`.
bool readNumber(const std::string& name, const std::string& text, const NumberRange& range, double& value,
                std::string& error);

// The refusal of a value, for the readers with rules of their own (the
// zoom's whole percent): `fault` is "is not a number", "is out of range".
std::string numberRefusal(const std::string& name, const std::string& text, const char* fault, const std::string& takes);

inline constexpr const char* kNotANumber = "is not a number";
inline constexpr const char* kNotWhole = "is not a whole number";
inline constexpr const char* kOutOfRange = "is out of range";
