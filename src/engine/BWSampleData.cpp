#include "engine/BWSampleData.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <new>

#include "persistence/BWChunk.h"
#include "persistence/PathStrings.h"
#include "platform/Dialogs.h"

// Channel arrays are read from and written to chunk words as raw bytes: the
// word encoding is little-endian, and so are the arrays on this target.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr int32_t kChunkVersion = 1;
// The most frames an array of frames plus its tail can count.
constexpr int32_t kMaxFrames = std::numeric_limits<int32_t>::max() - BWSampleData::kTailValues;

uint32_t wordsPerChannel(int32_t frames) {
    return (static_cast<uint32_t>(frames) + 1) / 2;
}

std::unique_ptr<int16_t[]> newChannel(int32_t frames) {
    return std::unique_ptr<int16_t[]>(new (std::nothrow) int16_t[size_t(frames) + BWSampleData::kTailValues]());
}

// The voices step through the values at rate / host rate: a rate that is not
// a number, not positive or absurdly high would send them out of the data.
bool isUsableRate(float rate) {
    return rate >= 1.0f && rate <= 1.0e6f;
}

// Stored data may hold Windows paths; "\" separates folders there.
std::string nativePath(const char* path) {
    std::string native(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

// The values after the last frame, so that a voice interpolating past the end
// reads what it would hear next: the loop's start when looping, else the
// sample's start.
void writeTail(int16_t* values, int32_t frames, uint32_t from) {
    if (!values || frames <= 0) return;
    const int32_t start = from < static_cast<uint32_t>(frames) ? static_cast<int32_t>(from) : 0;
    const int32_t span = frames - start;
    for (int32_t k = 0; k < BWSampleData::kTailValues; ++k) values[frames + k] = values[start + k % span];
}

}  // namespace

struct BWSampleData::Values {
    std::unique_ptr<int16_t[]> left;
    std::unique_ptr<int16_t[]> right;
    int32_t frames = 0;
};

struct BWSampleData::Loop {
    uint32_t start = 0;
    uint32_t end = 0;
    bool on = false;
};

// A sample chunk taken apart, before anything of the sample changes.
struct BWSampleData::ChunkContent {
    int32_t version = 0;
    bool embedded = false;
    Loop loop;
    float rate = 0.0f;  // 0: the chunk holds no rate
    Values values;
    std::string text;   // the sample's name (embedded) or its audio file (reference)
};

std::atomic<uint32_t> BWSampleData::writersWaiting{0};

// Counted before the gate closes and until after it opens again, so that a
// voice that finds no writer counted may skip its own gate's look: its hold
// keeps any writer out all the same, and at most one tick later it sees the
// count and lets go.
struct BWSampleData::VoicesHeldOff {
    struct Counted {
        Counted() { writersWaiting.fetch_add(1); }
        ~Counted() { writersWaiting.fetch_sub(1); }
        Counted(const Counted&) = delete;
        Counted& operator=(const Counted&) = delete;
    };

    explicit VoicesHeldOff(UseGate& gate) : change(gate.tryFor(kVoiceWaitMilliseconds)) {}
    explicit operator bool() const { return static_cast<bool>(change); }

    const Counted counted;  // first: it outlives the change
    const UseGate::Change change;
};

BWSampleData::BWSampleData() : BWChunkableClass(kTypeSampleData) {}

BWSampleData::~BWSampleData() {
    const VoicesHeldOff change(voicesGate);
    if (!change) voicesKeptTheSample();
    left.reset();
    right.reset();
}

bool BWSampleData::beginRead() {
    if (voicesGate.enter()) return true;
    voicesGate.leave();
    return false;
}

void BWSampleData::endRead() {
    voicesGate.leave();
}

void BWSampleData::attachVoice() {
    boundVoices.fetch_add(1);
}

void BWSampleData::detachVoice() {
    boundVoices.fetch_sub(1);
}

bool BWSampleData::isUsedByVoices() const {
    return boundVoices.load() > 0 || voicesGate.isInUse();
}

void BWSampleData::setDataChangedCallback(DataChangedCallback callback, void* context) {
    onDataChanged = callback;
    callbackContext = context;
}

bool BWSampleData::voicesKeptTheSample() {
    platform::reportNonBlocking("A voice did not release its sample; the sample was left unchanged.");
    return false;
}

// Swaps the new values in while the voices are held off; the previous ones
// end up in `values` and are freed by the caller after the voices resume.
bool BWSampleData::install(Values& values, float rate, const Loop& loop, bool notify) {
    writeTail(values.left.get(), values.frames, loop.on ? loop.start : 0);
    writeTail(values.right.get(), values.frames, loop.on ? loop.start : 0);
    // While the change is held no voice is inside a read, and none gets in.
    const VoicesHeldOff change(voicesGate);
    if (!change) return voicesKeptTheSample();
    left.swap(values.left);
    right.swap(values.right);
    frames = values.frames;
    framesFloat = static_cast<float>(frames);
    sampleRate = rate;
    loopStart = loop.start;
    loopEnd = loop.end;
    loopOn = loop.on;
    if (notify && onDataChanged) onDataChanged(this, callbackContext);
    return true;
}

bool BWSampleData::clear() {
    Values none;
    if (!install(none, sampleRate, Loop{loopStart, loopEnd, loopOn}, false)) return false;
    fileName = "empty";
    sampleName = "empty";
    return true;
}

bool BWSampleData::setLoop(uint32_t start, uint32_t end, bool on) {
    if (on && start >= static_cast<uint32_t>(frames)) return false;
    const VoicesHeldOff change(voicesGate);
    if (!change) return voicesKeptTheSample();
    loopStart = start;
    loopEnd = end;
    loopOn = on;
    writeTail(left.get(), frames, on ? start : 0);
    writeTail(right.get(), frames, on ? start : 0);
    return true;
}

bool BWSampleData::setData(const int16_t* leftValues, const int16_t* rightValues, int32_t count, float rate) {
    if (count < 0 || count > kMaxFrames || (count > 0 && !leftValues) || !isUsableRate(rate)) return false;
    Values values;
    values.frames = count;
    if (count > 0) {
        values.left = newChannel(count);
        if (!values.left) return false;
        std::copy_n(leftValues, count, values.left.get());
        if (rightValues && rightValues != leftValues) {
            values.right = newChannel(count);
            if (!values.right) return false;
            std::copy_n(rightValues, count, values.right.get());
        }
    }
    if (!install(values, rate, Loop{loopStart, loopEnd, loopOn}, true)) return false;
    loaded = true;
    findFirstRisingZeroCrossing();
    return true;
}

void BWSampleData::findFirstRisingZeroCrossing() {
    for (int32_t i = 1; i < frames; ++i) {
        if (int32_t(left[i - 1]) * left[i] < 0 && left[i] >= 1) {
            firstRisingZeroCrossing = i;
            return;
        }
    }
}

bool BWSampleData::loadAudioFile(const char* path, AudioFile::ProgressCallback callback, void* context,
                                 Values& values, float& rate, bool& memoryShort) {
    memoryShort = false;
    if (!path) return false;
    AudioFile file(callback, context);
    if (file.open(nativePath(path).c_str()) != kAudioOpened) return false;
    values.frames = file.getFrames();
    rate = static_cast<float>(file.getSampleRate());
    if (values.frames > kMaxFrames || !isUsableRate(rate)) return false;
    values.left = newChannel(values.frames);
    values.right = newChannel(values.frames);
    memoryShort = !values.left || !values.right;
    if (memoryShort || file.readExactInt16(values.left.get(), values.right.get()) != 1) return false;
    if (file.getChannels() == 1) values.right.reset();
    if (values.frames == 0) values = Values{};  // no arrays without frames
    return true;
}

bool BWSampleData::importAudioFile(const char* path, AudioFile::ProgressCallback callback, void* context) {
    Values values;
    float rate = 0.0f;
    bool memoryShort = false;
    return loadAudioFile(path, callback, context, values, rate, memoryShort) &&
           installFile(path, values, rate, loopStart, loopOn);
}

// The loop ends with the file's frames; a loop start from an earlier, longer
// sample (or from a chunk) would point past the data and goes back to 0.
bool BWSampleData::installFile(const std::string& path, Values& values, float rate, uint32_t start, bool on) {
    const uint32_t count = static_cast<uint32_t>(values.frames);
    if (!install(values, rate, Loop{start < count ? start : 0, count, on && count > 0}, false)) return false;
    fileName = path;
    sampleName = ::getBaseName(path);
    loaded = true;
    findFirstRisingZeroCrossing();
    return true;
}

bool BWSampleData::exportWave(const char* folder) {
    // The name comes from stored data: it must not lead out of the folder.
    const std::string name = ::getFileName(sampleName);
    if (!left || frames <= 0 || name.empty() || name == "." || name == "..") return false;
    std::string path = folder ? folder : "";
    appendBackslash(path);
    path += name + ".wav";
    AudioFile file;
    if (!file.openForWriting(path.c_str(), AudioFile::kWav, static_cast<int32_t>(std::lround(sampleRate))))
        return false;
    return file.createInt16(left.get(), right ? right.get() : left.get(), frames) == 1;
}

// Every count is checked against the words left before anything is
// allocated; any inconsistency refuses the whole chunk.
bool BWSampleData::parseChunk(BWChunk& chunk, ChunkContent& content) {
    const uint32_t first = static_cast<uint32_t>(chunk.readInt());
    int32_t count = static_cast<int32_t>(first);
    if (first == kMarker) {
        content.version = chunk.readInt();
        count = chunk.readInt();
    }
    content.embedded = chunk.readInt() != 0;
    content.loop.start = static_cast<uint32_t>(chunk.readInt());
    content.loop.end = static_cast<uint32_t>(chunk.readInt());
    content.loop.on = chunk.readInt() != 0;
    if (chunk.hasFailed() || count < 0 || count > kMaxFrames) return false;
    content.values.frames = count;
    if (count == 0) return true;
    if (content.loop.on && content.loop.start >= static_cast<uint32_t>(count)) return false;
    if (!content.embedded) {
        chunk.readString(content.text);
        return !chunk.hasFailed();
    }
    if (content.version > 0) {
        content.rate = chunk.readFloat();
        if (!isUsableRate(content.rate)) return false;
    }
    const int32_t channels = chunk.readInt();
    if (chunk.hasFailed() || channels < 1 || channels > 2) return false;
    const uint64_t valueWords = uint64_t(wordsPerChannel(count)) * uint64_t(channels);
    if (valueWords + 1 > chunk.wordsLeft()) return false;  // + the name's length word
    content.values.left = newChannel(count);
    if (channels == 2) content.values.right = newChannel(count);
    if (!content.values.left || (channels == 2 && !content.values.right)) return false;
    chunk.readBytes(content.values.left.get(), 4 * wordsPerChannel(count));
    if (channels == 2) chunk.readBytes(content.values.right.get(), 4 * wordsPerChannel(count));
    chunk.readString(content.text);
    return !chunk.hasFailed();
}

int32_t BWSampleData::readChunk(BWChunk* chunk, bool skipOnly) {
    if (!chunk) return kChunkReadAbandon;
    ChunkContent content;
    if (!parseChunk(*chunk, content)) return kChunkReadAbandon;
    if (skipOnly) {
        loaded = true;
        return kChunkReadOk;
    }
    return applyChunk(*chunk, content);
}

int32_t BWSampleData::applyChunk(BWChunk& chunk, ChunkContent& content) {
    // Written again, the sample takes the form it was read in: a sample read
    // with its values embedded has no file to refer to.  The form changes
    // only with the values, so that a sample the voices kept keeps its form.
    const bool reference = content.values.frames > 0 && !content.embedded;
    if (reference && content.text != "empty") {
        const std::string& path = content.text;
        Values values;
        float rate = 0.0f;
        bool memoryShort = false;
        const bool imported = loadAudioFile(path.c_str(), nullptr, nullptr, values, rate, memoryShort);
        if (memoryShort) return kChunkReadAbandon;
        if (chunk.isRecordingFiles()) (imported ? chunk.usedFiles() : chunk.missingFiles()).push_back(path);
        if (imported) {
            if (!installFile(path, values, rate, content.loop.start, content.loop.on)) return kChunkReadFailed;
            embedData = false;
            return kChunkReadOk;
        }
        // The sample stays empty but remembers what it could not find.
        Values none;
        if (!install(none, sampleRate, content.loop, false)) return kChunkReadFailed;
        embedData = false;
        fileName = path;
        sampleName = "empty";
        loaded = true;
        return kChunkReadFailed;
    }
    if (reference) content.values = Values{};  // a reference to no file: an empty sample
    const float rate = content.rate > 0.0f ? content.rate : sampleRate;
    if (!install(content.values, rate, content.loop, false)) return kChunkReadFailed;
    embedData = content.embedded;
    fileName = "empty";
    sampleName = content.embedded && content.values.frames > 0 ? content.text : "empty";
    loaded = true;
    return kChunkReadOk;
}

void BWSampleData::writeValues(BWChunk& chunk, const int16_t* values) const {
    const uint32_t pairs = static_cast<uint32_t>(frames) / 2;
    chunk.writeBytes(values, 4 * pairs);
    // The pad half of an odd count's last word is not a value: it stays 0.
    if (frames % 2) chunk.writeInt(static_cast<uint16_t>(values[frames - 1]));
}

void BWSampleData::writeChunk(BWChunk* chunk) {
    if (!chunk) return;
    chunk->writeInt(static_cast<int32_t>(kMarker));
    chunk->writeInt(kChunkVersion);
    if (skipData) {
        for (int i = 0; i < 5; ++i) chunk->writeInt(0);
        return;
    }
    chunk->writeInt(frames);
    chunk->writeInt(embedData ? 1 : 0);
    chunk->writeInt(static_cast<int32_t>(loopStart));
    chunk->writeInt(static_cast<int32_t>(loopEnd));
    chunk->writeInt(loopOn ? 1 : 0);
    if (frames == 0) return;
    if (!embedData) {
        chunk->writeString(fileName.c_str());
        return;
    }
    chunk->writeFloat(sampleRate);
    chunk->writeInt(right ? 2 : 1);
    writeValues(*chunk, left.get());
    if (right) writeValues(*chunk, right.get());
    chunk->writeString(sampleName.c_str());
}
