// Compiled against the core layer only: the core sits below the engine, so
// this include must not be found.  The build test expects that failure.
#include "engine/BWRompler.h"
