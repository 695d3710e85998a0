#pragma once
// The built programs run as a user runs them, for the tests of the host
// program and of the module behind it.

#include <cstdint>
#include <string>
#include <vector>

// Runs a shell command; answers its exit status and fills `output` with what
// it printed on both streams.
int run(const std::string& command, std::string& output);

// The same for one program and its arguments (after "env NAME=VALUE" when
// given), with the peak resident memory of that program in
// `peakKilobytes`.  GNU time starts it from a process of its own, so that
// the figure is not that of the test that asked.
int runMeasured(const std::string& command, std::string& output, long& peakKilobytes);

// The programs, built with the tests.
inline const std::string kHostProgram = ZORVANE_HOST_PATH;
inline const std::string kDemoStateProgram = ZORVANE_DEMO_STATE_PATH;
inline const std::string kFactoryProgram = ZORVANE_FACTORY_PATH;
inline const std::string kGuiSheetProgram = ZORVANE_GUI_SHEET_PATH;
inline const std::string kSpikeProbeProgram = ZORVANE_SPIKE_PROBE_PATH;

// The demo set-up's state as zorvane-demo-state writes it: held keys become
// a phrase on the three layers.
const std::vector<uint8_t>& demoState();

// The bytes of a file; empty when it cannot be read.
std::vector<uint8_t> readAll(const std::string& path);

// Writes bytes to a file; false when it cannot.
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
