#pragma once
// One subject (a plug-in instance and what the harness built around it) for a
// whole fuzzing run, brought back before every input to the state it had when
// it was new.  Making an instance takes tens of milliseconds and writes the
// settings; bringing one back takes a fraction of that and never touches the
// settings, so the readers of states and presets run at a thousand inputs a
// second or more, and a finding replays on its own.
//
// A Subject has
//   Subject();                    makes and sets up the subject
//   void reset();                 brings it back to that state
//   void run(const uint8_t*, size_t, Digest&);
//                                 one input; folds what it observed (outputs,
//                                 answers, the state it left) into the digest
//
// The reset must hide nothing: an input must meet what a fresh subject
// offers.  The replay of a corpus (the fuzz_replay tests of make test) runs
// every input, and mutations of it, once on the reused subject and once on a
// subject made for it alone, and fails when the two digests differ.  Every
// input also starts from the same process-wide state (the pattern and
// runtime random generators, the empty clipboards), so that neither run
// depends on the inputs before it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "core/BWTable.h"
#include "core/PatternClipboards.h"
#include "core/ZoneClipboard.h"
#include "platform/Framework.h"
#include "platform/MsvcRand.h"

// What a run observed, folded into one 64-bit FNV-1a value.  Observations
// that cost time (a whole state chunk) are made only when a replay compares
// digests: see wanted().
// It keeps the value after each observation, so that a disagreement can say
// where the two runs parted.
class Digest {
public:
    explicit Digest(bool wanted) : isWanted(wanted) {}
    bool wanted() const { return isWanted; }
    void add(const void* bytes, size_t size) {
        if (!isWanted) return;
        const auto* at = static_cast<const uint8_t*>(bytes);
        for (size_t i = 0; i < size; ++i) value = (value ^ at[i]) * 1099511628211ull;
        steps.push_back(value);
    }
    template <class T>
    void add(const T& plain) {
        add(&plain, sizeof plain);
    }
    const std::vector<uint64_t>& values() const { return steps; }

private:
    bool isWanted;
    uint64_t value = 14695981039346656037ull;
    std::vector<uint64_t> steps;
};

// The process-wide state every input starts from.
inline void beginInput() {
    patternRandomSeed() = 645637;  // its value at load
    platform::msvcSrand(1);        // the runtime's start
    xyClipboard().clear();
    xySharedClipboard().clear();
    btnLineClipboard().clear();
    btnLineSharedClipboard().clear();
    zoneClipboard().clear();
    setZoneCopySource(nullptr);
    setZoneContainerCopySource(nullptr);
    // The table clipboard empties only when its table goes.
    BWTable(nullptr, 1).copyTable();
}

// The digest of the last input run on the reused subject.
inline std::vector<uint64_t>& lastReusedDigest() {
    static std::vector<uint64_t> digest;
    return digest;
}

// Set by the replay while it compares digests.
inline bool& digestsWanted() {
    static bool wanted = false;
    return wanted;
}

template <class Subject>
int runOnReusedSubject(const uint8_t* data, size_t size) {
    // Made on the first input and never destroyed: a fuzzer ends by exiting.
    static Subject* const subject = new Subject();
    subject->reset();
    beginInput();
    Digest digest(digestsWanted());
    subject->run(data, size, digest);
    lastReusedDigest() = digest.values();
    return 0;
}

template <class Subject>
bool freshSubjectAgrees(const uint8_t* data, size_t size) {
    const auto subject = std::make_unique<Subject>();
    beginInput();
    Digest digest(true);
    subject->run(data, size, digest);
    const std::vector<uint64_t>& reused = lastReusedDigest();
    const std::vector<uint64_t>& fresh = digest.values();
    if (fresh == reused) return true;
    size_t step = 0;
    while (step < fresh.size() && step < reused.size() && fresh[step] == reused[step]) ++step;
    std::fprintf(stderr, "observation %zu of %zu differs\n", step + 1, fresh.size());
    return false;
}

// Defines the fuzzer's entry and, for the replay, the switch that makes runs
// fold everything into their digests and the comparison with a fresh subject.
#define ZORVANE_REUSED_SUBJECT(Subject)                                        \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { \
        return runOnReusedSubject<Subject>(data, size);                        \
    }                                                                          \
    extern "C" void ZorvaneWantDigests() { digestsWanted() = true; }           \
    extern "C" int ZorvaneFreshSubjectAgrees(const uint8_t* data, size_t size) { \
        return freshSubjectAgrees<Subject>(data, size) ? 1 : 0;                \
    }
