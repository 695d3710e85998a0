#pragma once
// The musical set-ups the factory presets are saved from.  Each starts from
// the demo's set-up (a phrase that follows the chord held on the keys, on
// the factory piano, pad and bass over a soft kick) and makes another piece
// of it: other instruments, another phrase, another room.  Each carries a
// four-bar chord progression, the demo's own or one of its own, which the
// phrase follows when "Chord Select" takes the chords from the sequence
// instead of the keys (the player's switch, which a preset load leaves as
// it is); its first chord is chord page 0, which a manual choice of the
// chord starts on.

class BWUniClient;

namespace factory {

void pianoArpeggio(BWUniClient& client);  // the demo itself
void nylonArpeggio(BWUniClient& client);
void padChords(BWUniClient& client);
void bassLine(BWUniClient& client);
void blockKeys(BWUniClient& client);
void pluckOverPad(BWUniClient& client);
void reversedKeys(BWUniClient& client);
void pumpingPad(BWUniClient& client);
void slowSwing(BWUniClient& client);
void nightHall(BWUniClient& client);

}  // namespace factory
