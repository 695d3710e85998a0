#pragma once
// On/off display: one text for each state, with shorter texts for narrow
// displays.

#include <algorithm>
#include <vector>

#include "aax/AAX_IDisplayDelegate.h"

template <typename T>
class AAX_CBinaryDisplayDelegate : public AAX_IDisplayDelegate<T> {
public:
    AAX_CBinaryDisplayDelegate(const char* falseText, const char* trueText)
        : falseString(falseText), trueString(trueText),
          maxLength(std::max(falseString.Length(), trueString.Length())) {}

    AAX_CBinaryDisplayDelegate* Clone() const override { return new AAX_CBinaryDisplayDelegate(*this); }

    bool ValueToString(T value, AAX_CString* out) const override {
        *out = value ? trueString : falseString;
        return true;
    }

    bool ValueToString(T value, int32_t maxChars, AAX_CString* out) const override {
        if (shortened.empty() || uint32_t(std::max(maxChars, 0)) >= maxLength) return ValueToString(value, out);
        const Shortened* chosen = &shortened.front();
        for (auto record = shortened.rbegin(); record != shortened.rend(); ++record) {
            if (record->maxChars <= maxChars) {
                chosen = &*record;
                break;
            }
        }
        *out = value ? chosen->trueString : chosen->falseString;
        return true;
    }

    bool StringToValue(const AAX_CString& text, T* out) const override {
        if (text == trueString) {
            *out = true;
            return true;
        }
        *out = false;
        return text == falseString;
    }

    void AddShortenedStrings(const char* falseText, const char* trueText, int32_t maxChars) {
        shortened.push_back({maxChars, falseText, trueText});
        std::stable_sort(shortened.begin(), shortened.end(),
                         [](const Shortened& a, const Shortened& b) { return a.maxChars < b.maxChars; });
    }

private:
    struct Shortened {
        int32_t maxChars;
        AAX_CString falseString;
        AAX_CString trueString;
    };

    AAX_CString falseString;
    AAX_CString trueString;
    uint32_t maxLength;
    std::vector<Shortened> shortened;
};
