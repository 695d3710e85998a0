#include "persistence/MidiFileWriter.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "persistence/BWDropSource.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes writtenBytes(MidiFileWriter& writer, const TempDir& folder) {
    const std::string path = (folder / "out.mid").string();
    EXPECT_TRUE(writer.writeFile(path));
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void add(MidiFileWriter& writer, uint8_t status, uint8_t a, uint8_t b, double position) {
    const uint8_t data[4] = {status, a, b, 0};
    writer.addEvent(data, position);
}

std::string run(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
        pclose(pipe);
    }
    return out;
}

const Bytes kTrackHead = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08};

}  // namespace

TEST(MidiFileWriter, AnEmptyExportIsOneTrackOfTempoAndMeterOnly) {
    TempDir folder;
    MidiFileWriter writer(120, 4.0, 960);
    Bytes expected = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x03, 0xC0, 'M', 'T', 'r', 'k', 0, 0, 0, 0x13};
    expected.insert(expected.end(), kTrackHead.begin(), kTrackHead.end());
    expected.insert(expected.end(), {0x00, 0xFF, 0x2F, 0x00});
    EXPECT_EQ(writtenBytes(writer, folder), expected);
    EXPECT_EQ(expected.size(), 41u);

    MidiFileWriter slow(90, 4.0, 960), zero(0, 4.0, 960);
    const Bytes slowFile = writtenBytes(slow, folder);
    EXPECT_EQ(Bytes(slowFile.begin() + 26, slowFile.begin() + 29), (Bytes{0x0A, 0x2C, 0x2A}));
    EXPECT_EQ(writtenBytes(zero, folder)[28], 0x00);  // tempo raised to 1: 60000000 = 0x3938700
}

TEST(MidiFileWriter, DeltasEventsAndHangingNotes) {
    TempDir folder;
    MidiFileWriter writer(120, 100.0, 960);
    // Deltas of 0, 128, 16383 and 16384 ticks (positions in 1/240 quarters
    // land exactly on these ticks at 960 a quarter).
    add(writer, 0x90, 60, 100, 0.0);
    add(writer, 0xB0, 7, 99, 128 / 960.0);
    add(writer, 0x80, 60, 0, (128 + 16384) / 960.0);
    add(writer, 0xC0, 5, 0, (128 + 16384 + 16384) / 960.0);
    add(writer, 0x90, 64, 90, 40.0);
    add(writer, 0x90, 64, 90, 40.0);       // started twice: one note-off
    add(writer, 0x91, 1, 1, 100.0);        // note-on at the end: dropped
    add(writer, 0xF8, 0, 0, 1.0);          // system message: ignored
    add(writer, 0x80, 61, 0, 101.0);       // note-off past the end: kept
    writer.releaseHangingNotes(100.0);
    EXPECT_EQ(writer.countTracks(), 1);
    const Bytes file = writtenBytes(writer, folder);
    const Bytes events(file.begin() + 22 + kTrackHead.size(), file.end() - 4);
    const Bytes expected = {0x00, 0x90, 60, 100,                    // delta 0
                            0x81, 0x00, 0xB0, 7, 99,                // delta 128
                            0x81, 0x80, 0x00, 0x80, 60, 0,          // delta 16384
                            0x81, 0x80, 0x00, 0xC0, 5,              // program change: one data byte
                            0xAB, 0x00, 0x90, 64, 90,               // to tick 38400
                            0x00, 0x90, 64, 90,
                            0x83, 0xC2, 0x00, 0x80, 64, 0,          // released at the end, sorted before
                            0x87, 0x40, 0x80, 61, 0};               // the later note-off
    EXPECT_EQ(events, expected);
    EXPECT_EQ(file[11], 1);  // one track, format 0
    EXPECT_EQ(file[9], 0);
}

TEST(MidiFileWriter, ChannelsBecomeTracksThatIndependentReadersAgreeOn) {
    TempDir folder;
    MidiFileWriter writer(120, 8.0, 960);
    add(writer, 0x91, 60, 100, 0.5);
    add(writer, 0x81, 60, 0, 1.0);
    add(writer, 0x9A, 36, 127, 2.0);
    add(writer, 0xDA, 33, 0, 2.25);
    writer.releaseHangingNotes(8.0);
    const std::string path = (folder / "out.mid").string();
    ASSERT_TRUE(writer.writeFile(path));

    // mido reads strictly (clip off, every byte accounted for).
    const std::string mido = run("/usr/bin/python3 -c \"import mido,sys\n"
                                 "f=mido.MidiFile(sys.argv[1])\n"
                                 "print(f.type,f.ticks_per_beat,len(f.tracks))\n"
                                 "for t in f.tracks:\n"
                                 " n=0\n"
                                 " for m in t:\n"
                                 "  n+=m.time; print(n, m.type, getattr(m,'tempo',''), getattr(m,'channel',''))\n\" " +
                                 path + " 2>&1");
    EXPECT_EQ(mido,
              "1 960 2\n"
              "0 set_tempo 500000 \n0 time_signature  \n480 note_on  1\n960 note_off  1\n960 end_of_track  \n"
              "0 set_tempo 500000 \n0 time_signature  \n1920 note_on  10\n2160 aftertouch  10\n"
              "7680 note_off  10\n7680 end_of_track  \n");
    const std::string csv = run("midicsv " + path + " 2>&1");
    EXPECT_NE(csv.find("0, 0, Header, 1, 2, 960"), std::string::npos) << csv;
    EXPECT_NE(csv.find("2, 2160, Channel_aftertouch_c, 10, 33"), std::string::npos) << csv;
    EXPECT_NE(csv.find("2, 7680, Note_off_c, 10, 36, 0"), std::string::npos) << csv;
}

TEST(MidiFileWriter, QuantisesToTheGridAndDragsTheFileOut) {
    EXPECT_EQ(MidiFileWriter::quantise(1.0 / 480 - 1e-9), 0.0);
    EXPECT_EQ(MidiFileWriter::quantise(1.0 / 480), 1.0 / 240);
    EXPECT_EQ(MidiFileWriter::quantise(std::nan("")), 0.0);
    EXPECT_EQ(MidiFileWriter::tickOf(-1.0, 960), 0);
    EXPECT_EQ(MidiFileWriter::tickOf(1e12, 960), 2147483647);

    TempDir folder;
    MidiFileWriter writer(120, 4.0, 960);
    platform::DragOutRequest seen;
    std::array<int32_t, 3> answers{};
    auto previous = platform::setDragOutReceiver([&](const platform::DragOutRequest& request) {
        seen = request;
        answers = {request.source->QueryContinueDrag(false, platform::kKeyLeftButton),
                   request.source->QueryContinueDrag(false, 0), request.source->QueryContinueDrag(true, 1)};
        return platform::kDropEffectCopy;
    });
    writer.dragFileOut();  // nothing written yet: no drag
    EXPECT_TRUE(seen.path.empty());
    writtenBytes(writer, folder);
    writer.dragFileOut();
    platform::setDragOutReceiver(previous);
    EXPECT_EQ(seen.path, (folder / "out.mid").string());
    EXPECT_EQ(seen.allowedEffects, 5u);
    EXPECT_EQ(answers, (std::array<int32_t, 3>{0, platform::kDragDrop, platform::kDragCancel}));

    auto* source = new BWDropSource();
    void* object = &answers;
    EXPECT_EQ(source->QueryInterface({1, 2, 3, {}}, &object), BWDropSource::kNoInterface);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(source->QueryInterface(BWDropSource::kDropSourceId, &object), 0);
    EXPECT_EQ(object, source);
    EXPECT_EQ(source->GiveFeedback(0), platform::kDragUseDefaultCursors);
    EXPECT_EQ(source->Release(), 1u);
    EXPECT_EQ(source->Release(), 0u);
}
