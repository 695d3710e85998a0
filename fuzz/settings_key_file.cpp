// Feeds arbitrary bytes to the settings key-file decoder; whatever decodes must
// encode and decode again to the same values.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/SettingsKeyFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto values = platform::decodeKeyFile(text);
    if (!values) return 0;
    const auto again = platform::decodeKeyFile(platform::encodeKeyFile(*values));
    if (!again || again->size() != values->size()) std::abort();
    for (size_t i = 0; i < values->size(); ++i) {
        const auto& a = (*values)[i];
        const auto& b = (*again)[i];
        if (a.name != b.name || a.type != b.type || a.data != b.data) std::abort();
    }
    return 0;
}
