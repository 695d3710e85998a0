// zorvane-host editor: the plug-in's interface in an X11 window of the
// host's own, the view opened in it as a host opens it.  The host's window
// and the plug-in's live on two connections to one display: the host pumps
// its own and calls the view's timer, which pumps the plug-in's.  When the
// X server goes away both connections only mark themselves lost: the
// session then ends as a closed window ends it (the audio stops first, the
// view closes, the log is written) and says so, with status 1.

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>

#include "host/CommandNumbers.h"
#include "host/HeadlessView.h"
#include "host/HostDescription.h"
#include "host/HostInstance.h"
#include "host/PluginModule.h"
#include "host/RealTimePlayer.h"
#include "host/StopSignals.h"
#include "host/ViewCommands.h"
#include "platform/AtomicFile.h"
#include "platform/X11Windows.h"

namespace {

// The host's top-level window: it hears the close button.
struct TopWindow : platform::WindowHandler {
    void handleWindowEvent(const platform::WindowEvent& event) override {
        if (event.kind == platform::WindowEvent::Kind::Close || event.kind == platform::WindowEvent::Kind::Destroy)
            closed = true;
    }
    bool closed = false;
};

constexpr double kLongestSession = 86400;  // a day

struct EditorSettings {
    int32_t zoomPercent = 0;  // 0: as the settings have it
    double seconds = 0;       // 0: until closed
    std::string log;
};

// The values of the command line: false with the refusal.
bool readNumbers(const ViewCommandArguments& args, EditorSettings& settings, std::string& error) {
    if (args.has("--zoom") && !parseZoom(args.get("--zoom"), settings.zoomPercent, error)) return false;
    return !args.has("--seconds") ||
           readNumber("--seconds", args.get("--seconds"), {0, kLongestSession, false, false, "more than 0, at most 86400 s"},
                      settings.seconds, error);
}

// Known before the session, not after the person has played it.
bool checkLogFolder(const ViewCommandArguments& args, EditorSettings& settings, std::string& error) {
    if (!args.has("--log")) return true;
    settings.log = args.get("--log");
    const std::filesystem::path folder = std::filesystem::path(settings.log).parent_path();
    const std::string where = folder.empty() ? "." : folder.string();
    if (!std::filesystem::is_directory(where) || access(where.c_str(), W_OK) != 0)
        return error = "cannot write the log into " + where, false;
    return true;
}

// The automation requests in order, then each host parameter's final value.
std::string sessionLog(HostInstance& instance) {
    std::string text;
    for (const std::string& line : instance.automationLog) text += line + "\n";
    int32_t count = 0;
    instance.effect()->GetNumberOfParameters(&count);
    for (int32_t i = 0; i < count; ++i) {
        const std::string id = instance.parameterID(i);
        char line[96];
        std::snprintf(line, sizeof(line), "final %s %.6f\n", id.c_str(), instance.parameter(id));
        text += line;
    }
    return text;
}

}  // namespace

int runEditor(PluginModule& module, const ViewCommandArguments& args) {
    if (args.words.size() > 1) return viewCommandRefusal("editor takes no argument \"" + args.words[1] + "\"", kEditorHelp);
    if (args.has("--state") && args.has("--preset")) return viewCommandRefusal("editor takes --preset or --state, not both", kEditorHelp);
    EditorSettings settings;
    std::string error;
    if (!readNumbers(args, settings, error)) return viewCommandRefusal(error, kEditorHelp);
    if (!checkLogFolder(args, settings, error)) return viewCommandFailure(error);
    // SIGINT and SIGTERM end the session as the window's close button does,
    // from the start: a signal that arrives while the view opens is seen by
    // the first turn of the loop, so the log is still written on the way out.
    // The program then ends by the signal.
    const StopOnSignals stopOnSignals;

    platform::X11Windows windows;
    if (!windows.isConnected()) {
        const char* display = std::getenv("DISPLAY");
        return viewCommandFailure(display && *display ? std::string("cannot open the X display ") + display
                                                      : std::string("no X display: $DISPLAY is not set") +
                                                            " (zorvane-host snapshot draws the interface without one)");
    }
    if (settings.zoomPercent && !applyZoom(settings.zoomPercent, error)) return viewCommandFailure(error);

    HostInstance instance(module.effect(), 2, 44100.0f);
    if (!instance.ok()) return viewCommandFailure("the plug-in did not create an instance");
    if ((args.has("--state") || args.has("--preset")) && !args.loadSettings(instance, error)) return viewCommandFailure(error);

    TopWindow top;
    const platform::WindowId window = windows.createWindow(0, 960, 697, &top);
    if (!window) return viewCommandFailure("cannot make a window on the X display");
    // The plug-in's connection must find the window on the server.
    windows.sync();
    platform::HostWindow host;
    host.kind = platform::HostWindowKind::X11;
    host.x11Window = windows.nativeWindow(window);
    host.x11Screen = windows.screenNumber();
    // A box or a file selector of the plug-in's that is up when the signal
    // comes ends with its safe answer (the selector's program ended), so
    // that this loop sees the stop.
    host.stopDescriptor = stopDescriptor();
    instance.viewContainer.resized = [&](int32_t width, int32_t height) { windows.setWindowSize(window, width, height); };
    if (instance.openView(&host) != AAX_SUCCESS) return viewCommandFailure("the plug-in did not open its view");

    {
        std::unique_ptr<RealTimePlayer> player;
        if (args.has("--play")) player = std::make_unique<RealTimePlayer>(instance);
        using Clock = std::chrono::steady_clock;
        const auto period = std::chrono::milliseconds(HeadlessView::kTimerPeriodMs);
        const auto start = Clock::now();
        auto nextTimer = start;
        while (!top.closed && !stopSignal() && !windows.connectionLost() &&
               (settings.seconds <= 0 || Clock::now() - start < std::chrono::duration<double>(settings.seconds))) {
            // Rounded up: a wait cut to whole milliseconds ends short of the
            // timer, and the loop would spin through its last millisecond.
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(nextTimer - Clock::now());
            windows.pump(uint32_t(std::max<int64_t>(wait.count(), 0)));
            if (Clock::now() < nextTimer) continue;
            instance.viewTimer();
            nextTimer = std::max(nextTimer + period, Clock::now() - period);
        }
    }
    // The plug-in's window goes before the host's that holds it.
    instance.closeView();
    instance.viewContainer.resized = nullptr;
    windows.destroyWindow(window);
    windows.sync();
    if (!settings.log.empty() && !platform::writeFileAtomically(settings.log, sessionLog(instance)))
        return viewCommandFailure("cannot write " + settings.log);
    if (windows.connectionLost()) return viewCommandFailure("the connection to the X display was lost: the editor closed");
    return 0;
}
