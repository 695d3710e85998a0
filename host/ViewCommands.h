#pragma once
// zorvane-host's commands that open the plug-in's interface: `editor` shows
// it in an X11 window for a person to play, `snapshot` writes it headless
// to PNG files, page set by page set.  The command line itself (options,
// help, usage errors) is the program's; these take what it parsed.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class HostInstance;
class PluginModule;

struct ViewCommandArguments {
    std::vector<std::string> words;  // the command's name first
    std::map<std::string, std::string> options;
    // Loads the --state or --preset file into an instance; false with a reason.
    std::function<bool(HostInstance&, std::string& error)> loadSettings;

    bool has(const std::string& name) const { return options.count(name) != 0; }
    std::string get(const std::string& name, const std::string& fallback = {}) const {
        const auto found = options.find(name);
        return found == options.end() ? fallback : found->second;
    }
};

// Help texts and options (besides the program's own); functions, so that
// the program's own tables may be made from them before anything else.
extern const char* const kEditorHelp;
std::set<std::string> editorOptions();
extern const char* const kSnapshotHelp;
std::set<std::string> snapshotOptions();

// Exit status 0, 1 when it failed (said on the standard error), 2 for a
// command line it cannot take (with the usage).
int runEditor(PluginModule& module, const ViewCommandArguments& args);
int runSnapshot(PluginModule& module, const ViewCommandArguments& args);

// --- shared by both commands --------------------------------------------------

// A zoom factor of the interface, 0.9 to 2.0, in whole percent.
bool parseZoom(const std::string& text, int32_t& percent, std::string& error);
// Makes the instances made from now on open their editor at a zoom,
// through the settings the editor reads when it is made ("forceresize",
// "resizefactor%d").  Only in a run with settings of its own (RunSettings),
// so that the person's own plug-in opens as it did.  False with a reason
// when the settings cannot take it.
bool applyZoom(int32_t percent, std::string& error);
// "zorvane-host: <message>" on the standard error; the status 1.
int viewCommandFailure(const std::string& message);
// The message and the usage on the standard error; the status 2.
int viewCommandRefusal(const std::string& message, const char* usage);
