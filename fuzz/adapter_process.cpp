// The adapter's process procedures fed whatever a host might hand them:
// MIDI packets at any timestamp with any bytes, block lengths from negative
// to longer than the instance was prepared for, mono and stereo, a missing
// instance packet.  Each record of eight bytes is a packet (two bytes of
// timestamp, three data bytes), then a block length (two bytes, signed; 0
// keeps collecting packets) and a format byte (bit 0 stereo, bit 1 no
// instance).  The outputs must end finite and nothing is read or written
// outside the buffers.
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

namespace {

struct Fixture {
    Fixture() {
        setenv("ZORVANE_SETTINGS_DIR", "/tmp/zorvane-fuzz-settings", 0);
        setenv("ZORVANE_DOCUMENTS_DIR", "/tmp/zorvane-fuzz-documents", 0);
        IACFUnknown* definition = nullptr;
        AAXRegisterPlugin(registrar.unknown(), &definition);
        if (definition) definition->Release();
        instance = std::make_unique<HostInstance>(*registrar.effect(), 2, 44100.0f);
        adapter = dynamic_cast<BWAAXWrapperParameters*>(instance->effect());
    }
    HostRegistrar registrar;
    std::unique_ptr<HostInstance> instance;
    BWAAXWrapperParameters* adapter = nullptr;
};

Fixture& fixture() {
    static Fixture* made = new Fixture();
    return *made;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fixture& f = fixture();
    if (!f.adapter) std::abort();
    std::vector<AAX_CMidiPacket> packets;
    for (size_t at = 0; at + 8 <= size; at += 8) {
        const uint8_t* record = data + at;
        AAX_CMidiPacket packet{};
        packet.mTimestamp = uint32_t(record[0] | record[1] << 8);
        std::memcpy(packet.mData, record + 2, 3);
        packet.mLength = 3;
        packets.push_back(packet);
        int16_t length = 0;
        std::memcpy(&length, record + 5, 2);
        if (length == 0) continue;
        const bool stereo = record[7] & 1;
        const int32_t frames = length % 6000;
        std::vector<float> left(size_t(std::max(frames, 1)), NAN), right(left.size(), NAN);
        float* outputs[2] = {left.data(), right.data()};
        f.instance->midiIn.pending = packets;
        packets.clear();
        BWAAXWrapperParameters* self = f.adapter;
        BWAAXWrapperParameters* none = nullptr;
        AlgorithmContext context{nullptr, nullptr, outputs, &frames, &f.instance->midiIn, &f.instance->midiOut, record[7] & 2 ? &none : &self};
        void* const range[1] = {&context};
        (stereo ? AlgorithmProcess_Stereo : AlgorithmProcess_Mono)(range, range + 1);
        f.instance->midiOut.posted.clear();
        f.instance->midiOut.timeline.clear();
        for (int32_t i = 0; i < frames; ++i)
            if (!std::isfinite(left[size_t(i)]) || (stereo && !std::isfinite(right[size_t(i)]))) std::abort();
    }
    return 0;
}
