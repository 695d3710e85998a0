#include "factory/FactorySetUps.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "host/demo/ChordProgression.h"
#include "host/demo/DemoState.h"
#include "plugin/BWUniClient.h"
#include "plugin/ParameterTags.h"

// The set-ups' progressions name the chords alone.
using namespace progression;

namespace {

using Settings = std::initializer_list<std::pair<int32_t, float>>;

void set(BWUniClient& client, Settings settings) {
    for (auto [tag, value] : settings) client.setParameter(tag, value);
}

// The parameters of one sound layer, by what they do.
struct LayerTags {
    int32_t on, plays, octave, attack, decay, sustain, release, level, pan, tie;
};
constexpr std::array<LayerTags, 3> kLayers = {{
    {Tag::Osc1Sound, Tag::Osc1TrigMode, Tag::Osc1Octave, Tag::Osc1Attack, Tag::Osc1Decay, Tag::Osc1Sustain,
     Tag::Osc1Release, Tag::Osc1Level, Tag::Osc1Pan, Tag::TieOsc1},
    {Tag::Osc2Sound, Tag::Osc2TrigMode, Tag::Osc2Octave, Tag::Osc2Attack, Tag::Osc2Decay, Tag::Osc2Sustain,
     Tag::Osc2Release, Tag::Osc2Level, Tag::Osc2Pan, Tag::TieOsc2},
    {Tag::Osc3Sound, Tag::Osc3TrigMode, Tag::Osc3Octave, Tag::Osc3Attack, Tag::Osc3Decay, Tag::Osc3Sustain,
     Tag::Osc3Release, Tag::Osc3Level, Tag::Osc3Pan, Tag::TieOsc3},
}};

// "plays": the struck chords and the arpeggio, or the struck chords only.
constexpr float kPlaysEverything = 0.0f;
constexpr float kPlaysChordsOnly = 1.0f;
// "octave": the pitch played, an octave above it.
constexpr float kAtPitch = 0.3f;
constexpr float kOctaveUp = 0.5f;

struct Envelope {
    float attack, decay, sustain, release;
};

void layer(BWUniClient& client, int index, const char* instrument, float plays, float octave, Envelope shape,
           float level, float pan) {
    const LayerTags& t = kLayers[size_t(index)];
    client.soundLayer(index).setName(instrument);
    set(client, {{t.on, 1.0f}, {t.plays, plays}, {t.octave, octave}, {t.attack, shape.attack}, {t.decay, shape.decay},
                 {t.sustain, shape.sustain}, {t.release, shape.release}, {t.level, level}, {t.pan, pan}});
}

void silence(BWUniClient& client, int index) { client.setParameter(kLayers[size_t(index)].on, 0.0f); }

// One step of a bar's phrase, as the step lanes hold it.
struct Step {
    float strikes;  // "Acclr8": 0.5 one strike, 1 two sixteenths
    float arp;      // "aRP": 0 the chord as a block, 1 the arpeggio's next note
    float tie;      // "tie": 1 holds the tied layers on from the last strike
    float gate;     // the step's level
};
using Bar = std::array<Step, 8>;
constexpr int32_t kBars = 4;

// A tied layer strikes again only when its level moves: with one strike on
// every step the downbeats would all come out alike, and a pad or bass held
// through the bar would keep the first chord while the chord sequence moves
// on.  Every other bar's downbeat is a little lighter, so each downbeat
// strikes them anew.
constexpr float kLighterDownbeat = 0.9f;

void phrase(BWUniClient& client, const Bar& bar) {
    const int32_t steps = int32_t(bar.size());
    for (int32_t step = 0; step < kBars * steps; ++step) {
        const Step& s = bar[size_t(step % steps)];
        const bool lighter = step % steps == 0 && (step / steps) % 2 == 1;
        const uint64_t at = uint64_t(step);
        client.patterns().stepLine(0).setStepOnLine(0, at, s.strikes);
        client.patterns().stepLine(1).setStepOnLine(0, at, s.arp);
        client.patterns().stepLine(3).setStepOnLine(0, at, s.tie);
        client.patterns().gateTable.setValueOnPage(at, 0, lighter ? s.gate * kLighterDownbeat : s.gate);
    }
}

// Struck on the downbeat, then the arpeggio in eighths: a picked pattern.
constexpr Bar kEighthArpeggio = {{{0.5f, 0.0f, 0.0f, 1.0f},
                                  {0.5f, 1.0f, 1.0f, 0.7f},
                                  {0.5f, 1.0f, 1.0f, 0.8f},
                                  {0.5f, 1.0f, 1.0f, 0.7f},
                                  {0.5f, 1.0f, 1.0f, 0.9f},
                                  {0.5f, 1.0f, 1.0f, 0.7f},
                                  {0.5f, 1.0f, 1.0f, 0.8f},
                                  {0.5f, 1.0f, 1.0f, 0.7f}}};
// The chord struck as a block on every eighth, accented on the beats and
// on the "and" of two: a comping figure.
constexpr Bar kBlockPulse = {{{0.5f, 0.0f, 0.0f, 1.0f},
                              {0.5f, 0.0f, 0.0f, 0.5f},
                              {0.5f, 0.0f, 0.0f, 0.8f},
                              {0.5f, 0.0f, 0.0f, 0.9f},
                              {0.5f, 0.0f, 0.0f, 0.9f},
                              {0.5f, 0.0f, 0.0f, 0.5f},
                              {0.5f, 0.0f, 0.0f, 0.8f},
                              {0.5f, 0.0f, 0.0f, 0.5f}}};

// Effect switches and levels, as the demo names them.
void dryRoom(BWUniClient& client) { set(client, {{Tag::ChsOnOff, 0.0f}, {Tag::DlyOnOff, 0.0f}, {Tag::RvbMix, 0.25f}}); }

}  // namespace

namespace factory {

void pianoArpeggio(BWUniClient& client) { setUpDemo(client); }  // the demo, its own four chords and all

// The arpeggio picked on nylon strings in eighths, at the pitch played,
// answered by a wide echo; the pad and bass stay underneath.
void nylonArpeggio(BWUniClient& client) {
    setUpDemo(client);
    progression::write(client, {kAm, kF, kC, kG});
    phrase(client, kEighthArpeggio);
    layer(client, 0, "Nylon Pluck", kPlaysEverything, kOctaveUp, {0.0f, 0.5f, 0.3f, 0.6f}, 0.75f, 0.42f);
    set(client, {{Tag::Osc2Level, 0.22f}, {Tag::ChsOnOff, 0.0f}, {Tag::DlyOnOff, 1.0f}, {Tag::DlyMix, 0.55f},
                 {Tag::DlyTime, 0.6667f}, {Tag::DlyFeed, 0.5f}, {Tag::RvbMix, 0.4f}, {Tag::RvbSize, 0.35f}});
}

// Only the pad, struck on every eighth with a slow swell, so that the
// chords breathe in and out over the bass in a large hall; no kick.
void padChords(BWUniClient& client) {
    setUpDemo(client);
    progression::write(client, {kC, kEm, kF, kFm});
    phrase(client, kBlockPulse);
    silence(client, 0);
    layer(client, 1, "Warm Pad", kPlaysEverything, kOctaveUp, {0.7f, 0.6f, 0.8f, 0.75f}, 0.85f, 0.5f);
    set(client, {{Tag::TieOsc2, 0.0f}, {Tag::KickLevel, 0.0f}, {Tag::DlyOnOff, 0.0f}, {Tag::RvbMix, 0.7f},
                 {Tag::RvbSize, 0.9f}, {Tag::ChsMix, 0.6f}});
}

// The arpeggio on the bass instrument at the pitch played, driven by a
// firm kick and strong compression, nearly dry: a bass line.
void bassLine(BWUniClient& client) {
    setUpDemo(client);
    progression::write(client, {kC, kBb, kF, kG});
    phrase(client, kEighthArpeggio);
    layer(client, 0, "Round Bass", kPlaysEverything, kAtPitch, {0.0f, 0.45f, 0.5f, 0.3f}, 0.55f, 0.5f);
    silence(client, 1);
    set(client, {{Tag::Osc1KeyA, 0.0f}, {Tag::Osc3Level, 0.45f}, {Tag::KickLevel, 0.3f}, {Tag::KickTone, 0.3f},
                 {Tag::CompressorDepth, 0.6f}, {Tag::MasterLevel, 0.5f}});
    // The demo's touch of "Polycrush" suits the piano an octave up; on a
    // bass line it would hold each sample for a fifth of a millisecond and
    // grate, so the bass is left smooth as the demo's own bass is.
    set(client, {{Tag::Osc1Polycrush, 0.0f}});
    dryRoom(client);
}

// The piano comps the chord as a block on every eighth over the bass, a
// slow chorus around it; no pad, no arpeggio.
void blockKeys(BWUniClient& client) {
    setUpDemo(client);
    progression::write(client, {kDm, kG, kC, kAm});
    phrase(client, kBlockPulse);
    layer(client, 0, "Soft Keys", kPlaysChordsOnly, kAtPitch, {0.0f, 0.4f, 0.5f, 0.3f}, 0.7f, 0.5f);
    silence(client, 1);
    // At the pitch played the piano is left smooth (see the bass line).
    set(client, {{Tag::DlyOnOff, 0.0f}, {Tag::ChsMix, 0.7f}, {Tag::Osc1Polycrush, 0.0f}});
}

// Nylon strings an octave up in sixteenths over the pad, through a
// phaser that sweeps slowly: a shimmering bed.
void pluckOverPad(BWUniClient& client) {
    setUpDemo(client);
    progression::write(client, {kF, kG, kEm, kAm});
    layer(client, 0, "Nylon Pluck", kPlaysEverything, kOctaveUp, {0.0f, 0.35f, 0.2f, 0.5f}, 0.65f, 0.5f);
    silence(client, 2);
    set(client, {{Tag::Osc2Level, 0.55f}, {Tag::PhsOnOff, 1.0f}, {Tag::PhsMix, 0.6f}, {Tag::PhsRate, 0.2f},
                 {Tag::PhsDepth, 0.8f}, {Tag::ChsOnOff, 0.0f}});
}

// The piano at the pitch played through the reverser, with no pad: every
// strike swells backwards into the next, a dreamlike blur.
void reversedKeys(BWUniClient& client) {
    setUpDemo(client);
    progression::write(client, {kAm, kEm, kF, kC});
    silence(client, 1);
    set(client, {{Tag::Osc1Octave, kAtPitch}, {Tag::RvsOnOff, 1.0f}, {Tag::RvsMix, 0.85f}, {Tag::RvsSize, 0.8f},
                 {Tag::RvsDecay, 0.6f}, {Tag::DlyOnOff, 0.0f}});
}

// Pad and bass held under a loud kick on every beat that ducks them
// through the compressor: the pumping of dance music.
void pumpingPad(BWUniClient& client) {
    setUpDemo(client);
    progression::write(client, {kC, kG, kAm, kF});
    silence(client, 0);
    layer(client, 1, "Warm Pad", kPlaysChordsOnly, kOctaveUp, {0.1f, 0.6f, 0.9f, 0.5f}, 0.7f, 0.5f);
    set(client, {{Tag::KickLevel, 0.4f}, {Tag::KickTone, 0.5f}, {Tag::CompressorDepth, 0.9f},
                 {Tag::CompressorSpeed, 0.3f}, {Tag::DlyOnOff, 0.0f}, {Tag::MasterLevel, 0.5f}});
}

// The demo's phrase in eighths on the piano with a lazy swing and no pad.
void slowSwing(BWUniClient& client) {
    setUpDemo(client);
    progression::write(client, {kC, kAm, kDm, kG});
    phrase(client, kEighthArpeggio);
    silence(client, 1);
    set(client, {{Tag::Swingfactor, 0.6f}, {Tag::Osc1Octave, kAtPitch}, {Tag::Osc1Release, 0.4f},
                 {Tag::ChsOnOff, 0.0f}});
}

// Piano and pad an octave apart, softly struck, in a long dark hall with a
// distant echo: music for late hours.
void nightHall(BWUniClient& client) {
    setUpDemo(client);
    progression::write(client, {kAm, kDm, kEm, kAm});
    phrase(client, kEighthArpeggio);
    set(client, {{Tag::Osc1Level, 0.5f}, {Tag::Osc1Decay, 0.6f}, {Tag::Osc2Level, 0.45f}, {Tag::RvbMix, 0.8f},
                 {Tag::RvbSize, 1.0f}, {Tag::RvbDamp, 0.8f}, {Tag::DlyMix, 0.3f}, {Tag::KickLevel, 0.0f}});
}

}  // namespace factory
