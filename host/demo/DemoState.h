#pragma once
// The demo set-up: what zorvane-demo-state saves, so that chords held on the
// keys come out of the plug-in as a phrase a musician would keep, and so
// that with the chords taken from the sequence it plays its own four (C,
// A minor, F, G, a bar each).

class BWUniClient;

// Sets the instance up as the demo plays it (parameters, patterns, the
// chord progression and the layers' instrument names; the instruments
// themselves are found by name when the host restores the state).
void setUpDemo(BWUniClient& client);
