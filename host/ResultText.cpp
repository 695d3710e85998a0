#include "host/ResultText.h"

#include <cstdio>

#include "aax/AAXResults.h"
#include "aax/ACFUnknown.h"

std::string resultText(int32_t code) {
    char text[96];
    // The component framework's codes are COM-style words, best read in hex.
    const char* framework = code == ACF_E_NOINTERFACE ? "ACF_E_NOINTERFACE"
                            : code == ACF_E_POINTER   ? "ACF_E_POINTER"
                            : code == ACF_E_UNEXPECTED ? "ACF_E_UNEXPECTED"
                                                       : nullptr;
    if (framework) {
        std::snprintf(text, sizeof(text), "%s (0x%08X)", framework, uint32_t(code));
    } else {
        std::snprintf(text, sizeof(text), "%s (%d)", resultToString(code), int(code));
    }
    return text;
}
