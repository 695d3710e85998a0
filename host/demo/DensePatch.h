#pragma once
// The dense patch: the heaviest ordinary load on the render routine, for
// the benchmarks and for tests that compare whole renders.

class BWUniClient;

// Own clock, chord steps (every voice of the chord gated) that retrigger
// twice a step, every effect on at half mix, the filter per voice with all
// layers routed through it, an eight-note chord held; the factory keys, pad
// and bass on the three layers when `voices` (they must be in the instrument
// library), else no instrument.
void densePatch(BWUniClient& client, bool voices);

// True when every layer holds the dense patch's instrument: a library that
// lacks them leaves the layers empty without a word, and the patch then
// renders only its kick and effects.
bool denseInstrumentsLoaded(BWUniClient& client);
