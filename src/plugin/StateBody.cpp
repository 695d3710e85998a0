#include "plugin/StateBody.h"

#include <algorithm>
#include <cstdint>

#include "persistence/BWChunk.h"
#include "persistence/PresetInfo.h"

using namespace StateFormat;

namespace {

// Reads words up to the end of the data (the header's length or the words
// held, whichever is less); anything read beyond it fails the whole parse.
class BodyReader {
public:
    BodyReader(BWChunk& chunk, uint32_t end) : chunk(chunk), end(end) {}

    bool ok() const { return !chunk.hasFailed() && chunk.getPosition() <= end; }
    bool atEnd() const { return chunk.getPosition() >= end || chunk.hasFailed(); }
    uint32_t position() const { return chunk.getPosition(); }
    uint32_t left() const { return end > chunk.getPosition() ? end - chunk.getPosition() : 0; }
    int32_t word() { return atEnd() ? fail() : chunk.readInt(); }
    float real() { return atEnd() ? float(fail()) : chunk.readFloat(); }
    std::string text() {
        std::string out;
        if (atEnd()) {
            fail();
        } else {
            chunk.readString(out);
        }
        return out;
    }
    void skip(uint32_t words) { chunk.setPosition(chunk.getPosition() + words); }
    void stepBack() { chunk.stepBack(); }
    LearnEntry entry(int32_t version, int32_t tag) {
        const int32_t sub = version < 3 ? 0 : word();
        return {int16_t(tag), int16_t(sub)};
    }

private:
    int32_t fail() {
        failed = true;
        chunk.setPosition(end + 1);
        return 0;
    }

    BWChunk& chunk;
    uint32_t end;
    bool failed = false;

public:
    bool broken() const { return failed || !ok(); }
};

StateRefusal readBindings(BodyReader& in, StateBody& body) {
    for (;;) {
        const int32_t id = in.word();
        if (in.broken()) return StateRefusal::NotOurs;
        if (id == kEndOfBindings) return StateRefusal::None;
        const uint32_t count = uint32_t(in.word());
        // A count of 0 or beyond the data cannot be stepped over.
        if (in.broken() || count == 0 || count > in.left()) return StateRefusal::NotOurs;
        StoredBinding stored{id, in.position(), count, 0.0f};
        stored.firstValue = in.real();
        in.skip(count - 1);
        body.bindings.push_back(stored);
    }
}

void readLearnMap(BodyReader& in, StateBody& body) {
    body.hasLearnMap = true;
    for (int32_t controller = in.word(); controller != kEndOfMap && !in.broken(); controller = in.word()) {
        for (int32_t tag = in.word(); tag != kEndOfController && !in.broken(); tag = in.word()) {
            const LearnEntry entry = in.entry(body.version, tag);
            // Entries name parameters by their tag; one beyond 0..32767 names
            // none, and cut to sixteen bits it could come out as the list's
            // own end marker when the map is saved again.
            if (controller >= 0 && controller < MidiLearnMap::kControllers && tag >= 0 && tag <= INT16_MAX)
                body.learnMap.push_back({controller, entry});
        }
    }
}

void readNames(BodyReader& in, int32_t kind, StateBody& body) {
    const int32_t count = kind == 0 ? std::clamp(in.word(), 0, kNameCount) : 1;
    for (int32_t i = 0; i < count && !in.broken(); ++i) body.names.push_back(in.text());
}

void readTargets(BodyReader& in, StateBody& body) {
    const int32_t count = in.word();
    if (count < 0 || uint32_t(count) > in.left()) {
        in.skip(in.left() + 1);  // more entries than words: broken
        return;
    }
    body.hasTargets = true;
    for (int32_t i = 0; i < count && !in.broken(); ++i) {
        const int32_t tag = in.word();
        body.targets.push_back(in.entry(body.version, tag));
    }
    in.word();  // the closing word, not checked
}

void readTail(BodyReader& in, int32_t kind, StateBody& body) {
    const int32_t t = body.tail = in.word();
    if (kind == 0) {
        if (t >= 10 && t <= kTailVersion) {
            body.hasProgram = true;
            body.program = in.word();
            if (t >= 11) {
                body.hasBank = true;
                body.bank = in.word();
            }
        }
        if (t >= 14) readTargets(in, body);
    }
    if (t >= 15) in.skip(2);
}

// The words between the tail and the end word: an old block of extra words,
// an old string, or words a newer writer added.
void readTrailer(BodyReader& in, StateBody& body) {
    if (in.atEnd()) return;  // an old writer may end with the tail
    int32_t t = body.tail;
    if (in.word() == kBlockStart) {
        while (!in.atEnd() && in.word() != kBlockEnd) {
        }
        if (in.atEnd()) t = 0;
    } else {
        in.stepBack();
        if (t >= 16 && t <= 21) in.text();
    }
    if (t < 20 && body.version < 6) return;
    while (!in.atEnd()) {
        const int32_t w = in.word();
        if (w == kEndWord) return;
        if (w == kStringMarker) in.text();
    }
}

}  // namespace

StateRefusal parseStateBody(BWChunk& chunk, int32_t kind, StateBody& body) {
    if (!chunk.parseHeader(true)) return StateRefusal::Format;
    const uint32_t end = chunk.getDataLength();
    if (end > chunk.getCapacityWords() || end < BWChunk::kHeaderWords) return StateRefusal::Format;
    const uint32_t format = chunk.getFormatWord();
    if (format == BWChunk::kFormatPlainWithInfo || format == BWChunk::kFormatCompressedWithInfo) {
        PresetInfo skipped;
        if (!skipped.readChunk(&chunk, false)) return StateRefusal::NotOurs;
    }
    if (!chunk.inflateCompressedBody(true)) return StateRefusal::NotOurs;
    BodyReader in(chunk, std::min(chunk.getDataLength(), chunk.getCapacityWords()));
    in.word();  // the head length
    const int32_t one = in.word();
    if (in.broken()) return StateRefusal::NotOurs;
    if (one != 1) return StateRefusal::PluginVersion;
    body.version = in.word();
    if (body.version != 1 && (body.version < 2 || in.word() != kBodyMarker)) return StateRefusal::NotOurs;

    if (readBindings(in, body) != StateRefusal::None) return StateRefusal::NotOurs;
    if (kind == 0) readLearnMap(in, body);
    readNames(in, kind, body);
    readTail(in, kind, body);
    if (in.broken()) return StateRefusal::NotOurs;
    readTrailer(in, body);
    return in.broken() ? StateRefusal::NotOurs : StateRefusal::None;
}
