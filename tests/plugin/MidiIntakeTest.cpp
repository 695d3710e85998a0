#include <gtest/gtest.h>

#include <chrono>
#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

#include "core/VstTypes.h"
#include "plugin/MidiEventQueue.h"
#include "plugin/ProgramLoader.h"

namespace {

VstMidiEvent midi(uint8_t status, uint8_t a, uint8_t b, int32_t frames = 0) {
    VstMidiEvent event{};
    event.type = 1;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = frames;
    event.midiData[0] = char(status);
    event.midiData[1] = char(a);
    event.midiData[2] = char(b);
    return event;
}

MidiEventRecord at(int32_t frames, int32_t data1) {
    MidiEventRecord record;
    record.deltaFrames = frames;
    record.code = kEventNoteOn;
    record.data1 = data1;
    return record;
}

}  // namespace

TEST(MidiIntake, TranslatesEachKindOfMessage) {
    using Action = MidiTranslation::Action;
    struct Case {
        uint8_t status, a, b;
        bool learnEditing;
        Action action;
        uint32_t code;
        int32_t data1, data2;
    } cases[] = {
        {0x90, 60, 100, false, Action::Queue, kEventNoteOn, 60, 100},
        {0x93, 60, 0, false, Action::Queue, kEventNoteOff, 60, 0},
        {0x80, 60, 64, false, Action::Queue, kEventNoteOff, 60, 64},
        {0xB0, 123, 0, false, Action::Queue, kEventAllNotesOff, 123, 0},
        {0xB1, 123, 0, false, Action::Queue, kEventController, 123, 0},
        {0xB0, 7, 99, true, Action::Drop, 0, 0, 0},
        {0xD0, 40, 0, true, Action::Drop, 0, 0, 0},
        {0xD2, 40, 0, false, Action::Queue, kEventChannelPressure, 40, 0},
        {0xE0, 0, 64, true, Action::Queue, kEventPitchBend, 0, 64},
        {0x90, 61, 90, true, Action::Queue, kEventNoteOn, 61, 90},
        {0xC0, 5, 0, false, Action::ProgramChange, 0, 5, 0},
        {0xC0, 5, 0, true, Action::Drop, 0, 0, 0},
        {0xA0, 60, 10, false, Action::Drop, 0, 0, 0},
        {0xF8, 0, 0, false, Action::Drop, 0, 0, 0},
        {0x90, 0xFF, 0xC0, false, Action::Queue, kEventNoteOn, 127, 64},  // data bytes held to 7 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << int(c.status) << " " << int(c.a));
        const MidiTranslation t = translateMidiEvent(midi(c.status, c.a, c.b, 9), c.learnEditing);
        EXPECT_EQ(t.action, c.action);
        if (c.action == Action::Queue) {
            EXPECT_EQ(t.record.code, c.code);
            EXPECT_EQ(t.record.channel, c.status & 0x0F);
            EXPECT_EQ(t.record.data2, c.data2);
            EXPECT_EQ(t.record.deltaFrames, 9);
        }
        if (c.action != Action::Drop) {
            EXPECT_EQ(t.record.data1, c.data1);
        }
    }
}

TEST(MidiIntake, QueueKeepsTimeOrderAsRelativeOffsetsAndDrainsPerTick) {
    MidiEventQueue queue;
    queue.queueEvent(at(10, 1));
    queue.queueEvent(at(5, 2));
    queue.queueEvent(at(10, 3));  // same time as the first: after it
    queue.queueEvent(at(40, 4));
    std::vector<std::pair<int32_t, int32_t>> chain;
    for (int32_t i = queue.getReadIndex(); i < queue.getWriteIndex(); ++i)
        chain.push_back({queue.at(i).data1, queue.at(i).deltaFrames});
    EXPECT_EQ(chain, (std::vector<std::pair<int32_t, int32_t>>{{2, 5}, {1, 5}, {3, 0}, {4, 30}}));

    std::vector<std::vector<int32_t>> perTick;
    for (int tick = 0; tick < 4; ++tick) {
        queue.spendFrames(16);
        std::vector<int32_t> due;
        MidiEventRecord record;
        while (queue.takeDue(record)) due.push_back(record.data1);
        perTick.push_back(due);
    }
    EXPECT_EQ(perTick, (std::vector<std::vector<int32_t>>{{2, 1, 3}, {}, {4}, {}}));
    EXPECT_EQ(queue.getWriteIndex(), 0);
}

TEST(MidiIntake, QueueCompactsAndDropsWhenFull) {
    MidiEventQueue queue;
    for (int i = 0; i < 511; ++i) queue.queueEvent(at(i, i));
    queue.queueEvent(at(600, 999));  // 511 pending and no room: dropped
    EXPECT_EQ(queue.pending(), 511);
    MidiEventRecord record;
    queue.spendFrames(300);
    int taken = 0;
    while (queue.takeDue(record)) ++taken;
    EXPECT_EQ(taken, 301);
    queue.queueEvent(at(0, 7));  // 210 pending: compacted to the front
    EXPECT_EQ(queue.getReadIndex(), 0);
    EXPECT_EQ(queue.pending(), 211);
    ASSERT_TRUE(queue.takeDue(record));
    EXPECT_EQ(record.data1, 7);
}

namespace {

MidiEventRecord codedAt(uint32_t code, int32_t frames, int32_t data1) {
    MidiEventRecord record = at(frames, data1);
    record.code = code;
    return record;
}

struct Pending {
    int32_t time;  // frames from the last tick
    uint32_t code;
    int32_t data1;
    bool operator==(const Pending&) const = default;
};

std::vector<Pending> pendingOf(const MidiEventQueue& queue) {
    std::vector<Pending> out;
    int32_t time = 0;
    for (int32_t i = queue.getReadIndex(); i < queue.getWriteIndex(); ++i) {
        time += queue.at(i).deltaFrames;
        out.push_back({time, queue.at(i).code, queue.at(i).data1});
    }
    return out;
}

}  // namespace

// Whatever fills the queue, a record that ends notes finds a place at its
// time: it takes the place of the latest note-on, else of the latest other
// record that ends nothing; with only releases waiting, the latest of them
// ends every note.  Everything else keeps its time, and other records are
// dropped as before.
TEST(MidiIntake, QueueNeverDropsARelease) {
    constexpr uint32_t on = kEventNoteOn, off = kEventNoteOff, cc = kEventController, all = kEventAllNotesOff;
    struct Case {
        const char* what;
        uint32_t (*filler)(int32_t i);
        int32_t taken;  // records taken out after the queue was filled
        MidiEventRecord incoming;
        int32_t removed;  // the filler that gives way (-1: none)
        bool kept;        // the incoming record is in the queue afterwards
        bool endsAll;     // the latest filler became an all-notes-off
    } cases[] = {
        {"note-ons: the latest gives way", [](int32_t) { return on; }, 0, codedAt(off, 600, 999), 510, true, false},
        {"an all-notes-off among note-ons", [](int32_t) { return on; }, 0, codedAt(all, 5, 999), 510, true, false},
        {"the latest note-on before a later controller", [](int32_t i) { return i % 2 ? on : cc; }, 0, codedAt(off, 600, 999), 509, true, false},
        {"controllers: the latest gives way", [](int32_t) { return cc; }, 0, codedAt(off, 300, 999), 510, true, false},
        {"only releases: the latest ends all", [](int32_t) { return off; }, 0, codedAt(off, 600, 999), -1, false, true},
        {"a note-on finds no room", [](int32_t) { return on; }, 0, codedAt(on, 600, 999), -1, false, false},
        {"411 waiting: a note-off is kept", [](int32_t) { return on; }, 100, codedAt(off, 600, 999), -1, true, false},
        {"411 waiting: a controller is dropped", [](int32_t) { return on; }, 100, codedAt(cc, 600, 999), -1, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MidiEventQueue queue;
        for (int32_t i = 0; i < 511; ++i) queue.queueEvent(codedAt(c.filler(i), i, i));
        MidiEventRecord taken;
        queue.spendFrames(c.taken);
        for (int32_t i = 0; i < c.taken; ++i) ASSERT_TRUE(queue.takeDue(taken));
        std::vector<Pending> expected = pendingOf(queue);
        queue.queueEvent(c.incoming);

        if (c.removed >= 0) std::erase_if(expected, [&](const Pending& p) { return p.data1 == c.removed; });
        if (c.endsAll) expected.back() = {expected.back().time, all, 0};
        if (c.kept) {
            const Pending in{c.incoming.deltaFrames, c.incoming.code, c.incoming.data1};
            expected.insert(std::upper_bound(expected.begin(), expected.end(), in,
                                             [](const Pending& a, const Pending& b) { return a.time < b.time; }),
                            in);
        }
        EXPECT_EQ(pendingOf(queue), expected);
        EXPECT_LE(queue.getWriteIndex(), MidiEventQueue::kCapacity - 1);
    }
}

// While the render stands still, events keep their order of arrival, even
// when a later block's offset is smaller, and go after everything waiting.
TEST(MidiIntake, EventsQueuedAfterPendingKeepTheirOrderOfArrival) {
    MidiEventQueue queue;
    queue.queueEvent(at(100, 1));
    queue.queueEventAfterPending(codedAt(kEventNoteOff, 10, 2));
    queue.queueEventAfterPending(at(400, 3));
    queue.queueEventAfterPending(codedAt(kEventNoteOff, 5, 4));
    EXPECT_EQ(pendingOf(queue), (std::vector<Pending>{{100, kEventNoteOn, 1}, {100, kEventNoteOff, 2}, {400, kEventNoteOn, 3},
                                                      {400, kEventNoteOff, 4}}));
}

TEST(ProgramLoader, ABurstEndsOnTheLastRequestAndStopJoinsDuringALoad) {
    std::mutex lock;
    std::vector<int32_t> loaded;
    std::atomic<bool> slow{true};
    ProgramLoader loader([&](int32_t program) {
        {
            std::lock_guard<std::mutex> hold(lock);
            loaded.push_back(program);
        }
        while (slow.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    loader.request(1);  // not started: ignored
    EXPECT_FALSE(loader.isBusy());
    ASSERT_TRUE(loader.start());
    loader.request(3);
    EXPECT_TRUE(loader.isBusy());
    while (true) {
        std::lock_guard<std::mutex> hold(lock);
        if (!loaded.empty()) break;
    }
    for (int32_t p : {4, 5, 6}) loader.request(p);  // while 3 is being applied
    slow.store(false);
    while (loader.isBusy()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(loaded, (std::vector<int32_t>{3, 6}));

    slow.store(true);
    loader.request(9);
    while (true) {
        std::lock_guard<std::mutex> hold(lock);
        if (loaded.size() == 3) break;
    }
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        slow.store(false);
    });
    loader.stop();  // waits for the load under way, then ends the worker
    release.join();
    EXPECT_EQ(loaded.back(), 9);
}
