// Hands arbitrary bytes to an instance as the host's state chunk.  Beyond
// "no crash and no read outside the bytes": a refused chunk changes nothing
// (the instance's chunk stays the fresh one), and an applied one saves as a
// chunk that loads again to the very same bytes.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/Dialogs.h"
#include "support/Check.h"
#include "support/FuzzInstance.h"
#include "support/ReusedSubject.h"

namespace {

class StateChunkSubject : public LoadedInstance {
public:
    void run(const uint8_t* data, size_t size, Digest& digest) {
        if (digest.wanted()) check(stateOf(*client) == fresh, "each input meets the fresh state");
        if (size > (1u << 20)) return;
        platform::drainNonBlockingReports([](const char*) {});
        // The host's bytes, in a buffer of exactly their size.
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[size ? size : 1]);
        if (size) std::memcpy(bytes.get(), data, size);
        const int32_t taken = client->setChunk(bytes.get(), int32_t(size), false);
        digest.add(taken);
        if (taken == 0) {
            check(stateOf(*client) == fresh, "a refused chunk changes nothing");
            return;
        }
        markChanged();
        std::vector<uint8_t> saved = stateOf(*client);
        check(client->setChunk(saved.data(), int32_t(saved.size()), false) == 1, "a saved state loads again");
        check(stateOf(*client) == saved, "a saved state re-saves to the same bytes");
        digest.add(saved.data(), saved.size());
    }
};

}  // namespace

ZORVANE_REUSED_SUBJECT(StateChunkSubject)
