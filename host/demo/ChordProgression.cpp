#include "host/demo/ChordProgression.h"

#include "plugin/BWUniClient.h"
#include "plugin/ParameterTags.h"
#include "plugin/PatternModels.h"

namespace progression {

namespace {

constexpr int32_t kLowestCellKey = 24;  // the chord cells' first key, C1
constexpr float kCellOn = 1.0f;
constexpr int32_t kChordSteps = 32;       // the chord sequence's steps on pattern 0
constexpr int32_t kChordStepsPerBar = 4;  // one a beat: "ChordSeqDivide" halves the eighth-note steps
constexpr float kChordStepABeat = 0.5f;   // that "ChordSeqDivide"

}  // namespace

void write(BWUniClient& client, const Bars& chords) {
    PatternModels& models = client.patterns();
    const uint64_t cells = models.eventTable.getCount();
    for (uint64_t page = 0; page < chords.size(); ++page) {
        for (uint64_t cell = 0; cell < cells; ++cell) models.eventTable.setValueOnPage(cell, page, 0.0f);
        const Chord& chord = chords[size_t(page)];
        models.eventTable.setValueOnPage(uint64_t(chord.bass - kLowestCellKey), page, kCellOn);
        for (int32_t key : chord.upper) models.eventTable.setValueOnPage(uint64_t(key - kLowestCellKey), page, kCellOn);
    }
    for (int32_t step = 0; step < kChordSteps; ++step) {
        const int32_t bar = step / kChordStepsPerBar % int32_t(chords.size());
        models.chordTable.setValueOnPage(uint64_t(step), 0, float(bar));
    }
    client.setParameter(Tag::ChordSeqDivide, kChordStepABeat);
}

}  // namespace progression
