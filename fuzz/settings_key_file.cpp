// Feeds arbitrary bytes to the settings key-file decoder; whatever decodes must
// encode and decode again to the same values, and so must the forms an
// editor may leave the encoded file in (CR LF line ends, no line end after
// "end", a byte-order mark first).  What the line-by-line reading takes
// from any bytes is stored again the same way.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SettingsKeyFile.h"

namespace {

void expectSame(const std::vector<platform::SettingsValue>& values, const std::string& text) {
    const auto again = platform::decodeKeyFile(text);
    if (!again || again->size() != values.size()) std::abort();
    for (size_t i = 0; i < values.size(); ++i) {
        const auto& a = values[i];
        const auto& b = (*again)[i];
        if (a.name != b.name || a.type != b.type || a.data != b.data) std::abort();
    }
}

std::string handEdited(const std::string& text) {
    std::string edited = "\xEF\xBB\xBF";
    for (const char c : text) edited += c == '\n' ? std::string("\r\n") : std::string(1, c);
    edited.resize(edited.size() - 2);  // the last line end
    return edited;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const platform::DecodedKeyFile lines = platform::decodeKeyFileLines(text);
    expectSame(lines.values, platform::encodeKeyFile(lines.values));
    const auto values = platform::decodeKeyFile(text);
    if (!values) return 0;
    const std::string encoded = platform::encodeKeyFile(*values);
    expectSame(*values, encoded);
    expectSame(*values, handEdited(encoded));
    return 0;
}
