// zorvane-host, zorvane-factory and zorvane-demo-state run as a user runs
// them: what `make demo` renders, sounding as a musician would keep it and
// repeating bit for bit; the validation battery passing every time; and the
// command-line conventions.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "ProgramRuns.h"
#include "factory/FactoryContent.h"
#include "factory/FactoryPresets.h"
#include "factory/FactorySetUps.h"
#include "host/MidiFile.h"
#include "host/Render.h"
#include "platform/SettingsStoreKey.h"
#include "support/AudioMeasure.h"
#include "support/TempDir.h"

namespace {

// A format-0 MIDI file at 480 ticks a quarter: C, E and G held for `quarters`,
// with "set tempo" events at the given (quarter, bpm) points.
std::vector<uint8_t> heldChordFile(double quarters, const std::vector<std::pair<double, double>>& tempos) {
    std::vector<uint8_t> track;
    uint32_t last = 0;
    auto at = [&](double q) {
        const uint32_t tick = uint32_t(q * 480), delta = tick - last;
        last = tick;
        for (int shift = 21; shift > 0; shift -= 7)
            if (delta >> shift) track.push_back(uint8_t(0x80 | ((delta >> shift) & 0x7F)));
        track.push_back(uint8_t(delta & 0x7F));
    };
    for (auto [q, bpm] : tempos) {
        at(q);
        const uint32_t us = uint32_t(std::lround(60e6 / bpm));
        track.insert(track.end(), {0xFF, 0x51, 0x03, uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)});
    }
    for (uint8_t note : {60, 64, 67}) at(0), track.insert(track.end(), {0x90, note, 100});
    for (uint8_t note : {60, 64, 67}) at(quarters), track.insert(track.end(), {0x80, note, 0});
    at(quarters);
    track.insert(track.end(), {0xFF, 0x2F, 0x00});
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k'};
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back(uint8_t(track.size() >> shift));
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

// A folder of its own with the factory content, and the programs pointed at
// it (the settings too: other tests point theirs elsewhere).
struct DemoFolder {
    TempDir folder;
    std::string dir = folder.str();
    std::string settings = "ZORVANE_SETTINGS_DIR=" + dir + "/settings ";
    std::string host = settings + kHostProgram + " --content " + dir + "/content ";
    DemoFolder() {
        std::string error;
        EXPECT_TRUE(writeFactoryContent(folder.path() / "content", error)) << error;
        EXPECT_TRUE(writeFile(dir + "/demo.state", demoState()));
    }
};

}  // namespace

// What `make demo` renders: the built-in phrase (C, A minor, F, G, a bar each)
// with the demo state.  Every half second holds a pitched sound, and while
// the phrase plays it is the bar's chord that sounds (its three strongest
// pitch classes); the channels differ (chorus, echo, hall and the layers'
// pans); the peak lies between -6 and -1 dBFS.  The same command writes the
// same file; another seed another take.
TEST(HostProgram, TheDemoSoundsThroughEveryBarAndRepeatsBitForBit) {
    DemoFolder demo;
    const std::string render = demo.host + "render --state " + demo.dir + "/demo.state --seconds 10 -o " + demo.dir;
    std::string output;
    ASSERT_EQ(run(render + "/demo.wav", output), 0) << output;
    ASSERT_EQ(run(render + "/again.wav", output), 0) << output;
    ASSERT_EQ(run(render + "/seeded.wav --seed 2", output), 0) << output;
    EXPECT_EQ(readAll(demo.dir + "/demo.wav"), readAll(demo.dir + "/again.wav"));
    EXPECT_NE(readAll(demo.dir + "/demo.wav"), readAll(demo.dir + "/seeded.wav"));

    std::vector<std::vector<float>> channels;
    double rate = 0;
    ASSERT_TRUE(readAudioFile(demo.dir + "/demo.wav", channels, rate));
    ASSERT_EQ(channels.size(), 2u);
    const RenderMeasure m = measureRender(channels, rate);
    const std::string heard = describe(m);
    ASSERT_EQ(m.windows.size(), 20u) << heard;
    for (size_t w = 0; w < m.windows.size(); ++w) {
        EXPECT_GE(m.windows[w].aboveMedianDb, 20.0) << "window " << w << ": " << heard;
        if (w < 16) {
            EXPECT_GE(m.windows[w].dbfs, -45.0) << "window " << w << ": " << heard;
        }
    }
    const std::set<int> chords[4] = {{0, 4, 7}, {0, 4, 9}, {0, 5, 9}, {2, 7, 11}};  // the right hand's
    std::vector<float> sum(channels[0].size());
    for (size_t i = 0; i < sum.size(); ++i) sum[i] = channels[0][i] + channels[1][i];
    const size_t bar = size_t(2 * rate);
    for (size_t b = 0; b < 4; ++b) {
        const Spectrum spectrum = spectrumOf(sum.data() + b * bar + bar / 8, bar - bar / 8, rate);
        EXPECT_EQ(strongestPitchClasses(spectrum, 250, 2100, 3), chords[b]) << "bar " << b + 1;
    }
    EXPECT_GE(m.pitchClasses.size(), 3u) << heard;
    EXPECT_FALSE(m.identicalChannels);
    EXPECT_LT(m.correlation, 0.95) << heard;
    EXPECT_GE(20 * std::log10(m.peak), -6.0) << heard;
    EXPECT_LE(20 * std::log10(m.peak), -1.0) << heard;
}

// The battery renders many instances and compares them sample for sample;
// they all start their random variations from the same seed.
TEST(HostProgram, ValidateWithTheDemoStatePassesEveryTime) {
    DemoFolder demo;
    for (int runs = 0; runs < 5; ++runs) {
        std::string output;
        EXPECT_EQ(run(demo.host + "validate --quick --seconds 1 --state " + demo.dir + "/demo.state", output), 0) << output;
        EXPECT_NE(output.find("validation passed"), std::string::npos) << output;
    }
}

TEST(HostProgram, FollowsTheCommandLineConventions) {
    DemoFolder demo;
    const std::string& dir = demo.dir;
    std::ofstream(dir + "/bad.zvp") << "not a preset at all";
    std::filesystem::create_directories(dir + "/empty/Instruments");
    writeFile(dir + "/held.mid", heldChordFile(4, {}));
    writeFile(dir + "/held96.mid", heldChordFile(4, {{0, 96}}));
    // In the folder, so that whatever a program wrongly creates shows there.
    const std::string in = "cd " + dir + " && " + demo.settings;
    const std::string host = in + kHostProgram + " ";
    const struct {
        std::string command;
        int status;
        std::string says;
    } cases[] = {
        {host + "-h", 0, "usage: zorvane-host [--module PATH]"},
        {host + "--help", 0, "usage: zorvane-host [--module PATH]"},
        {host + "render -h", 0, "usage: zorvane-host render"},
        {host + "params --help", 0, "usage: zorvane-host params"},
        {host + "--version", 0, "zorvane-host 1."},
        {host + "--bogus", 2, "unknown option --bogus\nusage: zorvane-host"},
        {host + "render --bogus", 2, "unknown option --bogus\nusage: zorvane-host render"},
        {host + "params --bogus list", 2, "unknown option --bogus\nusage: zorvane-host params"},
        {host + "render -o a.wav -o b.wav", 2, "-o is given twice\nusage: zorvane-host render"},
        {host + "render -o a.wav --output b.wav", 2, "render takes -o or --output, not both"},
        {host + "--content empty --content . describe", 2, "--content is given twice"},
        {host + "content", 2, "content wants a folder\nusage: zorvane-host content"},
        {host + "content empty extra", 2, "content takes no argument \"extra\""},
        {host + "render --tempo", 2, "--tempo wants a value"},
        {host + "describe extra", 2, "describe takes no argument \"extra\"\nusage: zorvane-host describe"},
        {host + "render stray -o x.wav", 2, "render takes no argument \"stray\""},
        {host + "describe --midi held.mid", 2, "describe takes no option --midi"},
        {host + "params get 17 18", 2, "params get takes no argument \"18\""},
        {host + "state save", 2, "state save wants a file"},
        // A value an option cannot take: one status, the value named as
        // typed, what is wrong with it, what the option takes, the usage.
        {host + "render --seed x", 2, "--seed \"x\" is not a number; it takes whole numbers 0..4294967295\nusage: zorvane-host render"},
        {host + "render --seed -1", 2, "--seed \"-1\" is out of range"},
        {host + "validate --seed 1.5", 2, "--seed \"1.5\" is not a whole number; it takes whole numbers 0..4294967295\nusage: zorvane-host validate"},
        {host + "render --block 1.5", 2, "--block \"1.5\" is not a whole number; it takes whole numbers 1..65536 samples\nusage"},
        {host + "render --block 65537", 2, "--block \"65537\" is out of range; it takes whole numbers 1..65536 samples\nusage"},
        {host + "render --block ''", 2, "--block \"\" is not a number"},
        {host + "render --tempo 12x", 2, "--tempo \"12x\" is not a number; it takes 20..999 BPM\nusage"},
        {host + "render --tempo 1000", 2, "--tempo \"1000\" is out of range; it takes 20..999 BPM\nusage"},
        // Whole hertz that the plug-in plays (at another rate it would keep
        // its own, out of tune).
        {host + "render --rate 44100.5", 2,
         "--rate \"44100.5\" is not a whole number; it takes whole numbers 11050..196000 Hz, the rates the plug-in plays\nusage: zorvane-host render"},
        {host + "render --rate 8000", 2,
         "--rate \"8000\" is out of range; it takes whole numbers 11050..196000 Hz, the rates the plug-in plays\nusage: zorvane-host render"},
        {host + "render --rate 11049 -o low.wav", 2, "--rate \"11049\" is out of range"},
        {host + "render --rate 196001", 2, "--rate \"196001\" is out of range"},
        {host + "render --rate 48k", 2, "--rate \"48k\" is not a number"},
        // Decimal numbers only, as the usage says.
        {host + "render --rate 0xAC44", 2, "--rate \"0xAC44\" is not a number"},
        {host + "render --tempo 0x78", 2, "--tempo \"0x78\" is not a number"},
        {host + "render --tempo +-96", 2, "--tempo \"+-96\" is not a number"},
        {host + "params set 'Osc1 Level' 0x0.8", 2, "params set's value \"0x0.8\" is not a number; it takes 0..1"},
        {host + "render --seconds inf", 2, "--seconds \"inf\" is not a number"},
        // A length of one block at least; the shortest length shown is taken.
        {host + "render --seconds abc", 2,
         "--seconds \"abc\" is not a number; it takes 0.01161..3600 s (one block of 512 samples at 44100 Hz at least)\nusage"},
        {host + "render --seconds nan", 2, "--seconds \"nan\" is not a number"},
        {host + "render --seconds ' 1'", 2, "--seconds \" 1\" is not a number"},
        {host + "render --seconds 1e-9", 2, "--seconds \"1e-9\" is out of range; it takes 0.01161..3600 s (one block of 512 samples"},
        {host + "render --seconds 0.25 --rate 11050 --block 4096", 2,
         "--seconds \"0.25\" is out of range; it takes 0.370679..3600 s (one block of 4096 samples at 11050 Hz at least)"},
        {host + "render --seconds 0.01161 -o a.wav", 0, "wrote a.wav: 0.01161 s"},
        {host + "render --seconds 0.002 --block 16 --rate 1.2e4 -o b.wav", 0, "wrote b.wav: 0.002 s, 2 channels, 12000 Hz"},
        {host + "render --seconds 0.01 --block 16 --mono -o m.wav", 0, "wrote m.wav: 0.01 s, 1 channel, 44100 Hz"},
        {host + "validate --seconds 0.05", 2,
         "--seconds \"0.05\" is out of range; it takes 0.09288..600 s (a block of 4096 samples at 44100 Hz at least)\nusage: zorvane-host validate"},
        {host + "validate --seconds x", 2, "--seconds \"x\" is not a number"},
        {host + "validate --help", 0, "--quick      three block sizes (1, 137, 4096) instead of six"},
        {host + "params set 17 abc", 2, "params set's value \"abc\" is not a number; it takes 0..1\nusage: zorvane-host params"},
        {host + "params set 17 1.5", 2, "params set's value \"1.5\" is out of range"},
        {host + "params get 'osc1 LEVEL  '", 0, "17 0.510000 51.00%"},
        {host + "params set 'Osc1 Level' 0.25", 0, "17 0.250000 25.00%"},
        {host + "params get Nonesuch", 1, "no parameter \"Nonesuch\""},
        {host + "render --seconds 0.1 --preset bad.zvp", 1, "not a Zorvane state or preset file: bad.zvp"},
        {host + "state load bad.zvp", 1, "not a Zorvane state or preset file: bad.zvp"},
        {in + kHostProgram + " --content empty render --seconds 0.1 -o none.wav --state demo.state", 0,
         "warning: demo.state: the state names the instrument \"Soft Keys\" for layer 1"},
        {in + kFactoryProgram + " --help", 0, "usage: zorvane-factory FOLDER"},
        {in + kFactoryProgram + " a b", 2, "zorvane-factory: takes one path, not also \"b\""},
        {in + kFactoryProgram + " --version", 0, "zorvane-factory 1."},
        {in + kDemoStateProgram + " -h", 0, "usage: zorvane-demo-state FILE"},
        {in + kDemoStateProgram + " --bogus x.state", 2, "zorvane-demo-state: unknown option --bogus"},
        {in + kDemoStateProgram, 2, "zorvane-demo-state: wants a path"},
        {in + kGuiSheetProgram + " --help", 0, "usage: zorvane-gui-sheet [--images"},
        {in + kGuiSheetProgram + " --widgets -h", 0, "usage: zorvane-gui-sheet"},
        {in + kGuiSheetProgram + " --bogus x.png", 2, "zorvane-gui-sheet: unknown option --bogus"},
        // Without the tests' leak suppressions: the sheets leave nothing behind.
        {in + "LSAN_OPTIONS= " + kGuiSheetProgram + " sheet.png", 0, ""},
        {in + "LSAN_OPTIONS= " + kGuiSheetProgram + " --menus menus.png", 0, ""},
    };
    for (const auto& c : cases) {
        std::string output;
        EXPECT_EQ(run(c.command, output), c.status) << c.command << "\n" << output;
        EXPECT_NE(output.find(c.says), std::string::npos) << c.command << "\n" << output;
    }
    for (const char* created : {"--help", "-h", "a", "x.wav", "x.png", "demo.wav", "-", "low.wav"}) EXPECT_FALSE(std::filesystem::exists(dir + "/" + created)) << created;
    for (const char* sheet : {"sheet.png", "menus.png"}) EXPECT_GT(readAll(dir + "/" + sheet).size(), 1000u) << sheet;

    // "-o -" writes the WAV file to the standard output, the summary beside it.
    std::string output;
    ASSERT_EQ(run("(" + host + "render --seconds 0.5 --midi held.mid -o - > piped.wav)", output), 0) << output;
    EXPECT_NE(output.find("wrote the standard output"), std::string::npos) << output;
    ASSERT_EQ(run(host + "render --seconds 0.5 --midi held.mid -o file.wav", output), 0) << output;
    EXPECT_EQ(readAll(dir + "/piped.wav"), readAll(dir + "/file.wav"));

    // The file's tempo map is followed, unless --tempo gives one.
    const struct {
        std::string a, b;
        bool same;
    } tempos[] = {
        {"--midi held96.mid", "--midi held.mid --tempo 96", true},
        {"--midi held96.mid --tempo 120", "--midi held.mid", true},
        {"--midi held96.mid", "--midi held.mid", false},
    };
    const std::string render = "cd " + dir + " && " + demo.host + "render --seconds 2 --state demo.state ";
    for (const auto& t : tempos) {
        ASSERT_EQ(run(render + "-o a.wav " + t.a, output), 0) << output;
        ASSERT_EQ(run(render + "-o b.wav " + t.b, output), 0) << output;
        EXPECT_EQ(readAll(dir + "/a.wav") == readAll(dir + "/b.wav"), t.same) << t.a << " / " << t.b;
    }
}

// A tempo change in the middle of a file moves everything after it.
TEST(HostProgram, TheTempoMapPlacesNotesThroughEachChange) {
    std::vector<TimedMidi> events;
    std::vector<TempoChange> tempos;
    std::string error;
    ASSERT_TRUE(parseMidiFile(heldChordFile(8, {{0, 120}, {4, 60}}), events, error, &tempos)) << error;
    ASSERT_EQ(tempos.size(), 2u);
    const TempoMap map(100, tempos);
    const struct {
        double quarters, seconds, bpm;
    } points[] = {{0, 0, 120}, {2, 1, 120}, {4, 2, 60}, {8, 6, 60}};
    for (const auto& p : points) {
        EXPECT_DOUBLE_EQ(map.secondsAt(p.quarters), p.seconds) << p.quarters;
        EXPECT_DOUBLE_EQ(map.tempoAtSeconds(p.seconds), p.bpm) << p.quarters;
    }
    EXPECT_DOUBLE_EQ(TempoMap(90, {}).secondsAt(3), 2.0);
}

TEST(HostProgram, ValidatesAndRefusesBadInputClearly) {
    TempDir folder;
    const std::string dir = folder.path().string();
    // Settings of its own: other tests point theirs at instrument folders.
    const std::string host = "ZORVANE_SETTINGS_DIR=" + dir + "/settings " + kHostProgram;
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
        {host + " render --seconds 0.1 --midi " + dir + "/missing.mid -o " + dir + "/x.wav", "missing.mid: No such file or directory"},
        {host + " render --seconds 0.1 --preset " + dir + "/bad.zvp -o " + dir + "/x.wav", "not a Zorvane state or preset file"},
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
TEST(HostProgram, PlaysTheDemoInstrumentFromAContentFolder) {
    TempDir folder;
    const std::string dir = folder.path().string();
    std::string error, output;
    ASSERT_TRUE(writeFactoryContent(folder.path() / "content", error)) << error;
    std::ofstream(dir + "/demo.state", std::ios::binary)
        .write(reinterpret_cast<const char*>(demoState().data()), std::streamsize(demoState().size()));
    // Settings of its own: --content writes them, and other tests read theirs.
    const std::string content = "ZORVANE_SETTINGS_DIR=" + dir + "/settings " + kHostProgram + " --content " + dir + "/content ";
    EXPECT_EQ(run(content + "params --state " + dir + "/demo.state set 3 0 --save " + dir + "/quiet.state", output), 0)
        << output;
    EXPECT_EQ(run(content + "render --seconds 1 --state " + dir + "/quiet.state -o " + dir + "/keys.wav", output), 0)
        << output;
    const size_t at = output.find("peak ");
    ASSERT_NE(at, std::string::npos) << output;
    EXPECT_GT(std::stod(output.substr(at + 5)), 0.01) << output;
}

// render --preset takes the factory's sound and sequence presets as the
// preset menus load them, on top of --state: those that hold the demo's own
// part leave the demo's render as it was, bit for bit; the other sound
// presets change its colour by 3 dB or more, the other sequence presets the
// notes it plays.  A render with no state or global preset says that the
// instance has no instruments, one with the demo's state does not; a file
// that is no preset of its kind is refused by its kind.
TEST(HostProgram, RendersTheFactorysSoundAndSequencePresetsOnASetUp) {
    DemoFolder demo;
    const std::string& dir = demo.dir;
    std::string error, output;
    ASSERT_TRUE(writeFactoryPresets(std::filesystem::path(dir) / "content", error)) << error;
    std::ofstream(dir + "/bad.zvk") << "not a preset at all";
    const std::string render = "cd " + dir + " && " + demo.host + "render --seconds 4 ";
    const std::string noInstruments = "note: the instance has no instruments";
    auto notesOut = [&output] {
        const size_t at = output.find(" MIDI packets out");
        if (at == std::string::npos) return std::string();
        const size_t from = output.rfind(' ', at - 1) + 1;
        return output.substr(from, at - from);
    };

    ASSERT_EQ(run(render + "--state demo.state -o demo.wav", output), 0) << output;
    EXPECT_EQ(output.find(noInstruments), std::string::npos) << output;
    const std::string demoNotes = notesOut();
    ASSERT_FALSE(demoNotes.empty()) << output;
    for (const char* alone : {"", "--preset 'content/Sequences/Factory/Block Pulse.zvk' "}) {
        ASSERT_EQ(run(render + alone + "-o alone.wav", output), 0) << output;
        EXPECT_NE(output.find(noInstruments), std::string::npos) << alone << "\n" << output;
    }
    EXPECT_EQ(run(render + "--preset bad.zvk -o bad.wav", output), 1) << output;
    EXPECT_NE(output.find("not a Zorvane sequence preset: bad.zvk"), std::string::npos) << output;

    auto colourOf = [&](const std::string& file) {
        std::vector<std::vector<float>> channels;
        double rate = 0;
        EXPECT_TRUE(readAudioFile(dir + "/" + file, channels, rate)) << file;
        const size_t settled = size_t(rate / 2);
        return channels.empty() ? std::vector<double>{} : bandColour(channels[0].data() + settled, channels[0].size() - settled, rate);
    };
    const std::vector<double> demoColour = colourOf("demo.wav");
    for (const FactoryPreset& preset : factoryPresets()) {
        if (preset.kind == 0) continue;
        const std::string file = factoryPresetPath("content", preset).string();
        ASSERT_EQ(run(render + "--state demo.state --preset '" + file + "' -o part.wav", output), 0) << output;
        EXPECT_EQ(output.find(noInstruments), std::string::npos) << output;
        if (preset.setUp == factory::pianoArpeggio) {
            EXPECT_EQ(readAll(dir + "/part.wav"), readAll(dir + "/demo.wav")) << preset.name;
        } else if (preset.kind == 1) {
            EXPECT_GE(meanDifferenceDb(colourOf("part.wav"), demoColour), 3.0) << preset.name;
        } else {
            EXPECT_NE(notesOut(), demoNotes) << preset.name << "\n" << output;
        }
    }
}

// A global preset given to render loads as the preset menus and program
// changes load it: "Chord Select" stays as the state below set it.  Over a
// state in SEQUENCE, "Night Hall" plays bit for bit as the preset restored
// as a state with SEQUENCE set, and unlike the preset restored as it is
// (its chords from the keys).
TEST(HostProgram, APresetOnAStateKeepsTheStatesChordSelect) {
    DemoFolder demo;
    std::string error, output;
    ASSERT_TRUE(writeFactoryPresets(std::filesystem::path(demo.dir) / "content", error)) << error;
    const std::string host = "cd " + demo.dir + " && " + demo.host;
    const std::string hall = "'content/Global Presets/Factory/Night Hall.zvp'";
    ASSERT_EQ(run(host + "params --state demo.state set \"Chord Select\" 0 --save sequence.state", output), 0) << output;
    ASSERT_EQ(run(host + "params --state " + hall + " set \"Chord Select\" 0 --save hall.state", output), 0) << output;
    for (const std::string& take : {"--state sequence.state --preset " + hall + " -o over.wav", std::string("--state hall.state -o hall.wav"),
                                    "--state " + hall + " -o keys.wav"})
        ASSERT_EQ(run(host + "render --seconds 4 " + take, output), 0) << output;
    EXPECT_EQ(readAll(demo.dir + "/over.wav"), readAll(demo.dir + "/hall.wav"));
    EXPECT_NE(readAll(demo.dir + "/hall.wav"), readAll(demo.dir + "/keys.wav"));
}

// --content is the run's own: the settings hold afterwards what they held
// before, missing values missing again; `content DIR` points them there for
// good, so that a later run without --content plays from DIR.
TEST(HostProgram, TheContentFolderIsTheRunsOwnUnlessMadeLasting) {
    DemoFolder demo;
    const std::string& dir = demo.dir;
    std::filesystem::create_directories(dir + "/other/Instruments");
    auto stored = [&](const char* name) {
        const auto key = platform::SettingsStoreKey::open(std::filesystem::path(dir) / "settings", "Software\\Brindlewick\\Zorvane");
        const auto value = key ? key->read(name) : std::nullopt;
        return value ? value->data : std::string("<missing>");
    };
    const std::string plain = demo.settings + kHostProgram + " ";
    const std::string renderDemo = "render --seconds 1 --state " + dir + "/demo.state -o " + dir + "/out.wav";
    const struct {
        std::string command;
        std::string contentPath, presetPath;  // afterwards
    } steps[] = {
        {plain + "--content " + dir + "/other " + renderDemo, "<missing>", "<missing>"},
        {plain + "content " + dir + "/content", dir + "/content/", dir + "/content/Global Presets/"},
        {plain + "--content " + dir + "/other " + renderDemo, dir + "/content/", dir + "/content/Global Presets/"},
    };
    std::string output;
    for (const auto& step : steps) {
        EXPECT_EQ(run(step.command, output), 0) << step.command << "\n" << output;
        EXPECT_EQ(stored("contentpath"), step.contentPath) << step.command;
        EXPECT_EQ(stored("presetpath0"), step.presetPath) << step.command;
        EXPECT_EQ(stored("InstrumentsPath"), step.contentPath == "<missing>" ? step.contentPath : step.contentPath + "Instruments/");
    }
    // The lasting folder's instruments play without --content.
    ASSERT_EQ(run(plain + renderDemo, output), 0) << output;
    const size_t at = output.find("peak ");
    ASSERT_NE(at, std::string::npos) << output;
    EXPECT_GT(std::stod(output.substr(at + 5)), 0.05) << output;
}
