#include "engine/BWRomplerReader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/BWSystemInfo.h"
#include "engine/BWSampleData.h"
#include "engine/BWSampleZone.h"
#include "engine/Float4.h"
#include "engine/VoiceKernels.h"

namespace {

constexpr float kSampleScale = 3.0517578e-5f;  // 1 / 32768

}  // namespace

template <int N>
BWRomplerReader<N>::~BWRomplerReader() {
    attachSample(nullptr);
}

template <int N>
void BWRomplerReader<N>::attachSample(BWSampleData* newSample) {
    if (newSample == sample) return;
    letGo();  // before the mark goes, so that a held sample always counts as bound
    if (sample) sample->detachVoice();
    sample = newSample;
    if (sample) sample->attachVoice();
}

// The note's playback ratio from the pitch table (clamped to the table, as
// low root keys and drift reach past it), times the data's rate over the
// host's.  A rate that is not a positive number gives a voice that stands.
template <int N>
float BWRomplerReader<N>::incrementFor(const BWSampleZone* forZone, const BWSampleData* data, float note,
                                       float fineOffset) const {
    if (!forZone || !data || !system) return 0.0f;
    const float tablePosition = note + 128.0f + fineOffset - static_cast<float>(forZone->getRootKey()) + forZone->getTune();
    const float result = system->pitchRatio(tablePosition) * dataRate / system->sampleRate;
    return result > 0.0f && result < 1e9f ? result : 0.0f;
}

// Loop points, loop flag and rate as the sample now has them; a sample in the
// middle of being replaced is not read, and the voice plays through the
// frames it finds once the new data is there.
template <int N>
void BWRomplerReader<N>::readSampleFacts() {
    if (!sample->beginRead()) {
        loopStart = 0.0f;
        loopEnd = std::numeric_limits<float>::max();
        playThrough = 1;
        return;
    }
    const float frameCount = sample->getFramesFloat();
    loopStart = static_cast<float>(sample->getLoopStart());
    loopEnd = static_cast<float>(sample->getLoopEnd());
    if (loopStart >= loopEnd) {
        loopStart = 0.0f;
        loopEnd = frameCount;
    }
    if (loopEnd >= frameCount) loopEnd = frameCount;
    playThrough = sample->isLoopOn() ? 0 : 1;
    dataRate = sample->getSampleRate();
    sample->endRead();
}

template <int N>
void BWRomplerReader<N>::bind(BWSampleZone* newZone, float note, float fineOffset) {
    forgetClear();
    zone = newZone;
    attachSample(&newZone->getSample());
    readSampleFacts();
    active = 1;
    finished = 0;
    read.position = 0.0f;
    read.step = incrementFor(zone, sample, note, fineOffset);
}

template <int N>
void BWRomplerReader<N>::startVoice(BWSampleZone* newZone, float note, float fineOffset) {
    if (!newZone) return;
    if (zone) {
        pendingZone = newZone;
        pendingNote = note;
        renderCrossfade();
        return;
    }
    bind(newZone, note, fineOffset);
    render(N, 0);
}

template <int N>
void BWRomplerReader<N>::renderCrossfade() {
    render(N, 0);
    takePendingZone();
}

template <int N>
void BWRomplerReader<N>::beginStart(BWSampleZone* newZone, float note) {
    if (!newZone) return;
    if (zone) {
        forgetClear();  // the pending zone is taken in a checked tick
        pendingZone = newZone;
        pendingNote = note;
        return;
    }
    bind(newZone, note, 0.0f);
}

template <int N>
bool BWRomplerReader<N>::takeHold() {
    if (holding) return true;
    BWSampleData* read = readingSample();
    holding = read && read->beginRead();
    return holding;
}

template <int N>
void BWRomplerReader<N>::letGo() {
    forgetClear();
    if (!holding) return;
    holding = false;
    sample->endRead();
}

template <int N>
void BWRomplerReader<N>::renderTick(bool readable, const voicelanes::VoiceKernels& kernels) {
    renderRead(N, 0, readable, kernels);
    takePendingZone();
    checkClear();
}

// Whether the next ticks may read without the bounds and loop checks: the
// sample held (a zone taken after a fade is not held yet), mono as read,
// with frames and loop points the checks would leave as they stand.
template <int N>
void BWRomplerReader<N>::checkClear() {
    forgetClear();
    if (!holding || !active || finished || pendingZone || !sample) return;
    const int16_t* data = sample->getLeft();
    const int16_t* rightData = sample->getRight();
    const float frameCount = sample->getFramesFloat();
    const bool mono = !rightWanted || !rightData || rightData == data;
    const bool loopFits = playThrough || loopEnd - loopStart > 0.5f;
    if (!mono || !data || !(frameCount >= 1.0f) || loopEnd > frameCount || !(loopStart < loopEnd) || !loopFits ||
        dataRate != sample->getSampleRate())
        return;
    read.data = data;
    read.clearUntil = loopEnd;
}

template <int N>
void BWRomplerReader<N>::takePendingZone() {
    if (!pendingZone) return;
    bind(pendingZone, pendingNote, 0.0f);
    constexpr float fadeStep = 1.0f / static_cast<float>(N);
    for (int k = 0; k < N; ++k) {
        const float gain = 1.0f - static_cast<float>(k) * fadeStep;
        left[k] *= gain;
        right[k] *= gain;
    }
    pendingZone = nullptr;
}

template <int N>
void BWRomplerReader<N>::reset() {
    forgetClear();
    if (active) {
        std::fill(std::begin(left), std::end(left), 0.0f);
        std::fill(std::begin(right), std::end(right), 0.0f);
        active = 0;
        finished = 0;
    }
    zone = nullptr;
    pendingZone = nullptr;
    attachSample(nullptr);
}

template <int N>
void BWRomplerReader<N>::silence(int32_t offset) {
    std::fill(left + offset, left + N, 0.0f);
    std::fill(right + offset, right + N, 0.0f);
}

template <int N>
void BWRomplerReader<N>::endVoice(int32_t offset, int32_t n) {
    read.position = 0.0f;
    std::fill(left + offset, left + offset + n, 0.0f);
    std::fill(right + offset, right + offset + n, 0.0f);
    finished = 1;
}

// The loop points against the frames the sample has now.  False when there
// is nothing to play: no frames, or a loop of half a frame or less, which
// would otherwise wrap forever without output.
template <int N>
bool BWRomplerReader<N>::checkBounds(float frameCount) {
    if (!(frameCount >= 1.0f)) return false;
    if (loopEnd > frameCount) loopEnd = frameCount;
    if (loopStart >= loopEnd) loopStart = 0.0f;
    return playThrough || loopEnd - loopStart > 0.5f;
}

// A position at or past the loop's end (or within half a frame of it) taken
// back into the loop by whole loop lengths, so that the frames read after
// the wrap continue the waveform where it stood: a loop played at any speed
// keeps its pitch.  Never before frame 0.
template <int N>
float BWRomplerReader<N>::wrappedPosition(float position) const {
    const float length = loopEnd - loopStart;
    const float beyond = std::fmod(position - loopEnd, length);
    return std::max(loopStart + beyond, 0.0f);
}

template <int N>
void BWRomplerReader<N>::render(uint32_t frames, int32_t offset) {
    BWSampleData* read = readingSample();
    const bool readable = read && offset >= 0 && offset < N && read->beginRead();
    renderRead(frames, offset, readable, voiceKernels());
    if (readable) read->endRead();
}

template <int N>
void BWRomplerReader<N>::renderRead(uint32_t frames, int32_t offset, bool readable,
                                    const voicelanes::VoiceKernels& kernels) {
    forgetClear();  // a checked tick may move anything a clear one relies on
    if (finished) {
        std::fill(std::begin(left), std::end(left), 0.0f);
        std::fill(std::begin(right), std::end(right), 0.0f);
        active = 0;
        finished = 0;
        attachSample(nullptr);
        return;
    }
    if (!active || !sample || offset < 0 || offset >= N) return;
    int32_t n = static_cast<int32_t>(std::min<uint32_t>(frames, static_cast<uint32_t>(N - offset)));
    if (!readable) {
        silence(offset);  // not the previous tick's frames again
        return;
    }
    const int16_t* data = sample->getLeft();
    const int16_t* rightData = sample->getRight();
    const bool stereo = rightWanted && rightData && rightData != data;
    const float frameCount = sample->getFramesFloat();
    dataRate = sample->getSampleRate();
    if (!data || !checkBounds(frameCount)) {
        endVoice(offset, n);
        return;
    }
    while (n > 0) {
        int32_t chunk = n;
        if (read.position + static_cast<float>(n) * read.step >= loopEnd) {
            const float limit = playThrough ? frameCount : loopEnd;
            if (!playThrough || read.position + static_cast<float>(n) * read.step >= frameCount) {
                if (read.position + 0.5f >= limit) {
                    if (playThrough) {
                        endVoice(offset, n);
                        break;
                    }
                    read.position = wrappedPosition(read.position);
                    continue;
                }
                chunk = std::clamp(static_cast<int32_t>((limit - read.position) / read.step), 1, n);
            }
        }
        if (stereo) {
            renderFrames<true>(data, rightData, offset, chunk);
        } else {
            kernels.readFrames(data, read.position, read.step, left + offset, chunk);
            read.position = read.position + static_cast<float>(chunk) * read.step;
        }
        n -= chunk;
        offset += chunk;
    }
}

// Linear interpolation between the two frames around each read position;
// index + 1 may be the first guard value after the last frame.  A stereo
// sample's right channel is read at the same positions in the same pass.
// Positions, fractions and the arithmetic run four frames to a vector; the
// two frames around each position come in one 32-bit read.
namespace {

using UInt4 = uint32_t __attribute__((vector_size(16)));
static_assert(std::endian::native == std::endian::little, "the frame pairs are split as little-endian words");

// The frame at index and the one after it in one 32-bit read.
inline uint32_t framePair(const int16_t* data, int32_t index) {
    uint32_t pair;
    std::memcpy(&pair, data + index, sizeof pair);
    return pair;
}

inline Float4 interpolate(const int16_t* data, const Int4& index, const Float4& frac) {
    const UInt4 pairs = {framePair(data, index[0]), framePair(data, index[1]), framePair(data, index[2]),
                         framePair(data, index[3])};
    const Int4 a = reinterpret_cast<Int4>(pairs << 16) >> 16;  // the low halves, sign-extended
    const Int4 b = reinterpret_cast<Int4>(pairs) >> 16;
    const Float4 fa = __builtin_convertvector(a, Float4);
    const Float4 fb = __builtin_convertvector(b, Float4);
    return ((fb - fa) * frac + fa) * kSampleScale;
}

inline float interpolate(const int16_t* data, int32_t index, float frac) {
    const float a = static_cast<float>(data[index]);
    const float b = static_cast<float>(data[index + 1]);
    return ((b - a) * frac + a) * kSampleScale;
}

}  // namespace

template <int N>
template <bool Stereo>
void BWRomplerReader<N>::renderFrames(const int16_t* data, const int16_t* rightData, int32_t offset, int32_t n) {
    const float start = read.position;
    const float step = read.step;
    float* outLeft = left + offset;
    float* outRight = right + offset;
    int32_t k = 0;
    for (; k + 4 <= n; k += 4) {
        const Float4 frame = {static_cast<float>(k), static_cast<float>(k + 1), static_cast<float>(k + 2),
                              static_cast<float>(k + 3)};
        const Float4 framePos = frame * step + start;
        const Int4 index = __builtin_convertvector(framePos, Int4);
        const Float4 frac = framePos - __builtin_convertvector(index, Float4);
        const Float4 l = interpolate(data, index, frac);
        store4(outLeft + k, l);
        if constexpr (Stereo) {
            const Float4 r = interpolate(rightData, index, frac);
            store4(outRight + k, r);
        }
    }
    for (; k < n; ++k) {
        const float framePos = static_cast<float>(k) * step + start;
        const int32_t index = static_cast<int32_t>(framePos);
        const float frac = framePos - static_cast<float>(index);
        outLeft[k] = interpolate(data, index, frac);
        if constexpr (Stereo) outRight[k] = interpolate(rightData, index, frac);
    }
    read.position = start + static_cast<float>(n) * step;
}

template class BWRomplerReader<16>;
