#include "host/ViewCommands.h"

#include <cmath>
#include <cstdlib>
#include <iostream>

#include "host/CommandNumbers.h"
#include "persistence/Settings.h"

const char* const kEditorHelp =
    "usage: zorvane-host editor [--state FILE | --preset FILE] [--zoom F] [--play] [--log FILE] [--seconds S]\n"
    "  Opens the plug-in's interface in a window on the X display ($DISPLAY), as a\n"
    "  host opens it: the view's timer runs every 30 ms and the window takes the\n"
    "  size the plug-in asks for.  Closing the window, Ctrl-C, SIGTERM or the end\n"
    "  of --seconds ends it.  A state or preset file is loaded first.  --zoom F\n"
    "  opens it at F (0.9 to 2.0; 1.5 is 150 %), with settings of the run's own:\n"
    "  yours are not written.  --play plays the built-in chord\n"
    "  phrase in real time, so that meters and play lines move (the sound goes\n"
    "  nowhere).  --log FILE writes, at the end, every automation request of the\n"
    "  interface (\"touch ID\", \"set ID VALUE\", \"release ID\") and every host\n"
    "  parameter's final value (\"final ID VALUE\").  A file the plug-in drags out\n"
    "  (the MIDI export) lands in $ZORVANE_DROP_DIR, else the current folder.\n";

std::set<std::string> editorOptions() { return {"--state", "--preset", "--zoom", "--play", "--log", "--seconds"}; }

const char* const kSnapshotHelp =
    "usage: zorvane-host snapshot DIR [--zoom LIST] [--state FILE | --preset FILE] [--events FILE]\n"
    "  Writes the plug-in's interface as PNG files into DIR, without an X server:\n"
    "  one for each page set and zoom, named PAGESET-PERCENT.png.  The page sets\n"
    "  are reached as a person reaches them, by clicks on the page buttons.\n"
    "  --zoom takes factors separated by commas (default 1.0,1.5; each 0.9 to\n"
    "  2.0).  A state or preset file is loaded first.  --events FILE sends input\n"
    "  before the shots, in window pixels, one event a line (# starts a comment):\n"
    "      click X Y [shift] [control] [alt]     rightclick X Y\n"
    "      drag X1 Y1 X2 Y2                      wheel X Y NOTCHES\n";

std::set<std::string> snapshotOptions() { return {"--zoom", "--state", "--preset", "--events"}; }

namespace {
constexpr int32_t kSmallestZoom = 90;
constexpr int32_t kLargestZoom = 200;
constexpr const char* kZoomRange = "factors 0.9..2.0";
// The display base factor the editor chooses for its screen when it is
// made: the module's window layer knows no screen before a view opens, and
// its default 1920 x 1080 gives the 960 x 697 interface the base 1.
constexpr int32_t kBaseFactor = 1;
const char* const kForce = "forceresize";
std::string factorName() { return indexedSettingName("resizefactor", kBaseFactor); }
}  // namespace

bool parseZoom(const std::string& text, int32_t& percent, std::string& error) {
    // Whole percent: a factor that rounds into the range is taken.
    double factor = 0;
    if (!readNumber("--zoom", text, {-HUGE_VAL, HUGE_VAL, false, true, kZoomRange}, factor, error)) return false;
    const long rounded = std::lround(factor * 100);
    if (rounded < kSmallestZoom || rounded > kLargestZoom)
        return error = numberRefusal("--zoom", text, kOutOfRange, kZoomRange), false;
    percent = int32_t(rounded);
    return true;
}

bool applyZoom(int32_t percent, std::string& error) {
    if (getSettingDword("noresize") != 0) {
        error = "the settings say \"noresize\": the interface opens at 100 %; remove it to zoom";
        return false;
    }
    if (!setSettingDword(kForce, 1) || !setSettingDword(factorName(), uint32_t(percent * kBaseFactor))) {
        error = "cannot write the zoom into the settings";
        return false;
    }
    return true;
}

int viewCommandFailure(const std::string& message) {
    std::cerr << "zorvane-host: " << message << "\n";
    return 1;
}

int viewCommandRefusal(const std::string& message, const char* usage) {
    std::cerr << "zorvane-host: " << message << "\n" << usage;
    return 2;
}
