#include "editor/MidiExport.h"

#include <memory>

#include "core/StateTurn.h"
#include "core/VstTypes.h"
#include "persistence/BWFileio.h"
#include "persistence/MidiFileWriter.h"
#include "platform/Framework.h"
#include "platform/GuiThread.h"
#include "plugin/BWUniClient.h"

namespace {

constexpr uint32_t kTicksPerQuarter = 960;
constexpr double kTickSamples = 16.0;

// The render reads the export's own transport and hands its notes to the
// writer while this lives; the host's process calls resume when it goes.
class OfflineRender {
public:
    explicit OfflineRender(BWUniClient& client) : client(client), render(client.renderState()) {
        render.ownTimeInfo.ppqPos = 0.0;
        render.ownTimeInfo.tempo = client.getSystemInfo()->tempo;
        render.ownTimeInfo.flags = 0;
        render.ownTransport.store(true);
        render.skipAudio.store(true);
    }
    ~OfflineRender() {
        render.exportWriter = nullptr;
        render.skipAudio.store(false);
        render.ownTransport.store(false);
        client.endOfflineExport();
    }
    OfflineRender(const OfflineRender&) = delete;
    OfflineRender& operator=(const OfflineRender&) = delete;

    void tick() {
        client.renderExportTick();
        ++calls;
    }

    BWUniClient& client;
    RenderState& render;
    int32_t calls = 0;
};

// The state stays as the export found it from its first tick to its last:
// the turn is parked meanwhile, and what the host asks for waits for the
// park's end (core/StateTurn.h).
class StatePark {
public:
    explicit StatePark(BWUniClient& client)
        : client(client), turn(client.guiTurn(true)), parked(turn.owns_lock() && client.parkState()) {}
    ~StatePark() { end(); }
    StatePark(const StatePark&) = delete;
    StatePark& operator=(const StatePark&) = delete;

    bool ok() const { return parked; }
    // Applies what waited; the turn goes back to the view's timer call.
    void end() {
        if (parked) client.unparkState();
        parked = false;
        if (turn.owns_lock()) turn.unlock();
    }

private:
    BWUniClient& client;
    std::unique_lock<StateTurn> turn;
    bool parked;
};

void reportAudioBusy() {
    AlertPrintf("The audio engine stayed busy: the %s MIDI export was not made.", getProductName());
}

}  // namespace

std::string midiExportFileName(const std::string& programName) {
    std::string name = programName;
    for (char& c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) c = '_';
    }
    for (size_t i = 0; i < name.size() && name[i] == '.'; ++i) name[i] = '_';
    return name + ".mid";
}

MidiExportReport runMidiExport(BWUniClient& client, int32_t restartTag) {
    ZORVANE_ASSERT_GUI_THREAD();
    MidiExportReport report;
    StatePark park(client);
    // What the editor set just before (the length among it) reaches the
    // engine first, also when the host has stopped processing.
    if (!park.ok() || !client.beginOfflineExport(EngineHold::kEditTries)) {
        park.end();
        reportAudioBusy();
        return report;
    }
    if (!client.deriveNow()) {
        client.endOfflineExport();
        park.end();
        reportAudioBusy();
        return report;
    }
    // Named after the program it was made from, whatever loads once it ends.
    const std::string programName = client.getCurrentProgramName();
    std::unique_ptr<MidiFileWriter> writer;
    {
        OfflineRender offline(client);
        VstTimeInfo& transport = offline.render.ownTimeInfo;
        // Released and pressed again around one tick, the run switch starts
        // the sequence from its first step.
        if (restartTag != -1) {
            client.setParameter(restartTag, 0.0f);
            offline.tick();
            transport.flags = TimeInfoFlags::TransportPlaying;
            client.setParameter(restartTag, 1.0f);
        } else {
            transport.flags = TimeInfoFlags::TransportPlaying;
        }
        client.audioEngine().eventQueue().clear();

        report.lengthBeats = static_cast<double>(client.state().patterns.exportBars[1]) * 4.0;
        report.tempo = static_cast<uint32_t>(transport.tempo);
        writer = std::make_unique<MidiFileWriter>(report.tempo, report.lengthBeats, kTicksPerQuarter);
        offline.render.exportWriter = writer.get();
        const double step = kTickSamples / static_cast<double>(client.getSystemInfo()->samplesPerBeatF.load());
        while (report.lengthBeats >= transport.ppqPos) {
            offline.tick();
            transport.ppqPos += step;
        }
        client.setParameter(restartTag, 0.0f);
        report.renderCalls = offline.calls;
    }
    park.end();
    writer->releaseHangingNotes(report.lengthBeats);
    report.path = getTempPath() + midiExportFileName(programName);
    if (writer->writeFile(report.path)) {
        writer->dragFileOut();
        report.outcome = MidiExportReport::Outcome::Dragged;
    } else {
        AlertPrintf("Could not open Midi File for writing!!!");
        report.outcome = MidiExportReport::Outcome::NotWritten;
    }
    return report;
}
