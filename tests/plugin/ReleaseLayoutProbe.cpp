// The plug-in object's layout as code built without assertions sees it:
// this file is compiled as a release build compiles the headers.
#ifndef NDEBUG
#define NDEBUG
#endif

#include <cstddef>

#include "plugin/BWUniClient.h"
#include "plugin/EngineHold.h"

size_t releaseSizeOfEngineHold() { return sizeof(EngineHold); }
size_t releaseSizeOfClient() { return sizeof(BWUniClient); }
size_t releaseSizeOfTurn() { return sizeof(StateTurn); }
