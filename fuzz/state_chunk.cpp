// Hands arbitrary bytes to an instance as the host's state chunk.  Beyond
// "no crash and no read outside the bytes": a refused chunk changes nothing
// (the instance's own chunk is the same before and after), and an applied
// one saves as a chunk that loads again to the very same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/Dialogs.h"
#include "plugin/BWUniClient.h"

namespace {

BWUniClient& instance() {
    static std::unique_ptr<BWUniClient> made = [] {
        // Run by hand, the fuzzer must not write the user's settings.
        setenv("ZORVANE_SETTINGS_DIR", "/tmp/zorvane-fuzz-settings", 0);
        setenv("ZORVANE_DOCUMENTS_DIR", "/tmp/zorvane-fuzz-documents", 0);
        return std::make_unique<BWUniClient>(nullptr, 1, false);
    }();
    return *made;
}

std::vector<uint8_t> stateOf(BWUniClient& client) {
    void* data = nullptr;
    const int32_t bytes = client.getChunk(&data, false);
    if (bytes <= 0 || !data) __builtin_trap();
    const auto* begin = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(begin, begin + bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    BWUniClient& client = instance();
    platform::drainNonBlockingReports([](const char*) {});
    const std::vector<uint8_t> before = stateOf(client);
    // The host's bytes, in a buffer of exactly their size.
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(bytes.get(), data, size);
    if (client.setChunk(bytes.get(), int32_t(size), false) == 0) {
        if (stateOf(client) != before) __builtin_trap();  // refused, yet changed
        return 0;
    }
    std::vector<uint8_t> saved = stateOf(client);
    if (client.setChunk(saved.data(), int32_t(saved.size()), false) != 1) __builtin_trap();
    if (stateOf(client) != saved) __builtin_trap();
    return 0;
}
