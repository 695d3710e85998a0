// The plug-in as a host sees it: Zorvane.so loaded with dlopen and driven
// through its entry points by the host stand-in, and zorvane-host run as a
// program.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "aax/AAX_CString.h"
#include "factory/FactoryContent.h"
#include "host/HostInstance.h"
#include "host/PluginModule.h"
#include "host/Render.h"
#include "support/TempDir.h"

namespace {

PluginModule& module() {
    static PluginModule* loaded = new PluginModule(ZORVANE_MODULE_PATH);
    return *loaded;
}

// Runs a command; answers its exit status and fills `output` with what it
// printed on both streams.
int run(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof(buffer), pipe)) output.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const std::string host = ZORVANE_HOST_PATH;

// The demo set-up's state: held keys become a sequence on layer 1.
const std::vector<uint8_t>& demoState() {
    static const std::vector<uint8_t> bytes = [] {
        TempDir folder;
        const std::string path = (folder.path() / "demo.state").string();
        std::string output;
        EXPECT_EQ(run(std::string(ZORVANE_DEMO_STATE_PATH) + " " + path, output), 0) << output;
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }();
    return bytes;
}

}  // namespace

TEST(Module, ExportsTheEntryPointsAndTheMessagePackFunctionsOnly) {
    std::string output;
    ASSERT_EQ(run("nm -D --defined-only " + std::string(ZORVANE_MODULE_PATH), output), 0);
    std::set<std::string> names;
    std::istringstream lines(output);
    for (std::string address, type, name; lines >> address >> type >> name;) names.insert(name);
    const std::set<std::string> entryPoints = {"ACFCanUnloadNow", "ACFGetClassFactory", "ACFGetSDKVersion", "ACFRegisterComponent",
                                               "ACFRegisterPlugin", "ACFShutdown", "ACFStartup"};
    for (const std::string& name : names) {
        const bool messagePack = name.starts_with("msgpack_unpack") || name.starts_with("msgpack_zone_") || name.starts_with("msgpack_object_");
        EXPECT_TRUE(entryPoints.count(name) || messagePack) << name;
    }
    for (const char* name : {"ACFRegisterPlugin", "ACFStartup", "msgpack_unpack", "msgpack_unpack_next", "msgpack_unpacker_new",
                             "msgpack_unpacker_free", "msgpack_zone_new", "msgpack_zone_free", "msgpack_object_print", "msgpack_object_equal"})
        EXPECT_TRUE(names.count(name)) << name;

    void* handle = dlopen(ZORVANE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr);
    auto zoneNew = reinterpret_cast<void* (*)(size_t)>(dlsym(handle, "msgpack_zone_new"));
    auto zoneFree = reinterpret_cast<void (*)(void*)>(dlsym(handle, "msgpack_zone_free"));
    ASSERT_TRUE(zoneNew && zoneFree);
    zoneFree(zoneNew(8192));
    dlclose(handle);
}

TEST(Module, EntryPointsAndDescriptionAreWhatTheHostExpects) {
    PluginModule& plugin = module();
    ASSERT_TRUE(plugin.loaded()) << plugin.error();
    uint64_t version = 0;
    EXPECT_EQ(plugin.sdkVersion(&version), 0);
    EXPECT_EQ(version, 0x00000204013449EAull);
    IACFUnknown* out = plugin.registrar().unknown();
    EXPECT_EQ(plugin.registerComponent(nullptr, nullptr, &out), 0);
    EXPECT_EQ(out, nullptr);
    void* factory = &version;
    EXPECT_EQ(plugin.getClassFactory(nullptr, nullptr, nullptr, &factory), -20009);
    EXPECT_EQ(factory, nullptr);
    EXPECT_EQ(plugin.startup(plugin.registrar().unknown()), 0);  // a second start-up keeps the first
    EXPECT_EQ(plugin.canUnloadNow(), 0);

    const char* component =
        "    field 1: audio input\n"
        "    field 2: audio output\n"
        "    field 3: audio buffer length\n"
        "    field 0: data-in port, 4 bytes, port type 1\n"
        "    field 6: data-in port, 8 bytes, port type 1\n"
        "    field 4: MIDI node type 0 \"Zorvane\", channel mask 0x1\n"
        "    field 5: MIDI node type 1 \"Zorvane\", channel mask 0xFFFF\n"
        "    native process procedure\n"
        "    property 60 = 1 (0x1)\n";
    const std::string expected = std::string(
                                     "manufacturer \"Brindlewick\"\n"
                                     "package \"Zorvane\"\n"
                                     "effect \"com.brindlewick.aax.Zorvane\"\n"
                                     "  name \"Zorvane\"\n"
                                     "  category 0x800\n"
                                     "  property 11 = 'BrWk'\n"
                                     "  property 12 = 'BWZv'\n"
                                     "  property 60 = 1 (0x1)\n"
                                     "  property 151 = 0 (0x0)\n"
                                     "  creation procedure 0\n"
                                     "  creation procedure 1\n"
                                     "  component 0x1\n") +
                                 component +
                                 "    property 51 = 1 (0x1)\n"
                                 "    property 52 = 1 (0x1)\n"
                                 "    property 13 = 'HMRF'\n"
                                 "  component 0x10002\n" +
                                 component +
                                 "    property 51 = 65538 (0x10002)\n"
                                 "    property 52 = 65538 (0x10002)\n"
                                 "    property 13 = 'HSRF'\n";
    EXPECT_EQ(plugin.registrar().describe(), expected);
    EXPECT_TRUE(plugin.registrar().asserts.empty());
}

TEST(Module, EightyEightParametersWithTheirIdsDefaultsStepsAndTexts) {
    HostInstance instance(module().effect(), 2, 44100.0f);
    ASSERT_TRUE(instance.ok());
    int32_t count = 0;
    instance.effect()->GetNumberOfParameters(&count);
    ASSERT_EQ(count, 88);
    const struct {
        int32_t index;
        const char* id;
        const char* name;
        int32_t steps;
        const char* text;
    } rows[] = {
        {0, "MasterBypassID", "Master Bypass", 2, "bypass"},
        {1, "0", "MasterLevel", 2147483647, "50.98%"},
        {6, "5", "Kick2Sidechain", 2, "Off"},
        {11, "10", "Osc1 Octave", 2147483647, "75.00%"},
        {87, "86", "Dly Feed 16", 2147483647, "19.98%"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(instance.parameterID(row.index), row.id);
        AAX_CString name;
        instance.effect()->GetParameterName(row.id, &name);
        EXPECT_STREQ(name.Get(), row.name);
        int32_t steps = 0;
        instance.effect()->GetParameterNumberOfSteps(row.id, &steps);
        EXPECT_EQ(steps, row.steps) << row.id;
        EXPECT_EQ(instance.parameterText(row.id), row.text);
    }
    // Every default is the core's value at the time, and so is every value.
    for (int32_t i = 0; i < count; ++i) {
        const std::string id = instance.parameterID(i);
        EXPECT_EQ(id, i == 0 ? "MasterBypassID" : std::to_string(i - 1));
        double defaultValue = -1;
        instance.effect()->GetParameterDefaultNormalizedValue(id.c_str(), &defaultValue);
        EXPECT_EQ(defaultValue, instance.parameter(id)) << id;
    }
}

TEST(Module, MonoAndStereoPlayTheMidiInAsGeneratedNotesAndStateMovesByteForByte) {
    std::vector<std::pair<int64_t, AAX_CMidiPacket>> notes[2];
    for (int channels : {1, 2}) {
        HostInstance instance(module().effect(), channels, 48000.0f);
        ASSERT_TRUE(instance.ok());
        ASSERT_EQ(instance.loadState(demoState()), 0);
        RenderSettings settings;
        settings.seconds = 0.5;
        settings.rate = 48000.0f;
        settings.nanFill = true;
        settings.block = 300;
        RenderResult result;
        renderEvents(instance, builtInPhrase(), settings, result);
        ASSERT_EQ(result.channels.size(), size_t(channels));
        for (const auto& channel : result.channels)
            for (float sample : channel) ASSERT_TRUE(std::isfinite(sample)) << channels;
        notes[channels - 1] = result.midiOut;
    }
    // The held chord comes back as a sequence of notes: four bytes each, on
    // the same samples whatever the channel format.
    ASSERT_GE(notes[0].size(), 4u);
    ASSERT_EQ(notes[0].size(), notes[1].size());
    int noteOns = 0;
    for (size_t i = 0; i < notes[0].size(); ++i) {
        EXPECT_EQ(notes[0][i].first, notes[1][i].first);
        EXPECT_EQ(notes[0][i].second.mLength, 4u);
        EXPECT_EQ(notes[0][i].second.mData[1], notes[1][i].second.mData[1]);
        noteOns += (notes[0][i].second.mData[0] & 0xF0) == 0x90;
    }
    EXPECT_GT(noteOns, 1);
    HostInstance a(module().effect(), 2, 44100.0f), b(module().effect(), 2, 44100.0f);
    for (const char* id : {"0", "12", "40", "86"}) a.setParameter(id, 0.3125);
    const std::vector<uint8_t> saved = a.saveState();
    ASSERT_FALSE(saved.empty());
    EXPECT_NE(b.saveState(), saved);
    ASSERT_EQ(b.loadState(saved), 0);
    EXPECT_EQ(b.saveState(), saved);
    EXPECT_FLOAT_EQ(float(b.parameter("40")), 0.3125f);  // the host list follows the loaded state
}

TEST(Module, AHundredInstancesComeAndGoAndTheModuleMayUnload) {
    ASSERT_TRUE(module().loaded());
    std::vector<std::unique_ptr<HostInstance>> instances;
    for (int i = 0; i < 100; ++i) {
        instances.push_back(std::make_unique<HostInstance>(module().effect(), 1 + i % 2, 44100.0f));
        ASSERT_TRUE(instances.back()->ok());
        if (i % 10 == 0) instances.back()->openView(nullptr);
        if (i % 3 == 0) instances.erase(instances.begin());
    }
    EXPECT_GT(module().canUnloadNow(), 0);
    instances.clear();
    EXPECT_EQ(module().canUnloadNow(), 0);
}

TEST(Module, HostProgramValidatesAndRefusesBadInputClearly) {
    TempDir folder;
    const std::string dir = folder.path().string();
    // Settings of its own: other tests point theirs at instrument folders.
    const std::string host = "ZORVANE_SETTINGS_DIR=" + dir + "/settings " + ::host;
    std::string output;
    {
        std::ofstream(dir + "/demo.state", std::ios::binary).write(reinterpret_cast<const char*>(demoState().data()), std::streamsize(demoState().size()));
    }
    EXPECT_EQ(run(host + " validate --quick --seconds 1 --state " + dir + "/demo.state", output), 0) << output;
    EXPECT_NE(output.find("validation passed"), std::string::npos) << output;
    EXPECT_EQ(output.find("MIDI output at block size 1: 0 packets"), std::string::npos) << output;
    EXPECT_NE(output.find("no allocation inside the process call: 0 allocations"), std::string::npos) << output;

    for (const char* command : {"describe", "render", "params", "state", "validate"}) {
        EXPECT_EQ(run(host + " " + command + " --help", output), 0);
        EXPECT_NE(output.find("usage: zorvane-host"), std::string::npos) << command;
    }
    std::ofstream(dir + "/bad.mid") << "MThd this is not";
    std::ofstream(dir + "/bad.zvp") << "not a preset at all";
    const struct {
        std::string command;
        const char* message;
    } failures[] = {
        {host + " --module " + dir + "/none.so describe", "no plug-in module at"},
        {host + " render --seconds 0.1 --midi " + dir + "/bad.mid -o " + dir + "/x.wav", "bad.mid: the MIDI file's header is cut short"},
        {host + " render --seconds 0.1 --midi " + dir + "/missing.mid -o " + dir + "/x.wav", "cannot open the MIDI file"},
        {host + " render --seconds 0.1 --preset " + dir + "/bad.zvp -o " + dir + "/x.wav", "is not a valid preset or state"},
        {host + " render --seconds 0.1 -o " + dir + "/no/such/folder/x.wav", "cannot write"},
        {host + " params get 87", "no parameter \"87\""},
    };
    for (const auto& row : failures) {
        EXPECT_NE(run(row.command, output), 0) << row.command;
        EXPECT_NE(output.find(row.message), std::string::npos) << output;
    }
    EXPECT_EQ(run(host + " state save " + dir + "/a.state", output), 0) << output;
    EXPECT_EQ(run(host + " params --state " + dir + "/a.state set 12 0.75 --save " + dir + "/b.state", output), 0) << output;
    EXPECT_EQ(run(host + " params --state " + dir + "/b.state get 12", output), 0) << output;
    EXPECT_NE(output.find("12 0.750000 75.00%"), std::string::npos) << output;
    EXPECT_EQ(run(host + " render --seconds 0.25 --state " + dir + "/b.state -o " + dir + "/out.wav", output), 0) << output;
    EXPECT_TRUE(std::filesystem::exists(dir + "/out.wav"));
}

// The demo's set-up played from a content folder: the first layer's factory
// instrument sounds on its own (the kick silenced), so the host's content
// settings survive the plug-in's start-up.
TEST(Module, HostPlaysTheDemoInstrumentFromAContentFolder) {
    TempDir folder;
    const std::string dir = folder.path().string();
    std::string error, output;
    ASSERT_TRUE(writeFactoryContent(folder.path() / "content", error)) << error;
    std::ofstream(dir + "/demo.state", std::ios::binary)
        .write(reinterpret_cast<const char*>(demoState().data()), std::streamsize(demoState().size()));
    // Settings of its own: --content writes them, and other tests read theirs.
    const std::string content = "ZORVANE_SETTINGS_DIR=" + dir + "/settings " + host + " --content " + dir + "/content ";
    EXPECT_EQ(run(content + "params --state " + dir + "/demo.state set 3 0 --save " + dir + "/quiet.state", output), 0)
        << output;
    EXPECT_EQ(run(content + "render --seconds 1 --state " + dir + "/quiet.state -o " + dir + "/keys.wav", output), 0)
        << output;
    const size_t at = output.find("peak ");
    ASSERT_NE(at, std::string::npos) << output;
    EXPECT_GT(std::stod(output.substr(at + 5)), 0.01) << output;
}

// Every instance the module makes has the interface's editor: its view
// answers the design size and idles, also after the editor was opened.
TEST(Module, InstancesCarryTheEditorOfTheDesignSize) {
    HostInstance instance(module().effect(), 2, 44100.0f);
    using CreateProc = IACFUnknown* (*)();
    auto create = reinterpret_cast<CreateProc>(module().effect().procedure(1));
    ASSERT_NE(create, nullptr);
    IACFUnknown* made = create();
    void* out = nullptr;
    ASSERT_EQ(made->QueryInterface(IID_IACFEffectGUI, &out), ACF_OK);
    auto* gui = static_cast<AAX_IACFEffectGUI*>(out);
    gui->Initialize(static_cast<AAX_IACFController*>(&instance));
    EXPECT_EQ(gui->SetViewContainer(&instance.viewContainer), AAX_SUCCESS);
    AAX_Point size{};
    ASSERT_EQ(gui->GetViewSize(&size), AAX_SUCCESS);
    EXPECT_EQ(size.horz, 960.0f);
    EXPECT_EQ(size.vert, 697.0f);
    EXPECT_EQ(gui->TimerWakeup(), AAX_SUCCESS);
    gui->SetViewContainer(nullptr);
    gui->Uninitialize();
    gui->Release();
}
