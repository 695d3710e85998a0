#include "aax/AAX_CString.h"

#include <cstring>
#include <locale>
#include <sstream>
#include <stdexcept>

AAX_CString& AAX_CString::operator=(const char* text) {
    Set(text);
    return *this;
}

AAX_CString& AAX_CString::operator=(const AAX_IString& other) {
    if (&other != this) Set(other.Get());
    return *this;
}

AAX_CString& AAX_CString::operator=(const AAX_CString& other) {
    if (&other != this) value = other.value;
    return *this;
}

void AAX_CString::Erase(uint32_t position, uint32_t count) {
    if (position > value.size()) throw std::out_of_range("AAX_CString::Erase");
    value.erase(position, count);
}

void AAX_CString::SubString(uint32_t position, uint32_t length, AAX_IString* out) const {
    if (position > value.size()) throw std::out_of_range("AAX_CString::SubString");
    if (out) out->Set(value.substr(position, length).c_str());
}

AAX_CString& AAX_CString::operator+=(const AAX_CString& other) {
    value += other.value;
    return *this;
}

AAX_CString& AAX_CString::operator+=(const char* text) {
    if (text) value += text;
    return *this;
}

void AAX_CString::AppendNumber(double number, int32_t precision) {
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    stream.setf(std::ios::fixed, std::ios::floatfield);
    stream.precision(precision < 0 ? 0 : precision);
    stream << number;
    value += stream.str();
}

bool AAX_CString::ToDouble(double* out) const {
    std::istringstream stream(value);
    stream.imbue(std::locale::classic());
    double number = 0;
    if (!(stream >> number)) {
        if (out) *out = 0;
        return false;
    }
    if (out) *out = number;
    return true;
}

bool operator==(const AAX_CString& a, const AAX_CString& b) { return std::strcmp(a.Get(), b.Get()) == 0; }
