#include "core/BWSystemInfo.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "platform/AlignedMemory.h"
#include "platform/SystemTime.h"

namespace {

std::atomic<uint32_t> nextInstanceId{BWSystemInfo::kFirstInstanceId};

AlignedFloats allocateZeroedFloats(size_t count) {
    AlignedFloats block(AlignedAllocFloats(count));
    if (!block) throw std::bad_alloc();
    std::fill(block.get(), block.get() + count, 0.0f);
    return block;
}

}  // namespace

BWSystemInfo::BWSystemInfo(int voices, StateResetList* trackedBufferList, PointerList* listeners,
                           BWUndoManager* undoManager)
    : randomState(static_cast<uint32_t>(platform::calendarSeconds())),
      voiceCountF(static_cast<float>(std::max(voices, 0))),
      blockPerRate2(1024.0f / 44100.0f),
      noteOrder(static_cast<size_t>(std::max(voices, 0)), 0),
      voiceNote(allocateZeroedFloats(noteOrder.size())),
      voiceVelocity(allocateZeroedFloats(noteOrder.size())),
      voiceFrequency(allocateZeroedFloats(noteOrder.size())),
      trackedBufferList(trackedBufferList),
      listeners(listeners),
      undoManager(undoManager),
      instanceId(nextInstanceId.fetch_add(1)),
      voices(std::max(voices, 0)) {
    fillNoteFrequencyTable();
    fillPitchRatioTable();
    deriveRateConstants();
}

BWSystemInfo::~BWSystemInfo() = default;

// Built two semitones at a time from the even entries, in single precision,
// so the values match the tables the instruments were tuned against.
void BWSystemInfo::fillNoteFrequencyTable() {
    auto& table = noteFrequencyTable;
    table[0].value = 1.021975f;
    const int last = kNoteTableSize - 1;
    for (int k = 0; k < last; k += 2) {
        const float value = table[k].value;
        table[k].slope = value * 0.059463143f;
        table[k + 1].value = value * 1.0594631f;
        if (k + 1 < last) {
            table[k + 1].slope = value * 0.06299901f;
            table[k + 2].value = value * 1.1224622f;
        }
    }
    table[last].slope = table[last].value * 0.059463143f;
}

void BWSystemInfo::fillPitchRatioTable() {
    auto& table = pitchRatioTable;
    for (int j = 0; j < kPitchTableSize; ++j) {
        const double semitones = static_cast<double>(j - kPitchTableCentre) / 12.0;
        table[j].value = static_cast<float>(std::pow(2.0, semitones));
    }
    for (int j = 0; j + 1 < kPitchTableSize; ++j) table[j].slope = table[j + 1].value - table[j].value;
    table[kPitchTableSize - 1].slope = 0.0f;  // readers stop at the last entry
}

bool BWSystemInfo::takeSampleRate(float rate) {
    if (!playsRate(rate)) return false;  // NaN included
    sampleRate = rate;
    sampleRateInt = static_cast<int32_t>(rate);
    deriveRateConstants();
    return true;
}

void BWSystemInfo::deriveRateConstants() {
    const float rate = sampleRate;
    const float inverse = 1.0f / rate;
    blockPerRate = 1024.0f / rate;
    invRate = inverse;
    twoInvRate = inverse * 2.0f;
    twoPiInvRate = inverse * 6.2831855f;
    piInvRate = inverse * 3.1415927f;
    tickPerRate = tickLength * inverse;
    sampleRateFactor = rate * 2.2675737e-5f;
    samplesPerMs = 0.001f * rate;
    samplesPerMsPerTick = samplesPerMs * (1.0f / tickLength);
    deriveBeatConstants(tempo);
    blockPerRate2 = 1024.0f / rate;
    rateOverTwoPi = static_cast<float>(rate * 0.15915494309644432);
}

void BWSystemInfo::setTickLength(int32_t samples) {
    samples = std::max(samples, 1);
    tickLength = static_cast<float>(samples);
    tickLengthInt = samples;
    tickSamples = samples;
    tickReciprocal = 1.0f / tickLength;
    deriveRateConstants();
}

bool BWSystemInfo::setTempo(double bpm) {
    if (std::isnan(bpm) || bpm >= kTempoLimit) return false;
    const double taken = std::max(bpm, kSlowestTempo);
    deriveBeatConstants(taken);
    tempo = taken;
    return true;
}

void BWSystemInfo::deriveBeatConstants(double bpm) {
    const double perBeat = sampleRate / (bpm * (1.0 / 60.0));
    const auto perBeatF = static_cast<float>(perBeat);
    samplesPerBeat = perBeat;
    samplesPerBeatF = perBeatF;
    ticksPerBeat = perBeat / tickLength;
    ticksPerBeatF = (1.0f / tickLength) * perBeatF;
}

double BWSystemInfo::maxSamplesPerBeat() const { return sampleRate / (kSlowestTempo / 60.0); }

float BWSystemInfo::nextRandomValue() {
    randomState *= 16807u;  // wraps at 32 bits
    return static_cast<float>(static_cast<int32_t>(randomState)) * 4.656613e-10f;
}

void BWSystemInfo::sortHeldNotes() {
    sortedNotes.fill(0.0f);
    sortedVelocities.fill(0.0f);
    int held = 0;
    for (int voice = 0; voice < voices && held < kChordSize; ++voice) {
        if (voiceVelocity[voice] == 0.0f) continue;
        sortedNotes[held] = voiceNote[voice];
        sortedVelocities[held] = voiceVelocity[voice];
        ++held;
    }
    // Selection sort that takes the first of equal notes among the remaining
    // entries; the swaps may reorder equal notes, which the chords accept.
    for (int position = 0; position < held; ++position) {
        float lowest = 1e9f;
        int lowestIndex = position;
        for (int candidate = position; candidate < held; ++candidate) {
            if (sortedNotes[candidate] < lowest) {
                lowest = sortedNotes[candidate];
                lowestIndex = candidate;
            }
        }
        std::swap(sortedNotes[position], sortedNotes[lowestIndex]);
        std::swap(sortedVelocities[position], sortedVelocities[lowestIndex]);
    }
    for (int i = 0; i < kChordSize; ++i) {
        shiftedNotes[i] = sortedNotes[i] - 24.0f;
        shiftedNotesClamped[i] = std::max(shiftedNotes[i], 0.0f);
    }
}

void BWSystemInfo::addInitInterface(BWInitInterface* entry) { initInterfaceList.push_back(entry); }

void BWSystemInfo::removeInitInterface(BWInitInterface* entry) {
    auto found = std::find(initInterfaceList.begin(), initInterfaceList.end(), entry);
    if (found != initInterfaceList.end()) initInterfaceList.erase(found);
}
