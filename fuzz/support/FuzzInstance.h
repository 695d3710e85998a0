#pragma once
// The one plug-in instance a harness drives for the whole run, and its state
// as the host would save it.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "plugin/BWUniClient.h"
#include "support/QuietMessages.h"

inline BWUniClient& fuzzInstance() {
    static std::unique_ptr<BWUniClient> made = [] {
        // Run by hand, the fuzzer must not write the user's settings.
        setenv("ZORVANE_SETTINGS_DIR", "/tmp/zorvane-fuzz-settings", 0);
        setenv("ZORVANE_DOCUMENTS_DIR", "/tmp/zorvane-fuzz-documents", 0);
        quietMessages();
        return std::make_unique<BWUniClient>(nullptr, 1, false);
    }();
    return *made;
}

inline std::vector<uint8_t> stateOf(BWUniClient& client) {
    void* data = nullptr;
    const int32_t bytes = client.getChunk(&data, false);
    if (bytes <= 0 || !data) __builtin_trap();
    const auto* begin = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(begin, begin + bytes);
}
