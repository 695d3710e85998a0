#include "core/BWTable.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <new>
#include <typeinfo>

#include "core/BWSystemInfo.h"
#include "core/PatternRandom.h"
#include "core/StateResetList.h"
#include "persistence/BWChunk.h"
#include "platform/AlignedMemory.h"

namespace {

std::atomic<BWTable*> tableClipboard{nullptr};
// Held while the slot changes and while a paste reads the table in it, which
// may be another instance's: that table cannot die meanwhile.  Constant-
// initialised, so that it outlives every table.
std::mutex tableClipboardLock;

// Without an owner a table behaves as at 44.1 kHz, 120 bpm, 16-sample ticks.
constexpr double kFallbackSamplesPerBeat = 22050.0;
constexpr double kFallbackTickLength = 16.0;
constexpr float kNoRamp = -100.0f;
constexpr float kNeighbourNudge = 0.0001f;

// Truncates a position towards zero as the index conversion does; positions
// at or below −1, NaN and positions beyond any table give no index.
bool truncatedIndex(float position, uint64_t& index) {
    if (!(position > -1.0f) || !(position < static_cast<float>(BWTable::kMaxPoints))) return false;
    index = static_cast<uint64_t>(position);
    return true;
}

bool insideTable(float position, uint64_t count) {
    return position >= 0.0f && position < static_cast<float>(count);
}

// The ramp counts 0, 1, 2 … and starts again at 0 where the next value would
// reach the ramp length; a length of exactly 100 never restarts.
float nextRampValue(float r, float length) {
    return (length != 100.0f && !(r + 1.0f < length)) ? 0.0f : r + 1.0f;
}

float limited(float value, float low, float high) {
    if (value > high) value = high;
    if (value < low) value = low;
    return value;
}

}  // namespace

BWTable::BWTable(BWSystemInfo* tableOwner, uint64_t pointCount)
    : BWChunkableClass(kTypeTable), initialLength(static_cast<float>(pointCount)), owner(tableOwner) {
    if (!resize(pointCount, kResizeFresh) && pointCount <= kMaxPoints) throw std::bad_alloc();
    // Set after the first resize, so that the first array is never tracked.
    flags.fetch_or(kDefaultFlags);
}

BWTable::~BWTable() {
    leaveTableClipboard();
    if (values != nullptr && hasFlag(kTracked) && owner != nullptr && owner->trackedBufferList != nullptr)
        owner->trackedBufferList->remove(values.get());
    values.reset();
    count.store(0, std::memory_order_relaxed);
}

// Only the table in the slot can be under a paste; the slot changes only
// under the lock, so a table that is not in it needs no lock to go.
void BWTable::leaveTableClipboard() {
    if (tableClipboard.load() != this) return;
    const std::lock_guard<std::mutex> locked(tableClipboardLock);
    BWTable* self = this;
    tableClipboard.compare_exchange_strong(self, nullptr);
}

BWTable* BWTable::clipboardTable() { return tableClipboard.load(); }

float BWTable::sanitizedPoint(float value, float low, float high) {
    if (std::isnan(value)) return low;
    return std::isinf(value) ? limited(value, low, high) : value;
}

// ---- flags and small helpers -------------------------------------------

void BWTable::setFlags(uint32_t word) {
    const uint32_t marks = kBusy | kInUseByView;
    uint32_t current = flags.load();
    while (!flags.compare_exchange_weak(current, (word & ~marks) | (current & marks))) {
    }
    noteEdit();
}

void BWTable::setRange(float low, float high) {
    min = low;
    max = high;
    noteEdit();
}

void BWTable::noteEdit() const {
    if (owner != nullptr) owner->tableEdits.fetch_add(1, std::memory_order_release);
}

void BWTable::setBusy(bool on) {
    if (on) {
        flags.fetch_or(kBusy);
    } else {
        flags.fetch_and(~kBusy);
    }
    noteEdit();  // a busy table reads 0
}

void BWTable::setViewInUse(bool inUse) {
    // The mark stays in the flag word, where the view reads it; only its
    // changes enter or leave the view gate.
    if (inUse) {
        if ((flags.fetch_or(kInUseByView) & kInUseByView) == 0) viewGate.enter();
    } else if ((flags.fetch_and(~kInUseByView) & kInUseByView) != 0) {
        viewGate.leave();
    }
}

float BWTable::rampLength() const { return owner != nullptr ? owner->randomLimit : kNoRamp; }

bool BWTable::isRampTable() const { return defaultValue == kRampDefault && max > 1.0f; }

float BWTable::normalize(float value) const {
    const float span = std::fabs(max - min);
    if (!(span > 0.0f)) return 0.0f;  // an empty range has no position within it
    return limited((value - min) / span, 0.0f, 1.0f);
}

float BWTable::interpolatedAt(float position) const {
    const auto index = static_cast<uint64_t>(position);
    // The wrap point makes index + 1 valid for the last point.
    const float here = point(index);
    return here + (position - static_cast<float>(index)) * (point(index + 1) - here);
}

void BWTable::storePoint(uint64_t index, float value) {
    putPoint(index, value);
    if (index == 0) putPoint(getCount(), value);
}

float BWTable::previousPoint(uint64_t index) const { return point(index == 0 ? getCount() - 1 : index - 1); }

float BWTable::stepOfRange() const { return (min == 0.0f && max == 1.0f) ? 0.05f : 1.0f; }

// ---- structure ----------------------------------------------------------

float BWTable::beatsOf(uint64_t n) const {
    const double perBeat = owner != nullptr ? owner->samplesPerBeat.load() : kFallbackSamplesPerBeat;
    const double tick = owner != nullptr ? owner->tickLength : kFallbackTickLength;
    if (!(perBeat > 0.0)) return 0.0f;
    return static_cast<float>(static_cast<double>(n) * tick / perBeat);
}

uint64_t BWTable::pointsOfBeats(float beats) const {
    const double perBeat = owner != nullptr ? owner->samplesPerBeat.load() : kFallbackSamplesPerBeat;
    const double tick = owner != nullptr ? owner->tickLength : kFallbackTickLength;
    const double points = tick > 0.0 ? perBeat * beats / tick : 0.0;
    if (!(points >= 0.0)) return 0;
    return points >= static_cast<double>(kMaxPoints) ? kMaxPoints : static_cast<uint64_t>(points);
}

void BWTable::fillByResetRule(float* points, uint64_t n) const {
    if (!isRampTable()) {
        std::fill_n(points, n, defaultValue);
        return;
    }
    const float length = rampLength();
    float r = 0.0f;
    for (uint64_t i = 0; i < n; ++i) {
        points[i] = r;
        r = nextRampValue(r, length);
    }
}

void BWTable::fillNewPoints(float* points, uint64_t n, int32_t mode) const {
    const uint64_t old = getCount();
    if (mode == kResizeStretch && old > 0) {
        // Entry k takes old entry k × old/new, so the old points spread evenly
        // over the new length; entry n lands on the old wrap point.
        points[0] = point(0);
        for (uint64_t k = 1; k <= n; ++k) points[k] = point(std::min(old, k * old / n));
    } else if (mode == kResizeKeep || mode == kResizeStretch) {
        std::fill_n(points, n + 1, defaultValue);
        if (values != nullptr)
            for (uint64_t k = 0; k < std::min(old, n); ++k) points[k] = point(k);
    } else {
        fillByResetRule(points, n);
    }
    points[n] = points[0];  // the wrap point always mirrors point 0
}

void BWTable::limitPoints(float* points, uint64_t n) const {
    for (uint64_t i = 0; i <= n; ++i) points[i] = limited(points[i], min, max);
}

AlignedFloats BWTable::makePoints(uint64_t n, int32_t mode) const {
    if (n == 0) return nullptr;
    AlignedFloats points(AlignedAllocFloats(n + 1));
    if (points == nullptr) return nullptr;
    fillNewPoints(points.get(), n, mode);
    limitPoints(points.get(), n);
    return points;
}

void BWTable::installPoints(AlignedFloats points, uint64_t n) {
    const bool track = hasFlag(kTracked) && owner != nullptr && owner->trackedBufferList != nullptr;
    {
        UseGate::Change change(pointsGate);
        values.swap(points);
        count.store(n, std::memory_order_relaxed);
    }
    noteEdit();
    // points now holds the old array, which no reader can reach any more.
    if (track) {
        if (values != nullptr) owner->trackedBufferList->append(values.get(), (n + 1) * sizeof(float), 0.0f);
        if (points != nullptr) owner->trackedBufferList->remove(points.get());
    }
    if (n > 0) lengthInBeats = beatsOf(n);
}

bool BWTable::resize(uint64_t n, int32_t mode) {
    if (n == getCount()) return true;
    if (!takesLength(n)) return false;
    setBusy(true);
    const UseGate::Change viewChange = waitForView();
    AlignedFloats points = makePoints(n, mode);
    const bool made = n == 0 || points != nullptr;
    if (made) installPoints(std::move(points), n);
    setBusy(false);
    return made;
}

void BWTable::setLengthInBeats(float beats, int32_t mode) {
    lengthInBeats = beats;
    resize(pointsOfBeats(beats), mode);
}

void BWTable::setLengthInBars(float bars, int32_t mode) { setLengthInBeats(bars * 4.0f, mode); }

// ---- reads --------------------------------------------------------------

float BWTable::getValueAtCursor() {
    UseGate::Use use(pointsGate);
    const float position = readPosition.load(std::memory_order_relaxed);
    if (!use || isBusy() || !insideTable(position, getCount())) return 0.0f;
    return interpolatedAt(position);
}

float BWTable::getValue(uint64_t index) {
    UseGate::Use use(pointsGate);
    if (!use || isBusy() || index >= getCount()) return 0.0f;
    readPosition.store(static_cast<float>(index), std::memory_order_relaxed);
    return point(index);
}

float BWTable::getValueAt(float position) {
    if (!hasFlag(kInterpolate)) {
        uint64_t index = 0;
        return truncatedIndex(position, index) ? getValue(index) : 0.0f;
    }
    UseGate::Use use(pointsGate);
    if (!use || isBusy() || !insideTable(position, getCount())) return 0.0f;
    readPosition.store(position, std::memory_order_relaxed);
    return interpolatedAt(position);
}

float BWTable::getNormalized(uint64_t index) {
    UseGate::Use use(pointsGate);
    if (!use || isBusy() || index >= getCount()) return 0.0f;
    return normalize(point(index));
}

float BWTable::getNormalizedAt(float position) {
    UseGate::Use use(pointsGate);
    if (!use || isBusy() || !insideTable(position, getCount())) return 0.0f;
    if (!hasFlag(kInterpolate)) position = std::trunc(position);
    return normalize(interpolatedAt(position));
}

float BWTable::rawPoint(uint64_t index) const {
    UseGate::Use use(pointsGate);
    if (!use || index >= getCount()) return 0.0f;
    return point(index);
}

void BWTable::copyPoints(float* destination, uint64_t n) const {
    UseGate::Use use(pointsGate);
    const uint64_t held = use ? std::min(n, getCount()) : 0;
    for (uint64_t i = 0; i < held; ++i) destination[i] = point(i);
    std::fill(destination + held, destination + n, 0.0f);
}

void BWTable::writePoints(BWChunk* chunk, uint64_t n) const {
    UseGate::Use use(pointsGate);
    const uint64_t held = use ? std::min(n, getCount()) : 0;
    for (uint64_t i = 0; i < n; ++i) chunk->writeFloat(i < held ? point(i) : 0.0f);
}

// ---- writes -------------------------------------------------------------

void BWTable::setCursorValue(float value) {
    UseGate::Use use(pointsGate);
    if (!use || !acceptsWrites() || !insideTable(editPosition, getCount())) return;
    storePoint(static_cast<uint64_t>(editPosition), value);
}

void BWTable::setCursorValueDirect(float value) { BWTable::setCursorValue(value); }

void BWTable::setCursorValueRounded(float value) { setCursorValueDirect(std::trunc(value + 0.5f)); }

void BWTable::setValue(uint64_t index, float value) {
    UseGate::Use use(pointsGate);
    if (!use || !acceptsWrites() || index >= getCount()) return;
    writePoint(index, value, hasFlag(kNoEqualNeighbours));
}

void BWTable::writePoint(uint64_t index, float value, bool nudge) {
    if (nudge && value == previousPoint(index))
        value = (max - kNeighbourNudge >= value) ? value + kNeighbourNudge : value - kNeighbourNudge;
    storePoint(index, value);
}

void BWTable::setValues(const float* source, uint64_t n) {
    UseGate::Use use(pointsGate);
    if (!use || !acceptsWrites()) return;
    const uint64_t held = std::min(n, getCount());
    if (!hasFlag(kNoEqualNeighbours)) {
        for (uint64_t i = 0; i < held; ++i) putPoint(i, source[i]);
        if (held > 0) putPoint(getCount(), point(0));
        return;
    }
    for (uint64_t i = 0; i < held; ++i) writePoint(i, source[i], true);
}

void BWTable::setNormalized(uint64_t index, float normalized) {
    UseGate::Use use(pointsGate);
    if (!use || !acceptsWrites() || index >= getCount()) return;
    const float x = limited(std::isnan(normalized) ? 0.0f : normalized, 0.0f, 1.0f);
    const float span = std::fabs(max - min);
    float value = span * x + min;
    if (hasFlag(kNoEqualNeighbours) && value == previousPoint(index)) value += kNeighbourNudge;
    // Every whole value of the range gets an equal share of the 0..1 travel.
    if (hasFlag(kWholeNumbers)) value = limited(std::trunc((span + 1.0f) * x) + min, min, max);
    storePoint(index, value);
}

void BWTable::setNormalizedAt(float position, float normalized) {
    if (insideTable(position, getCount())) setNormalized(static_cast<uint64_t>(position), normalized);
}

void BWTable::setIntegerMode(bool on) {
    if (!on) {
        flags.fetch_and(~kWholeNumbers);
        return;
    }
    {
        UseGate::Use use(pointsGate);
        if (use && !isBusy() && values != nullptr) {
            for (uint64_t i = 0; i < getCount(); ++i) putPoint(i, limited(std::trunc(point(i) + 0.5f), min, max));
            putPoint(getCount(), point(0));
        }
    }
    flags.fetch_or(kWholeNumbers);
}

void BWTable::copyPointsFrom(const BWTable& source) {
    UseGate::Use use(pointsGate);
    if (!use || values == nullptr) return;
    for (uint64_t i = 0; i < getCount(); ++i) putPoint(i, source.rawPoint(i));
    putPoint(getCount(), point(0));
}

// ---- range edits --------------------------------------------------------

void BWTable::incrementRange(uint64_t from, uint64_t to) {
    const float step = stepOfRange();
    to = std::min(to, getCount());
    for (uint64_t i = from; i < to; ++i) setValue(i, std::min(getValue(i) + step, max));
}

void BWTable::decrementRange(uint64_t from, uint64_t to) {
    const float step = stepOfRange();
    to = std::min(to, getCount());
    for (uint64_t i = from; i < to; ++i) setValue(i, std::max(getValue(i) - step, min));
}

void BWTable::reset() {
    if (values == nullptr) return;
    // A plain table writes its own points under one use; a paged one sends
    // each point through its setValue, to its current page.
    if (typeid(*this) == typeid(BWTable)) {
        UseGate::Use use(pointsGate);
        if (!use || !acceptsWrites()) return;
        const bool nudge = hasFlag(kNoEqualNeighbours);
        const bool ramp = isRampTable();
        if (!nudge && !ramp) {
            for (uint64_t i = 0; i <= getCount(); ++i) putPoint(i, defaultValue);  // the wrap point too
            return;
        }
        const float length = rampLength();
        float r = 0.0f;
        for (uint64_t i = 0; i < getCount(); ++i) {
            writePoint(i, ramp ? r : defaultValue, nudge);
            r = nextRampValue(r, length);
        }
        return;
    }
    if (!isRampTable()) {
        for (uint64_t i = 0; i < getCount(); ++i) setValue(i, defaultValue);
        return;
    }
    const float length = rampLength();
    float r = 0.0f;
    for (uint64_t i = 0; i < getCount(); ++i) {
        setValue(i, r);
        r = nextRampValue(r, length);
    }
}

void BWTable::rotateLeft(uint64_t from, uint64_t end) {
    if (values == nullptr) return;
    end = (end == 0) ? getCount() : std::min(end, getCount());
    if (from >= end) return;
    const float first = getValue(from);
    for (uint64_t i = from; i + 1 < end; ++i) setValue(i, getValue(i + 1));
    setValue(end - 1, first);
}

void BWTable::rotateRight(uint64_t from, uint64_t end) {
    if (values == nullptr) return;
    end = (end == 0) ? getCount() : std::min(end, getCount());
    if (from >= end) return;
    const float last = getValue(end - 1);
    for (uint64_t i = end - 1; i > from; --i) setValue(i, getValue(i - 1));
    setValue(from, last);
}

void BWTable::randomize() {
    if (values == nullptr) return;
    setBusy(true);
    randomizing = true;
    const float low = owner != nullptr ? owner->randomLow : 0.0f;
    const float high = owner != nullptr ? owner->randomHigh : 1.0f;
    const float span = std::fabs(low - high);
    const float width = high < low ? 1.0f - span : span;
    const float length = rampLength();
    for (uint64_t i = 0; i < getCount(); ++i) {
        float r = nextPatternUnit() * width + low;
        if (r > 1.0f) r -= 1.0f;
        if (length != 100.0f && defaultValue == kRampDefault && length - 1.0f < max) r = r * (length - 1.0f) / max;
        if (restProbability > 0.0f && nextPatternUnit() < restProbability) {
            setValue(i, defaultValue);
        } else {
            setNormalized(i, r);
        }
    }
    randomizing = false;
    setBusy(false);
}

// ---- clipboard ----------------------------------------------------------

void BWTable::copyTable() {
    const std::lock_guard<std::mutex> locked(tableClipboardLock);
    tableClipboard.store(this);
}

void BWTable::pasteTable() {
    const std::lock_guard<std::mutex> locked(tableClipboardLock);
    BWTable* source = tableClipboard.load();
    if (source == nullptr || source == this || getCount() == 0 || source->getCount() != getCount()) return;
    for (uint64_t i = 0; i < getCount(); ++i) setValue(i, source->getValue(i));
}

// ---- persistence --------------------------------------------------------

void BWTable::applyValueList(const std::vector<float>& list) {
    for (size_t i = 0; i < list.size(); ++i) setNormalized(i, list[i]);
}

void BWTable::readValueList(BWChunk* chunk, std::vector<float>& list) {
    for (int word = 0; word < 3; ++word) chunk->readFloat();
    chunk->readInt();
    for (uint64_t i = 0; i < getCount() && !chunk->hasFailed(); ++i) list.push_back(chunk->readFloat());
}

void BWTable::writeChunk(BWChunk* chunk) {
    chunk->writeFloat(defaultValue);
    chunk->writeFloat(max);
    chunk->writeFloat(min);
    chunk->writeInt(static_cast<int32_t>(kChunkTag));
    chunk->writeInt(kChunkVersion);
    chunk->writeInt(static_cast<int32_t>(getCount()));
    // The plain values, which the reader of version 1 applies as they are.
    writePoints(chunk, getCount());
}

int32_t BWTable::readChunk(BWChunk* chunk, bool skipOnly) {
    const float storedDefault = chunk->readFloat();
    const float storedMax = chunk->readFloat();
    const float storedMin = chunk->readFloat();
    const int32_t word = chunk->readInt();
    const bool tagged = static_cast<uint32_t>(word) == kChunkTag;
    // The older layout has neither tag nor version: the word is the count and
    // the points are normalised.
    const int32_t version = tagged ? chunk->readInt() : 0;
    const int32_t storedCount = tagged ? chunk->readInt() : word;
    if (chunk->hasFailed() || version > kChunkVersion || storedCount < 0 ||
        static_cast<uint64_t>(storedCount) > kMaxPoints || static_cast<uint32_t>(storedCount) > chunk->wordsLeft())
        return 0;
    const auto n = static_cast<uint64_t>(storedCount);
    if (skipOnly) {
        for (uint64_t i = 0; i < n; ++i) chunk->readFloat();
        return 1;
    }
    if (!std::isfinite(storedDefault) || !std::isfinite(storedMax) || !std::isfinite(storedMin)) return 0;

    setBusy(true);
    const float previousDefault = defaultValue;
    const float previousMin = min;
    const float previousMax = max;
    defaultValue = storedDefault;
    setRange(storedMin, storedMax);
    // A length the table does not take is ignored; memory it cannot have
    // fails the record.
    if (!resize(n, kResizeFresh) && takesLength(n)) {
        defaultValue = previousDefault;
        setRange(previousMin, previousMax);
        setBusy(false);
        return 0;
    }
    setBusy(false);
    const bool plain = version >= 1;
    for (uint64_t i = 0; i < n; ++i) {
        const float value = chunk->readFloat();
        if (plain) {
            setValue(i, sanitizedPoint(value, min, max));
        } else {
            setNormalized(i, value);
        }
    }
    return 1;
}
