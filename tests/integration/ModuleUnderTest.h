#pragma once
// Zorvane.so as the host stand-in loads it: one for the test program, loaded
// at the first call and kept to the end.

#include "host/PluginModule.h"

inline PluginModule& module() {
    static PluginModule* loaded = new PluginModule(ZORVANE_MODULE_PATH);
    return *loaded;
}
