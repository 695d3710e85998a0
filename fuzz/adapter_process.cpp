// The adapter's process procedures fed whatever a host might hand them:
// MIDI packets at any timestamp with any bytes, block lengths from negative
// to longer than what is left of the input's frames, mono and stereo, a
// missing instance packet.  Each record of eight bytes is a packet (two
// bytes of timestamp, three data bytes), then a block length (two bytes,
// signed; 0 keeps collecting packets) and a format byte (bit 0 stereo, bit 1
// no instance).  An input renders at most kFrameBudget frames, so that
// inputs run at a thousand a second; blocks longer than the instance was
// prepared for are the validation battery's.  The outputs must end finite
// and nothing is read or written outside the buffers.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "aax/BWAAXDescription.h"
#include "aax/BWAAXWrapperParameters.h"
#include "host/HostDescription.h"
#include "host/HostInstance.h"
#include "support/Check.h"
#include "support/FuzzInstance.h"
#include "support/PlayedInstance.h"
#include "support/ReusedSubject.h"

namespace {

constexpr int32_t kFrameBudget = 256;

// The plug-in is described to the host once per process.
HostRegistrar& registrar() {
    static HostRegistrar* const made = [] {
        prepareFuzzHome();
        auto* host = new HostRegistrar();
        IACFUnknown* definition = nullptr;
        AAXRegisterPlugin(host->unknown(), &definition);
        if (definition) definition->Release();
        return host;
    }();
    return *made;
}

class AdapterProcessSubject {
public:
    AdapterProcessSubject() {
        check(registrar().effect() != nullptr, "the plug-in describes its effect");
        emptyFuzzSettings();
        instance = std::make_unique<HostInstance>(*registrar().effect(), 2, 44100.0f);
        adapter = dynamic_cast<BWAAXWrapperParameters*>(instance->effect());
        check(adapter && adapter->getCore(), "the adapter runs a core");
        seedNoise(*adapter->getCore());
        played = std::make_unique<PlayedInstance>(*adapter->getCore(), std::vector<BWChunkableClass*>{});
    }

    void reset() { played->reset(digestsWanted()); }

    void run(const uint8_t* data, size_t size, Digest& digest) {
        std::vector<AAX_CMidiPacket> packets;
        int32_t budget = kFrameBudget;
        for (size_t at = 0; at + 8 <= size && budget > 0; at += 8) {
            const uint8_t* record = data + at;
            AAX_CMidiPacket packet{};
            packet.mTimestamp = uint32_t(record[0] | record[1] << 8);
            std::memcpy(packet.mData, record + 2, 3);
            // A program change would start the loader thread in the middle of
            // a block, and what the block renders would hang on its timing;
            // render_midi waits for the loader between blocks.
            if ((packet.mData[0] & 0xF0) == 0xC0) packet.mData[0] ^= 0x50;
            packet.mLength = 3;
            packets.push_back(packet);
            int16_t length = 0;
            std::memcpy(&length, record + 5, 2);
            if (length == 0) continue;
            const bool stereo = record[7] & 1;
            const int32_t frames = std::min<int32_t>(length % 6000, budget);
            budget -= std::max(frames, 0);
            std::vector<float> left(size_t(std::max(frames, 1)), NAN), right(left.size(), NAN);
            float* outputs[2] = {left.data(), right.data()};
            instance->midiIn.pending = packets;
            packets.clear();
            BWAAXWrapperParameters* self = adapter;
            BWAAXWrapperParameters* none = nullptr;
            AlgorithmContext context{nullptr, nullptr, outputs, &frames, &instance->midiIn, &instance->midiOut,
                                     record[7] & 2 ? &none : &self};
            void* const range[1] = {&context};
            (stereo ? AlgorithmProcess_Stereo : AlgorithmProcess_Mono)(range, range + 1);
            for (const AAX_CMidiPacket& sent : instance->midiOut.posted) digest.add(sent);
            instance->midiOut.posted.clear();
            instance->midiOut.timeline.clear();
            for (int32_t i = 0; i < frames; ++i)
                check(std::isfinite(left[size_t(i)]) && (!stereo || std::isfinite(right[size_t(i)])),
                      "the outputs end finite");
            digest.add(left.data(), size_t(std::max(frames, 0)) * sizeof(float));
            if (stereo) digest.add(right.data(), size_t(std::max(frames, 0)) * sizeof(float));
        }
        if (digest.wanted()) {
            const std::vector<uint8_t> state = stateOf(*adapter->getCore());
            digest.add(state.data(), state.size());
        }
    }

private:
    std::unique_ptr<HostInstance> instance;
    BWAAXWrapperParameters* adapter = nullptr;
    std::unique_ptr<PlayedInstance> played;
};

}  // namespace

ZORVANE_REUSED_SUBJECT(AdapterProcessSubject)
