// zorvane-host: the AAX host stand-in's command line.  It loads Zorvane.so
// and drives the plug-in as a host does.

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "aax/AAX_CString.h"
#include "host/HostDescription.h"
#include "host/HostInstance.h"
#include "host/MidiFile.h"
#include "host/PluginModule.h"
#include "host/Render.h"
#include "host/Validation.h"
#include "persistence/SettingNames.h"
#include "persistence/SettingsKey.h"
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
    "Each command takes --help.  The module is $ZORVANE_MODULE, else Zorvane.so\n"
    "beside this program.  --content DIR points the settings at a content folder\n"
    "(DIR/Instruments, DIR/Samples) before the plug-in starts.\n";

const std::map<std::string, std::string> kHelp = {
    {"describe", "usage: zorvane-host describe\n  Prints the effect, its components with their context fields, MIDI\n  nodes, properties and procedures, in the order the plug-in gave them.\n"},
    {"render",
     "usage: zorvane-host render [-o OUT.wav] [--midi FILE.mid] [--preset FILE | --state FILE]\n"
     "                           [--tempo BPM] [--rate HZ] [--block N] [--seconds S] [--mono]\n"
     "  Renders the MIDI file (default: a built-in chord phrase) through the plug-in\n"
     "  into a 32-bit float WAV file (default demo.wav).  A preset or state file is\n"
     "  loaded into the instance first.  Defaults: 120 BPM, 44100 Hz, blocks of 512,\n"
     "  8 seconds, stereo.  Shows its progress on a terminal.\n"},
    {"params",
     "usage: zorvane-host params [--state FILE] list\n"
     "       zorvane-host params [--state FILE] get ID\n"
     "       zorvane-host params [--state FILE] set ID VALUE [--save FILE]\n"
     "  Lists the host parameters (identifier, name, normalized value, text),\n"
     "  reads one, or sets one to a normalized value 0..1 and optionally saves\n"
     "  the resulting state.\n"},
    {"state",
     "usage: zorvane-host state save FILE [--preset FILE]\n"
     "       zorvane-host state load FILE [--save FILE]\n"
     "  save: writes the instance's state chunk (after loading a preset when\n"
     "  given).  load: loads a state or preset file into a fresh instance and\n"
     "  reports whether it was taken; --save re-saves it.\n"},
    {"validate",
     "usage: zorvane-host validate [--seconds S] [--quick] [--state FILE]\n"
     "  MIDI output identical across block sizes 1..4096, audio identical across\n"
     "  block sizes that are multiples of 16, sample rates 22050..192000, output\n"
     "  buffers pre-filled with NaN overwritten, exact silence after the tails with\n"
     "  the transport stopped, random parameter changes while playing, state round\n"
     "  trips through fresh instances, no allocation in the process call.  A state\n"
     "  file is loaded into every instance first.\n"},
};

struct Arguments {
    std::vector<std::string> words;
    std::map<std::string, std::string> options;
    bool has(const std::string& name) const { return options.count(name) != 0; }
    std::string get(const std::string& name, const std::string& fallback = {}) const {
        const auto found = options.find(name);
        return found == options.end() ? fallback : found->second;
    }
};

bool takesValue(const std::string& option) {
    return option != "--help" && option != "--mono" && option != "--quick";
}

int fail(const std::string& message) {
    std::cerr << "zorvane-host: " << message << "\n";
    return 1;
}

bool readFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return error = "cannot open " + path, false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (bytes.empty()) return error = path + " is empty", false;
    return true;
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    return platform::writeFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                                         &error);
}

// Loads a preset or state file into the instance; false with a reason.
bool loadInto(HostInstance& instance, const std::string& path, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!readFile(path, bytes, error)) return false;
    const AAX_Result result = instance.loadState(bytes);
    if (result != AAX_SUCCESS) return error = path + " is not a valid preset or state for this plug-in (" + std::to_string(result) + ")", false;
    return true;
}

bool number(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == 0 && std::isfinite(value);
}

// Points the plug-in's settings at a content folder, as an installer does.
bool pointSettingsAt(const std::string& folder, std::string& error) {
    std::error_code failed;
    const std::filesystem::path root = std::filesystem::absolute(folder, failed);
    if (failed || !std::filesystem::is_directory(root / "Instruments")) return error = "no content folder with Instruments at " + folder, false;
    SettingsKey key("Zorvane");
    // An existing content folder also keeps the plug-in's start-up from
    // writing its default folders over these.
    const bool written = key.setString(SettingNames::kContentPath, root.string() + "/") &&
                         key.setString(SettingNames::kInstallPath, root.string() + "/") &&
                         key.setString(SettingNames::kInstrumentsPath, (root / "Instruments").string() + "/") &&
                         key.setString(SettingNames::kSamplesPath, (root / "Samples").string() + "/");
    if (!written) return error = "cannot write the settings", false;
    return true;
}

int describe(PluginModule& module) {
    std::cout << module.registrar().describe();
    for (const std::string& line : module.registrar().traces) std::cout << "trace " << line << "\n";
    for (const std::string& line : module.registrar().asserts) std::cout << "assertion " << line << "\n";
    return 0;
}

int render(PluginModule& module, const Arguments& args) {
    RenderSettings settings;
    double value = 0;
    if (args.has("--tempo") && (!number(args.get("--tempo"), value) || value < 20 || value > 999)) return fail("--tempo wants 20..999 BPM");
    if (args.has("--tempo")) settings.tempo = value;
    if (args.has("--rate") && (!number(args.get("--rate"), value) || value < 8000 || value > 384000)) return fail("--rate wants 8000..384000 Hz");
    if (args.has("--rate")) settings.rate = float(value);
    if (args.has("--block") && (!number(args.get("--block"), value) || value < 1 || value > 65536)) return fail("--block wants 1..65536 samples");
    if (args.has("--block")) settings.block = int32_t(value);
    if (args.has("--seconds") && (!number(args.get("--seconds"), value) || value <= 0 || value > 3600)) return fail("--seconds wants 0..3600");
    if (args.has("--seconds")) settings.seconds = value;
    const std::string output = args.get("-o", args.get("--output", "demo.wav"));

    std::vector<TimedMidi> events = builtInPhrase();
    std::string error;
    if (args.has("--midi") && !readMidiFile(args.get("--midi"), events, error)) return fail(error);

    HostInstance instance(module.effect(), args.has("--mono") ? 1 : 2, settings.rate, settings.tempo);
    if (!instance.ok()) return fail("the plug-in did not create an instance");
    for (const char* option : {"--preset", "--state"})
        if (args.has(option) && !loadInto(instance, args.get(option), error)) return fail(error);

    const bool terminal = isatty(STDERR_FILENO);
    RenderResult result;
    renderEvents(instance, events, settings, result, [&](double done) {
        if (terminal) std::fprintf(stderr, "\rrendering %3d%%", int(done * 100));
    });
    if (terminal) std::fprintf(stderr, "\n");
    if (!writeWav(output, result.channels, settings.rate, error)) return fail(error);
    float peak = 0;
    for (const auto& channel : result.channels)
        for (float sample : channel) peak = std::max(peak, std::abs(sample));
    std::cout << "wrote " << output << ": " << settings.seconds << " s, " << result.channels.size() << " channels, " << int(settings.rate)
              << " Hz, peak " << peak << ", " << result.midiOut.size() << " MIDI packets out\n";
    return 0;
}

int params(PluginModule& module, const Arguments& args) {
    HostInstance instance(module.effect(), 2, 44100.0f);
    if (!instance.ok()) return fail("the plug-in did not create an instance");
    std::string error;
    if (args.has("--state") && !loadInto(instance, args.get("--state"), error)) return fail(error);
    const std::string verb = args.words.size() > 1 ? args.words[1] : "list";
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
    if (args.words.size() < 3) return fail("params " + verb + " wants a parameter identifier");
    const std::string id = args.words[2];
    if (instance.parameter(id) < 0) return fail("no parameter \"" + id + "\"");
    if (verb == "get") {
        std::printf("%s %.6f %s\n", id.c_str(), instance.parameter(id), instance.parameterText(id).c_str());
        return 0;
    }
    if (verb != "set") return fail("params knows list, get and set");
    double value = 0;
    if (args.words.size() < 4 || !number(args.words[3], value) || value < 0 || value > 1) return fail("params set wants a value from 0 to 1");
    if (!instance.setParameter(id, value)) return fail("the plug-in refused the value");
    std::printf("%s %.6f %s\n", id.c_str(), instance.parameter(id), instance.parameterText(id).c_str());
    if (args.has("--save") && !writeBytes(args.get("--save"), instance.saveState(), error)) return fail(error);
    return 0;
}

int state(PluginModule& module, const Arguments& args) {
    if (args.words.size() < 3 || (args.words[1] != "save" && args.words[1] != "load")) return fail("state wants save FILE or load FILE");
    HostInstance instance(module.effect(), 2, 44100.0f);
    if (!instance.ok()) return fail("the plug-in did not create an instance");
    std::string error;
    const std::string path = args.words[2];
    if (args.words[1] == "save") {
        if (args.has("--preset") && !loadInto(instance, args.get("--preset"), error)) return fail(error);
        const std::vector<uint8_t> bytes = instance.saveState();
        if (bytes.empty()) return fail("the plug-in gave no state");
        if (!writeBytes(path, bytes, error)) return fail(error);
        std::cout << "saved " << bytes.size() << " bytes to " << path << "\n";
        return 0;
    }
    if (!loadInto(instance, path, error)) return fail(error);
    std::cout << "loaded " << path << "\n";
    if (args.has("--save") && !writeBytes(args.get("--save"), instance.saveState(), error)) return fail(error);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    std::string modulePath = PluginModule::defaultPath(argv[0]);
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--module" && i + 1 < argc) {
            modulePath = argv[++i];
        } else if (word == "--content" && i + 1 < argc) {
            std::string error;
            if (!pointSettingsAt(argv[++i], error)) return fail(error);
        } else if (word.size() > 1 && word[0] == '-' && !(word.size() > 1 && (std::isdigit(word[1]) || word[1] == '.'))) {
            if (takesValue(word) && i + 1 < argc) args.options[word] = argv[++i];
            else if (takesValue(word)) return fail(word + " wants a value");
            else args.options[word] = "1";
        } else {
            args.words.push_back(word);
        }
    }
    if (args.words.empty()) {
        std::cout << kUsage;
        return args.has("--help") ? 0 : 2;
    }
    const std::string command = args.words[0];
    const auto help = kHelp.find(command);
    if (help == kHelp.end()) {
        std::cerr << "zorvane-host: unknown command \"" << command << "\"\n" << kUsage;
        return 2;
    }
    if (args.has("--help")) {
        std::cout << help->second;
        return 0;
    }
    PluginModule module(modulePath);
    if (!module.loaded()) return fail(module.error());
    if (command == "describe") return describe(module);
    if (command == "render") return render(module, args);
    if (command == "params") return params(module, args);
    if (command == "state") return state(module, args);
    ValidationSettings settings;
    double seconds = 0;
    if (args.has("--seconds") && number(args.get("--seconds"), seconds) && seconds > 0) settings.seconds = seconds;
    settings.quick = args.has("--quick");
    std::string error;
    if (args.has("--state") && !readFile(args.get("--state"), settings.state, error)) return fail(error);
    return runValidation(module, settings, std::cout) ? 0 : 1;
}
