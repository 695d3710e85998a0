#pragma once
// The custom data block by which the plug-in tells its host whether it can
// render now.  While a program change or a state is being loaded the render
// outputs silence and stands still; a real-time host plays on through that,
// but an offline render (a bounce) asks before each block and waits until
// the answer is yes, so that no audio is lost to the load and the result
// does not depend on how fast the load ran.
//
// GetCustomData(kRenderReadinessBlock, 4, &word, &written) answers a 32-bit
// word: 1 when a block rendered now plays, 0 while it would be silent.  Any
// host thread.

#include <cstdint>

#include "aax/AAX_SPlugInChunk.h"

inline constexpr uint32_t kRenderReadinessBlock = fourCharID("BWrd");
