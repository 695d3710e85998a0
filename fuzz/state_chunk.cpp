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
#include "support/FuzzInstance.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    BWUniClient& client = fuzzInstance();
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
