#pragma once
// The six effects of the fixed output chain, built in chain order (each
// enters the audio context's listener list as it is built, so the list is in
// chain order too) and destroyed in reverse.

#include "effects/BWChorusXStereo.h"
#include "effects/BWDelay16.h"
#include "effects/BWDoubleDelay.h"
#include "effects/BWPhaser.h"
#include "effects/BWReverserX2.h"
#include "effects/RevTamselEcoShot.h"

class BWSystemInfo;

struct EffectChain {
    explicit EffectChain(BWSystemInfo* context)
        : reverser(kReverserEffectId, context),
          chorus(kChorusEffectId, context),
          phaser(kPhaserEffectId, context),
          doubleDelay(kDoubleDelayEffectId, context),
          delay16(kDelay16EffectId, context),
          reverb(kReverbEffectId, context) {}

    BWReverserX2 reverser;
    BWChorusXStereo chorus;
    BWPhaser phaser;
    BWDoubleDelay doubleDelay;
    BWDelay16 delay16;
    RevTamselEcoShot reverb;
};
