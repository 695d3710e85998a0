#pragma once
// A readable log of virtual calls, "name(arg,arg)", for the test doubles of
// the effect and its editor.  The pointer the tests hand through the
// interface is probeBuffer and logs as "P".

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using CallLog = std::vector<std::string>;

inline char probeBuffer[256];

inline std::string describeArg(bool value) { return value ? "true" : "false"; }
inline std::string describeArg(int32_t value) { return std::to_string(value); }
inline std::string describeArg(intptr_t value) { return std::to_string(value); }
inline std::string describeArg(float value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%g", value);
    return text;
}
inline std::string describeArg(const void* pointer) {
    if (pointer == probeBuffer) return "P";
    return pointer ? "other" : "null";
}
inline std::string describeArg(const char* text) {
    if (text == probeBuffer) return "P";
    return text ? text : "null";
}

template <typename... Args>
std::string describeCall(const char* name, const Args&... args) {
    std::string text = std::string(name) + "(";
    const char* separator = "";
    ((text += separator, text += describeArg(args), separator = ","), ...);
    return text + ")";
}
