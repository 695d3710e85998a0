#pragma once
// The validation battery of zorvane-host: the plug-in driven the way hosts
// drive it, with what must hold each time.  Each check prints one line.

#include <cstdint>
#include <ostream>
#include <vector>

class PluginModule;

struct ValidationSettings {
    double seconds = 4.0;  // length of each rendering
    bool quick = false;    // fewer block sizes and rates (the test build)
    std::vector<uint8_t> state;  // loaded into every instance first, when given
};

// Runs every check; true when all passed.
bool runValidation(PluginModule& module, const ValidationSettings& settings, std::ostream& out);
