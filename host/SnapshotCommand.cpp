// zorvane-host snapshot: the plug-in's interface drawn headless into PNG
// files, one for each page set of the built-in script and each zoom.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "guitoolkit/WindowSnapshot.h"
#include "host/FileBytes.h"
#include "host/HeadlessView.h"
#include "host/HostDescription.h"
#include "host/HostInstance.h"
#include "host/PageSetScript.h"
#include "host/PluginModule.h"
#include "host/ViewCommands.h"
#include "platform/WindowSystem.h"

namespace {

// Idle ticks after a step before its picture: the clicked widget's hint
// has shown and gone again and every bound value is drawn.
constexpr int kSettleTicks = 20;

// One line of an events file, in window pixels.
struct InputStep {
    enum Kind { Click, RightClick, Drag, Wheel } kind;
    int32_t values[4];
    uint32_t keys;
};

bool readInputSteps(const std::string& path, std::vector<InputStep>& steps, std::string& error) {
    std::string text;
    if (!readFileText(path, text, error)) return false;
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (const size_t comment = line.find('#'); comment != std::string::npos) line.erase(comment);
        std::istringstream words(line);
        std::string verb;
        if (!(words >> verb)) continue;
        InputStep step{};
        int count = 0;
        if (verb == "click") step.kind = InputStep::Click, count = 2;
        else if (verb == "rightclick") step.kind = InputStep::RightClick, count = 2;
        else if (verb == "drag") step.kind = InputStep::Drag, count = 4;
        else if (verb == "wheel") step.kind = InputStep::Wheel, count = 3;
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (count == 0) return error = where + "no event \"" + verb + "\" (click, rightclick, drag, wheel)", false;
        for (int i = 0; i < count; ++i)
            if (!(words >> step.values[i])) return error = where + verb + " wants " + std::to_string(count) + " whole numbers", false;
        for (std::string key; words >> key;) {
            if (step.kind == InputStep::Click && key == "shift") step.keys |= platform::kStateShift;
            else if (step.kind == InputStep::Click && key == "control") step.keys |= platform::kStateControl;
            else if (step.kind == InputStep::Click && key == "alt") step.keys |= platform::kStateAlt;
            else return error = where + "\"" + key + "\" is not part of a " + verb, false;
        }
        steps.push_back(step);
    }
    return true;
}

void send(HeadlessView& view, const InputStep& step) {
    const int32_t* v = step.values;
    switch (step.kind) {
        case InputStep::Click: view.click(v[0], v[1], 0, step.keys); break;
        case InputStep::RightClick: view.click(v[0], v[1], 2); break;
        case InputStep::Drag: view.drag(v[0], v[1], v[2], v[3]); break;
        case InputStep::Wheel:
            view.move(v[0], v[1]);
            view.wheel(v[0], v[1], v[2]);
            break;
    }
    // Apart in time, so that two clicks are never one double click.
    view.tick(2);
}

bool readZooms(const ViewCommandArguments& args, std::vector<int32_t>& zooms, std::string& error) {
    std::istringstream list(args.get("--zoom", "1.0,1.5"));
    for (std::string item; std::getline(list, item, ',');) {
        int32_t percent = 0;
        if (!parseZoom(item, percent, error)) return false;
        zooms.push_back(percent);
    }
    if (zooms.empty()) return error = "--zoom wants at least one factor", false;
    return true;
}

bool prepareFolder(const std::filesystem::path& folder, std::string& error) {
    std::error_code failed;
    std::filesystem::create_directories(folder, failed);
    if (!std::filesystem::is_directory(folder) || access(folder.c_str(), W_OK) != 0)
        return error = "cannot write into the folder " + folder.string(), false;
    return true;
}

// One zoom: a fresh instance, its view, the input, then a picture after
// each step of the script.  The folder is made once the instance took the
// settings, so that a refused file leaves nothing behind.
bool shoot(PluginModule& module, const ViewCommandArguments& args, int32_t zoom, const std::vector<InputStep>& input,
           const std::filesystem::path& folder, std::string& error) {
    if (!applyZoom(zoom, error)) return false;
    HostInstance instance(module.effect(), 2, 44100.0f);
    if (!instance.ok()) return error = "the plug-in did not create an instance", false;
    if ((args.has("--state") || args.has("--preset")) && !args.loadSettings(instance, error)) return false;
    if (!prepareFolder(folder, error)) return false;
    HeadlessView view(instance);
    if (!view.ok() || view.width() <= 0) return error = "the plug-in did not open its view", false;
    view.tick(2);
    for (const InputStep& step : input) send(view, step);
    for (const PageSetStep& step : pageSetScript()) {
        for (const DesignPoint& point : step.clicks) {
            view.click(windowPixel(point.x, zoom), windowPixel(point.y, zoom));
            view.tick(2);
        }
        view.leave();
        view.tick(kSettleTicks);
        const std::filesystem::path file = folder / (std::string(step.name) + "-" + std::to_string(zoom) + ".png");
        const platform::WindowSurface pixels{const_cast<uint32_t*>(view.pixels().data()), view.width(), view.height()};
        if (!VSTGUI::writePixelsPng(pixels, file)) return error = "cannot write " + file.string(), false;
        std::printf("wrote %s (%d x %d)\n", file.c_str(), view.width(), view.height());
    }
    return true;
}

}  // namespace

int runSnapshot(PluginModule& module, const ViewCommandArguments& args) {
    if (args.words.size() < 2) return viewCommandRefusal("snapshot wants a folder", kSnapshotHelp);
    if (args.words.size() > 2) return viewCommandRefusal("snapshot takes one folder, not also \"" + args.words[2] + "\"", kSnapshotHelp);
    if (args.has("--state") && args.has("--preset")) return viewCommandRefusal("snapshot takes --preset or --state, not both", kSnapshotHelp);
    std::string error;
    std::vector<int32_t> zooms;
    std::vector<InputStep> input;
    if (!readZooms(args, zooms, error)) return viewCommandRefusal(error, kSnapshotHelp);
    if (args.has("--events") && !readInputSteps(args.get("--events"), input, error)) return viewCommandFailure(error);
    const std::string folder = args.words[1];
    for (int32_t zoom : zooms)
        if (!shoot(module, args, zoom, input, folder, error)) return viewCommandFailure(error);
    return 0;
}
