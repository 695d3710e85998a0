#pragma once
// Which wider instruction sets the audio kernels may use: what the processor
// has, unless a test has narrowed the choice to the x86-64 baseline so that the
// baseline paths run (and are checked) on any machine.  Any thread; a relaxed
// load each, cheap enough for once per block.

namespace platform {

bool cpuHasAvx2();
bool cpuHasFma();
// Tests only: true makes both answer false until it is set back.
void restrictToBaselineCpu(bool restrict);

}  // namespace platform
