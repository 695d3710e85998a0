#pragma once
// The 8-bit string behind AAX_IString: names, identifiers and display texts
// of the support classes.  No encoding is assumed; comparisons are byte-wise.

#include <string>

#include "aax/AAX_IString.h"

class AAX_CString : public AAX_IString {
public:
    AAX_CString() = default;
    AAX_CString(const char* text) : value(text ? text : "") {}  // NOLINT: texts convert freely
    AAX_CString(const std::string& text) : value(text) {}       // NOLINT
    AAX_CString(const AAX_CString& other) = default;
    explicit AAX_CString(const AAX_IString& other) : value(other.Get()) {}
    ~AAX_CString() override = default;

    uint32_t Length() const override { return static_cast<uint32_t>(value.size()); }
    uint32_t MaxLength() const override { return 0xFFFFFFFEu; }
    const char* Get() const override { return value.c_str(); }
    void Set(const char* text) override { value = text ? text : ""; }
    AAX_CString& operator=(const char* text) override;
    AAX_CString& operator=(const AAX_IString& other) override;
    AAX_CString& operator=(const AAX_CString& other);

    void swap(AAX_CString& other) noexcept { value.swap(other.value); }
    void Clear() { value.clear(); }
    // Out-of-range positions throw std::out_of_range.
    void Erase(uint32_t position, uint32_t count);
    void SubString(uint32_t position, uint32_t length, AAX_IString* out) const;
    char operator[](uint32_t index) const { return value[index]; }
    AAX_CString& operator+=(const AAX_CString& other);
    AAX_CString& operator+=(const char* text);

    // Fixed-point with `precision` decimals, "C" locale: 0.5, 2 -> "0.50".
    void AppendNumber(double number, int32_t precision);
    // Reads a number from the start of the text; trailing characters are
    // ignored.  Nothing numeric: out = 0, false.
    bool ToDouble(double* out) const;

    const std::string& StdString() const { return value; }

private:
    std::string value;
};

// Byte-wise up to the terminating zero, as the host sees them.
bool operator==(const AAX_CString& a, const AAX_CString& b);
inline bool operator!=(const AAX_CString& a, const AAX_CString& b) { return !(a == b); }
