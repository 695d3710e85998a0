// Feeds arbitrary bytes as the "text/uri-list" that another program offers
// in a drop: every path returned must be non-empty, free of zero bytes and
// no longer than the input.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/UriList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string list(reinterpret_cast<const char*>(data), size);
    for (const std::string& path : platform::pathsOfUriList(list))
        if (path.empty() || path.size() > size || path.find('\0') != std::string::npos) std::abort();
    return 0;
}
