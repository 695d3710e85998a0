// zorvane-host: the AAX host stand-in's command line.  It loads Zorvane.so
// and drives the plug-in as a host does.

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "aax/AAX_CString.h"
#include "host/CommandNumbers.h"
#include "host/ContentFolder.h"
#include "host/FileBytes.h"
#include "host/HostDescription.h"
#include "host/HostInstance.h"
#include "host/MidiFile.h"
#include "host/PluginModule.h"
#include "host/ProgramBoundary.h"
#include "host/Render.h"
#include "host/RunSettings.h"
#include "host/ResultText.h"
#include "host/StopSignals.h"
#include "host/Validation.h"
#include "host/ViewCommands.h"
#include "host/WavWriter.h"
#include "platform/AtomicFile.h"

namespace {

const char* const kUsage =
    "usage: zorvane-host [--module PATH] [--content DIR] COMMAND [OPTIONS]\n"
    "commands:\n"
    "  describe   print the plug-in's description as the host registers it\n"
    "  render     render MIDI (a file or a built-in chord phrase) to a WAV file\n"
    "  params     list, get or set the host parameters\n"
    "  state      save or load the instance's state chunk\n"
    "  validate   run the validation battery\n"
    "  editor     open the plug-in's interface in an X11 window\n"
    "  snapshot   write the plug-in's interface to PNG files, without a display\n"
    "  content    point the settings at a content folder for good\n"
    "Each command takes -h or --help; --version prints the version.  The module\n"
    "is $ZORVANE_MODULE, else Zorvane.so beside this program.  --content DIR\n"
    "plays from a content folder (DIR/Instruments, DIR/Samples, the preset\n"
    "folders) for this run only: the run gets a copy of the settings of its\n"
    "own, pointed at DIR, and the user's settings are not written.\n";

struct Command {
    const char* help;
    std::set<std::string> options;  // besides the global ones
};

const std::map<std::string, Command> kCommands = {
    {"describe",
     {"usage: zorvane-host describe\n  Prints the effect, its components with their context fields, MIDI\n  nodes, properties and procedures, in the order the plug-in gave them.\n",
      {}}},
    {"render",
     {"usage: zorvane-host render [-o OUT.wav] [--midi FILE.mid] [--state FILE] [--preset FILE]\n"
      "                           [--tempo BPM] [--rate HZ] [--block N] [--seconds S] [--mono] [--seed N]\n"
      "  Renders the MIDI file (default: a built-in chord phrase) through the plug-in\n"
      "  into a 32-bit float WAV file (default demo.wav; -o - writes it to the\n"
      "  standard output).  A state file, then a preset, is loaded into the\n"
      "  instance first: a state or a global preset (.zvp) is a whole set-up; a\n"
      "  sound (.zvq) or sequence (.zvk) preset changes its part of it (the\n"
      "  layers' sounds, or the phrase and chords).  A preset loads as the preset\n"
      "  menus load it: \"Chord Select\" stays as the state left it.\n"
      "  A new instance has no instruments: without a state or a global preset\n"
      "  only its kick sounds, which the render notes on standard error.\n"
      "  The tempo follows the MIDI file's tempo map (120 BPM without one)\n"
      "  unless --tempo gives one for the whole render.  Defaults: 44100 Hz, blocks\n"
      "  of 512, 8 seconds, stereo.  The plug-in's random variations start from\n"
      "  --seed (default 1), so the same command writes the same file.  Shows its\n"
      "  progress on a terminal.\n",
      {"-o", "--output", "--midi", "--preset", "--state", "--tempo", "--rate", "--block", "--seconds", "--mono", "--seed"}}},
    {"params",
     {"usage: zorvane-host params [--state FILE] list\n"
      "       zorvane-host params [--state FILE] get PARAMETER\n"
      "       zorvane-host params [--state FILE] set PARAMETER VALUE [--save FILE]\n"
      "  Lists the host parameters (identifier, name, normalized value, text),\n"
      "  reads one, or sets one to a normalized value 0..1 and optionally saves\n"
      "  the resulting state.  A parameter is named by its identifier (\"17\") or\n"
      "  its name (\"Osc1 Level\", in any case).\n",
      {"--state", "--save"}}},
    {"state",
     {"usage: zorvane-host state save FILE [--preset FILE]\n"
      "       zorvane-host state load FILE [--save FILE]\n"
      "  save: writes the instance's state chunk (after loading a preset when\n"
      "  given).  load: loads a state or preset file into a fresh instance and\n"
      "  reports whether it was taken; --save re-saves it.\n",
      {"--preset", "--save"}}},
    {"validate",
     {"usage: zorvane-host validate [--seconds S] [--quick] [--state FILE] [--seed N]\n"
      "  MIDI output and audio identical across block sizes 1..4096, sample rates\n"
      "  22050..192000, output buffers pre-filled with NaN overwritten, exact\n"
      "  silence after the tails with the transport stopped, random parameter\n"
      "  changes while playing, state round trips through fresh instances, no\n"
      "  allocation in the process call.  A state\n"
      "  file is loaded into every instance first.  Every instance starts its\n"
      "  random variations from --seed (default 1).\n"
      "  --seconds S  how long each rendering compared across block sizes and\n"
      "               rates lasts, and the random parameter changes (default 4;\n"
      "               0.09288..600)\n"
      "  --quick      three block sizes (1, 137, 4096) instead of six, and two\n"
      "               sample rates (22050, 192000) instead of six\n",
      {"--seconds", "--quick", "--state", "--seed"}}},
    {"content",
     {"usage: zorvane-host content DIR\n"
      "  Points the settings at the content folder DIR for good, as an installer\n"
      "  does: the instruments (DIR/Instruments), samples (DIR/Samples), presets\n"
      "  (DIR/Global Presets, DIR/Sounds, DIR/Sequences) and chord banks\n"
      "  (DIR/Chord Banks) that zorvane-factory writes.  Later runs, and the\n"
      "  plug-in in any host that shares these settings, play from it.\n",
      {}}},
    {"editor", {kEditorHelp, editorOptions()}},
    {"snapshot", {kSnapshotHelp, snapshotOptions()}},
};

const std::set<std::string> kGlobalOptions = {"--module", "--content", "-h", "--help", "--version"};
const std::set<std::string> kFlags = {"-h", "--help", "--version", "--mono", "--quick", "--play"};

constexpr int kUsageError = 2;
constexpr const char* kDefaultSeed = "1";

struct Arguments {
    std::vector<std::string> words;
    std::map<std::string, std::string> options;
    bool has(const std::string& name) const { return options.count(name) != 0; }
    std::string get(const std::string& name, const std::string& fallback = {}) const {
        const auto found = options.find(name);
        return found == options.end() ? fallback : found->second;
    }
};

bool isKnownOption(const std::string& option) {
    if (kGlobalOptions.count(option)) return true;
    for (const auto& [name, command] : kCommands)
        if (command.options.count(option)) return true;
    return false;
}

// A word that starts with '-' is an option, unless it is a number ("-0.5").
bool looksLikeOption(const std::string& word) {
    return word.size() > 1 && word[0] == '-' && !std::isdigit(static_cast<unsigned char>(word[1])) && word[1] != '.';
}

int fail(const std::string& message) {
    std::cerr << "zorvane-host: " << message << "\n";
    return 1;
}

int refuse(const std::string& message, const std::string& usage = kUsage) {
    std::cerr << "zorvane-host: " << message << "\n" << usage;
    return kUsageError;
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    return platform::writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                                         &error);
}

// The preset kinds that hold part of a set-up, by their files' extensions.
enum class FileKind { State, SoundPreset, SequencePreset };

FileKind fileKind(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (extension == ".zvq") return FileKind::SoundPreset;
    if (extension == ".zvk") return FileKind::SequencePreset;
    return FileKind::State;  // a state or a global preset (.zvp), which holds a whole set-up
}

// How a file is given: as the state a host restores, or as a preset.
enum class LoadAs { State, Preset };

// Loads a state or preset file into the instance; false with a reason.  A
// preset loads as the preset menus and program changes load it: a sound or
// sequence preset changes only its part, and a global preset (or a state
// given as a preset) leaves "Chord Select" as the player set it, where a
// state restores everything.  What the plug-in traced while it loaded (an
// instrument it could not find) is passed on as a warning.
bool loadInto(PluginModule& module, HostInstance& instance, const std::string& path, LoadAs as, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!readFileBytes(path, bytes, error)) return false;
    std::vector<std::string>& traces = module.registrar().traces;
    const size_t before = traces.size();
    const FileKind kind = fileKind(path);
    const std::string name = std::filesystem::path(path).stem().string();
    using Preset = HostInstance::PresetKind;
    const AAX_Result result = kind == FileKind::SoundPreset    ? instance.loadPreset(bytes, Preset::Sound, name)
                              : kind == FileKind::SequencePreset ? instance.loadPreset(bytes, Preset::Sequence, name)
                              : as == LoadAs::Preset             ? instance.loadPreset(bytes, Preset::Global, name)
                                                                 : instance.loadState(bytes);
    for (size_t i = before; i < traces.size(); ++i) {
        const size_t text = traces[i].find(' ');
        std::cerr << "zorvane-host: warning: " << path << ": " << traces[i].substr(text == std::string::npos ? 0 : text + 1) << "\n";
    }
    const char* what = kind == FileKind::SoundPreset      ? "not a Zorvane sound preset: "
                       : kind == FileKind::SequencePreset ? "not a Zorvane sequence preset: "
                                                          : "not a Zorvane state or preset file: ";
    if (result == AAX_ERROR_MALFORMED_CHUNK) return error = what + path, false;
    if (result != AAX_SUCCESS) return error = path + " could not be loaded: " + resultText(result), false;
    return true;
}

// A new instance has no instruments, and its layers are off: only a state
// or a global preset is a whole set-up that plays.  A sound or sequence
// preset changes only its part of one.
bool loadsASetUp(const Arguments& args) {
    return args.has("--state") || (args.has("--preset") && fileKind(args.get("--preset")) == FileKind::State);
}

// The length of a render or of the battery's renderings: at least one block,
// or there is nothing to hear; `why` says what the shortest length is.
bool length(const Arguments& args, double shortest, double longest, const std::string& why, double& seconds,
            std::string& error) {
    if (!args.has("--seconds")) return true;
    // Shown rounded up, so that the shortest length shown is taken.
    char range[64];
    std::snprintf(range, sizeof(range), "%g..%g", std::ceil(shortest * 1e6) / 1e6, longest);
    return readNumber("--seconds", args.get("--seconds"), {shortest, longest, false, true, range + (" s (" + why + ")")},
                      seconds, error);
}

// The plug-in's random variations start from the calendar time, which the
// module reads from $ZORVANE_FIXED_TIME when it is set: a seed makes renders
// repeat.  Before the module is loaded.
bool seedFrom(const Arguments& args, std::string& error) {
    double seed = 0;
    if (!readNumber("--seed", args.get("--seed", kDefaultSeed), {0, 4294967295.0, true, true, "whole numbers 0..4294967295"},
                    seed, error))
        return false;
    setenv("ZORVANE_FIXED_TIME", std::to_string(static_cast<long long>(seed)).c_str(), 1);
    return true;
}

// A parameter's identifier from its identifier or its name (any case,
// trailing blanks ignored); empty when none matches.
std::string parameterNamed(HostInstance& instance, const std::string& wanted) {
    auto normal = [](std::string text) {
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
        std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        return text;
    };
    int32_t count = 0;
    instance.effect()->GetNumberOfParameters(&count);
    for (int32_t i = 0; i < count; ++i)
        if (instance.parameterID(i) == wanted) return wanted;
    for (int32_t i = 0; i < count; ++i) {
        const std::string id = instance.parameterID(i);
        AAX_CString name;
        instance.effect()->GetParameterName(id.c_str(), &name);
        if (normal(name.Get()) == normal(wanted)) return id;
    }
    return {};
}

int describe(PluginModule& module) {
    std::cout << module.registrar().describe();
    for (const std::string& line : module.registrar().traces) std::cout << "trace " << line << "\n";
    for (const std::string& line : module.registrar().asserts) std::cout << "assertion " << line << "\n";
    return 0;
}

std::string playedRates() { return std::to_string(int(kLowestPlayedRate)) + ".." + std::to_string(int(kHighestPlayedRate)); }

// Every value is read before anything is made; false with the refusal.
bool renderSettings(const Arguments& args, RenderSettings& settings, std::string& error) {
    double value = 0;
    if (args.has("--tempo")) {
        if (!readNumber("--tempo", args.get("--tempo"), {20, 999, false, true, "20..999 BPM"}, value, error)) return false;
        settings.tempo = value;
    }
    // Whole hertz: the file's header holds nothing else.  Asked for a rate it
    // cannot play, the plug-in would go on at its own, out of tune.
    if (args.has("--rate")) {
        const NumberRange played{kLowestPlayedRate, kHighestPlayedRate, true, true,
                                 "whole numbers " + playedRates() + " Hz, the rates the plug-in plays"};
        if (!readNumber("--rate", args.get("--rate"), played, value, error)) return false;
        settings.rate = float(value);
    }
    if (args.has("--block")) {
        if (!readNumber("--block", args.get("--block"), {1, 65536, true, true, "whole numbers 1..65536 samples"}, value, error))
            return false;
        settings.block = int32_t(value);
    }
    return length(args, settings.block / double(settings.rate), 3600,
                  "one block of " + std::to_string(settings.block) + " samples at " + std::to_string(int(settings.rate)) +
                      " Hz at least",
                  settings.seconds, error);
}

int render(PluginModule& module, const Arguments& args) {
    RenderSettings settings;
    std::string error;
    if (!renderSettings(args, settings, error)) return refuse(error, kCommands.at("render").help);
    const std::string output = args.get("-o", args.get("--output", "demo.wav"));
    const bool toStandardOutput = output == "-";

    std::vector<TimedMidi> events = builtInPhrase();
    std::vector<TempoChange> tempoMap;
    if (args.has("--midi") && !readMidiFile(args.get("--midi"), events, error, &tempoMap)) return fail(error);
    // The file's tempo map, unless the command line gives one tempo.
    if (!args.has("--tempo") && !tempoMap.empty()) {
        settings.tempoChanges = tempoMap;
        settings.tempo = TempoMap(settings.tempo, tempoMap).tempoAtSeconds(0.0);
    }

    HostInstance instance(module.effect(), args.has("--mono") ? 1 : 2, settings.rate, settings.tempo);
    if (!instance.ok()) return fail("the plug-in did not create an instance");
    // The state first: a preset goes on top of it, as one picked from a menu.
    for (auto [option, as] : {std::pair{"--state", LoadAs::State}, std::pair{"--preset", LoadAs::Preset}})
        if (args.has(option) && !loadInto(module, instance, args.get(option), as, error)) return fail(error);
    if (!loadsASetUp(args))
        std::cerr << "zorvane-host: note: the instance has no instruments: no state or global preset was loaded, and\n"
                     "  a new instance has none (a sound or sequence preset changes only its part of a set-up),\n"
                     "  so only its kick sounds.  For the demo's set-up add --state with the demo.state that\n"
                     "  make demo writes into build/demo (zorvane-demo-state FILE writes it anywhere), and\n"
                     "  --content build/demo/content unless the settings point there.\n";

    // Before the temporary exists, so that no stop can leave it behind.
    const StopOnSignals stopOnSignals;
    // Opened before the first block, so that a target that cannot be
    // written is known before the time is spent.
    WavWriter writer(instance.channels(), uint32_t(settings.rate), uint64_t(renderFrames(settings)));
    if (!writer.open(output, error)) return fail(error);
    const bool terminal = isatty(STDERR_FILENO);
    size_t midiPackets = 0;
    std::string failure;
    const bool rendered = renderBlocks(
        instance, events, settings,
        [&](const float* const* channels, int32_t frames) {
            // Counted and let go, like the audio: nothing is kept per block.
            midiPackets += instance.midiOut.timeline.size();
            instance.midiOut.timeline.clear();
            instance.midiOut.posted.clear();
            return stopSignal() == 0 && writer.write(channels, frames);
        },
        [&](double done) {
            if (terminal) std::fprintf(stderr, "\rrendering %3d%%", int(done * 100));
        },
        &failure);
    if (terminal) std::fprintf(stderr, "\n");
    if (!failure.empty()) return fail(failure + "; " + (toStandardOutput ? std::string("the standard output was left unfinished") : output + " was not written"));
    // A render stopped by the user drops its unfinished file.
    if (stopSignal()) return fail("stopped; " + (toStandardOutput ? std::string("the standard output was left unfinished") : output + " was not written"));
    if (!writer.finish(error) || !rendered) return fail(error.empty() ? "cannot write " + output : error);
    // With the audio on the standard output, the summary goes beside it.
    (toStandardOutput ? std::cerr : std::cout) << "wrote " << (toStandardOutput ? "the standard output" : output) << ": "
                                               << settings.seconds << " s, " << (instance.channels() == 1 ? "1 channel" : "2 channels") << ", "
                                               << int(settings.rate) << " Hz" << (writer.isRF64() ? " (RF64)" : "") << ", peak " << writer.peak()
                                               << ", " << midiPackets << " MIDI packets out\n";
    return 0;
}

int params(PluginModule& module, const Arguments& args) {
    const std::string verb = args.words.size() > 1 ? args.words[1] : "list";
    const size_t wanted = verb == "list" ? 2 : verb == "get" ? 3 : verb == "set" ? 4 : 0;
    const std::string& usage = kCommands.at("params").help;
    if (!wanted) return refuse("params knows list, get and set, not \"" + verb + "\"", usage);
    if (args.words.size() < wanted) return refuse("params " + verb + " wants " + (verb == "set" ? "a parameter and a value" : "a parameter"), usage);
    if (args.words.size() > wanted) return refuse("params " + verb + " takes no argument \"" + args.words[wanted] + "\"", usage);
    if (args.has("--save") && verb != "set") return refuse("params " + verb + " takes no --save", usage);
    std::string error;
    double value = 0;
    if (verb == "set" && !readNumber("params set's value", args.words[3], {0, 1, false, true, "0..1"}, value, error))
        return refuse(error, usage);

    HostInstance instance(module.effect(), 2, 44100.0f);
    if (!instance.ok()) return fail("the plug-in did not create an instance");
    if (args.has("--state") && !loadInto(module, instance, args.get("--state"), LoadAs::State, error)) return fail(error);
    if (verb == "list") {
        int32_t count = 0;
        instance.effect()->GetNumberOfParameters(&count);
        for (int32_t i = 0; i < count; ++i) {
            const std::string id = instance.parameterID(i);
            AAX_CString name;
            instance.effect()->GetParameterName(id.c_str(), &name);
            std::printf("%-15s %-28s %.6f %s\n", id.c_str(), name.Get(), instance.parameter(id), instance.parameterText(id).c_str());
        }
        return 0;
    }
    const std::string id = parameterNamed(instance, args.words[2]);
    if (id.empty()) return fail("no parameter \"" + args.words[2] + "\" (params list shows them all)");
    if (verb == "get") {
        std::printf("%s %.6f %s\n", id.c_str(), instance.parameter(id), instance.parameterText(id).c_str());
        return 0;
    }
    if (!instance.setParameter(id, value)) return fail("the plug-in refused the value");
    std::printf("%s %.6f %s\n", id.c_str(), instance.parameter(id), instance.parameterText(id).c_str());
    if (args.has("--save") && !writeBytes(args.get("--save"), instance.saveState(), error)) return fail(error);
    return 0;
}

int state(PluginModule& module, const Arguments& args) {
    const std::string& usage = kCommands.at("state").help;
    const std::string verb = args.words.size() > 1 ? args.words[1] : "";
    if (verb != "save" && verb != "load") return refuse("state wants save FILE or load FILE", usage);
    if (args.words.size() < 3) return refuse("state " + verb + " wants a file", usage);
    if (args.words.size() > 3) return refuse("state " + verb + " takes no argument \"" + args.words[3] + "\"", usage);
    if (verb == "save" && args.has("--save")) return refuse("state save takes no --save", usage);
    if (verb == "load" && args.has("--preset")) return refuse("state load takes no --preset", usage);
    HostInstance instance(module.effect(), 2, 44100.0f);
    if (!instance.ok()) return fail("the plug-in did not create an instance");
    std::string error;
    const std::string path = args.words[2];
    if (verb == "save") {
        if (args.has("--preset") && !loadInto(module, instance, args.get("--preset"), LoadAs::Preset, error)) return fail(error);
        const std::vector<uint8_t> bytes = instance.saveState();
        if (bytes.empty()) return fail("the plug-in gave no state");
        if (!writeBytes(path, bytes, error)) return fail(error);
        std::cout << "saved " << bytes.size() << " bytes to " << path << "\n";
        return 0;
    }
    if (!loadInto(module, instance, path, LoadAs::State, error)) return fail(error);
    std::cout << "loaded " << path << "\n";
    if (args.has("--save") && !writeBytes(args.get("--save"), instance.saveState(), error)) return fail(error);
    return 0;
}

int validate(PluginModule& module, const Arguments& args) {
    ValidationSettings settings;
    std::string error;
    // The battery's longest block at its usual rate.
    if (!length(args, 4096 / 44100.0, 600, "a block of 4096 samples at 44100 Hz at least", settings.seconds, error))
        return refuse(error, kCommands.at("validate").help);
    settings.quick = args.has("--quick");
    if (args.has("--state") && !readFileBytes(args.get("--state"), settings.state, error)) return fail(error);
    return runValidation(module, settings, std::cout) ? 0 : 1;
}

// --content, and the zooms of the commands that open the interface, are the
// run's alone: its settings are a copy of the user's (RunSettings).
bool needsSettingsOfItsOwn(const std::string& command, const Arguments& args) {
    return args.has("--content") || command == "snapshot" || (command == "editor" && args.has("--zoom"));
}

// The usage of the command named among the words, else the program's.
const char* usageFor(const Arguments& args) {
    if (args.words.empty()) return kUsage;
    const auto command = kCommands.find(args.words[0]);
    return command == kCommands.end() ? kUsage : command->second.help;
}

int content(const Arguments& args) {
    const char* usage = kCommands.at("content").help;
    if (args.words.size() < 2) return refuse("content wants a folder", usage);
    if (args.words.size() > 2) return refuse("content takes no argument \"" + args.words[2] + "\"", usage);
    if (args.has("--content")) return refuse("content takes its folder, not --content", usage);
    std::string error;
    if (!pointSettingsAt(args.words[1], error)) return fail(error);
    std::cout << "the settings point at " << std::filesystem::absolute(args.words[1]).string() << "\n";
    return 0;
}

int runCommand(int argc, char** argv) {
    Arguments args;
    std::string refusal;  // the first fault of the command line
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (!looksLikeOption(word)) {
            args.words.push_back(word);
            continue;
        }
        if (!isKnownOption(word)) {
            if (refusal.empty()) refusal = "unknown option " + word;
            continue;
        }
        // A second value would silently replace the first (two -o: one file).
        if (args.has(word) && refusal.empty()) refusal = word + " is given twice";
        if (kFlags.count(word)) {
            args.options[word] = "1";
        } else if (i + 1 < argc) {
            args.options[word] = argv[++i];
        } else if (refusal.empty()) {
            refusal = word + " wants a value";
        }
    }
    // Refused with the usage of the command it was meant for.
    if (!refusal.empty() && !args.has("-h") && !args.has("--help")) return refuse(refusal, usageFor(args));
    if (args.has("--version")) {
        std::cout << "zorvane-host " << ZORVANE_VERSION << "\n";
        return 0;
    }
    const bool help = args.has("-h") || args.has("--help");
    if (args.words.empty()) {
        (help ? std::cout : std::cerr) << kUsage;
        return help ? 0 : kUsageError;
    }
    const std::string name = args.words[0];
    const auto command = kCommands.find(name);
    if (command == kCommands.end()) return refuse("unknown command \"" + name + "\"");
    if (help) {
        std::cout << command->second.help;
        return 0;
    }
    for (const auto& [option, value] : args.options)
        if (!kGlobalOptions.count(option) && !command->second.options.count(option))
            return refuse(name + " takes no option " + option, command->second.help);
    if ((name == "describe" || name == "render" || name == "validate") && args.words.size() > 1)
        return refuse(name + " takes no argument \"" + args.words[1] + "\"", command->second.help);
    if (args.has("-o") && args.has("--output")) return refuse(name + " takes -o or --output, not both", command->second.help);

    // What runs killed before left (their own settings) goes.
    RunSettings::removeStaleCopies();
    if (name == "content") return content(args);

    std::string error;
    // Before the module, which then reads and writes the run's own settings;
    // removed after the module is gone.
    RunSettings runSettings;
    if (needsSettingsOfItsOwn(name, args) && !runSettings.make(error)) return fail(error);
    if (args.has("--content") && !pointSettingsAt(args.get("--content"), error)) return fail(error);
    if ((name == "render" || name == "validate") && !seedFrom(args, error)) return refuse(error, command->second.help);
    PluginModule module(args.get("--module", PluginModule::defaultPath(argv[0])));
    if (!module.loaded()) return fail(module.error());
    if (name == "describe") return describe(module);
    if (name == "render") return render(module, args);
    if (name == "params") return params(module, args);
    if (name == "state") return state(module, args);
    if (name == "editor" || name == "snapshot") {
        const ViewCommandArguments view{args.words, args.options, [&](HostInstance& instance, std::string& failure) {
            const bool state = args.has("--state");
            return loadInto(module, instance, args.get(state ? "--state" : "--preset"), state ? LoadAs::State : LoadAs::Preset, failure);
        }};
        return name == "editor" ? runEditor(module, view) : runSnapshot(module, view);
    }
    return validate(module, args);
}

}  // namespace

int main(int argc, char** argv) {
    const int status = runWithinBoundary("zorvane-host", [&] { return runCommand(argc, argv); }, std::cerr);
    endByStopSignal();
    return status;
}
