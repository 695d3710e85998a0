#include "core/BWBtnLine.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "core/PatternClipboards.h"
#include "core/PatternRandom.h"
#include "core/SharedFloat.h"
#include "persistence/BWChunk.h"
#include "platform/AlignedMemory.h"

namespace {

constexpr uint32_t kHeaderWords = 6;

// A step range from..to−1, or the whole of wholeCount when the ends are equal,
// limited to limit; false when nothing is left of it.
bool clampRange(uint64_t& from, uint64_t& to, uint64_t wholeCount, uint64_t limit) {
    if (from == to) {
        from = 0;
        to = wholeCount;
    }
    to = std::min(to, limit);
    return from < to;
}

// The written maximum is a whole number; stay inside int32 whatever it holds.
int32_t wholeMaximum(float value) {
    if (!(value > -2147483648.0f)) return value < 0.0f ? INT32_MIN : 0;
    if (!(value < 2147483648.0f)) return INT32_MAX;
    return static_cast<int32_t>(value);
}

// Null when the memory cannot be had.  No other thread sees the line yet.
AlignedFloats newLine(uint64_t steps, float value) {
    AlignedFloats line(AlignedAllocFloats(steps));
    if (line) std::fill_n(line.get(), steps, value);
    return line;
}

// Steps from..end−1 move one place towards from; the step at from goes to end−1.
void shiftTowardsStart(float* steps, uint64_t from, uint64_t end) {
    const float first = loadShared(steps[from]);
    for (uint64_t i = from; i + 1 < end; ++i) storeShared(steps[i], loadShared(steps[i + 1]));
    storeShared(steps[end - 1], first);
}

// Steps from..end−1 move one place towards end; the step at end−1 goes to from.
void shiftTowardsEnd(float* steps, uint64_t from, uint64_t end) {
    const float last = loadShared(steps[end - 1]);
    for (uint64_t i = end - 1; i > from; --i) storeShared(steps[i], loadShared(steps[i - 1]));
    storeShared(steps[from], last);
}

}  // namespace

BWBtnLine::BWBtnLine(BWSystemInfo* systemInfo, uint64_t steps, uint64_t lineTotal, bool clone)
    : BWChunkableClass(kTypeStepLine), isClone(clone), owner(systemInfo) {
    if (!resize(steps, lineTotal) && steps <= kMaxSteps && lineTotal <= kMaxLines) throw std::bad_alloc();
    if (owner != nullptr && !isClone) owner->addInitInterface(this);
}

BWBtnLine::~BWBtnLine() {
    if (owner != nullptr && !isClone) owner->removeInitInterface(this);
}

// ---- structure ----------------------------------------------------------

bool BWBtnLine::resize(uint64_t steps, uint64_t lineTotal) {
    if (hasGrid && steps == stepCount && lineTotal == lineCount) return true;
    if (steps > kMaxSteps || lineTotal > kMaxLines) return false;
    std::vector<AlignedFloats> fresh;
    fresh.reserve(lineTotal);
    for (uint64_t i = 0; i < lineTotal; ++i) {
        fresh.push_back(newLine(steps, fillValue));
        if (fresh.back() == nullptr) return false;
    }
    {
        UseGate::Change change(linesGate);
        lines.swap(fresh);
        stepCount = steps;
        lineCount = lineTotal;
        hasGrid = true;
    }
    noteEdit();
    // fresh now holds the old lines, which no reader can reach any more.
    return true;
}

void BWBtnLine::releaseLines() {
    std::vector<AlignedFloats> old;
    {
        UseGate::Change change(linesGate);
        lines.swap(old);
        stepCount = 0;
        lineCount = 0;
        hasGrid = false;
    }
    noteEdit();
}

void BWBtnLine::noteEdit() const {
    // A clipboard copy is never read by the render, and may outlive its
    // instance.
    if (owner != nullptr && !isClone) owner->gridEdits.fetch_add(1, std::memory_order_release);
}

void BWBtnLine::setCurrentLine(uint64_t line) {
    UseGate::Use use(linesGate);
    if (use && line < lineCount) currentLine.store(line);
}

// ---- steps --------------------------------------------------------------

float* BWBtnLine::currentSteps() const {
    const uint64_t line = currentLine.load();
    return line < lineCount ? lines[line].get() : nullptr;
}

float BWBtnLine::getStep(uint64_t step) const { return getStepOnLine(currentLine.load(), step); }

float BWBtnLine::getStepOnLine(uint64_t line, uint64_t step) const {
    UseGate::Use use(linesGate);
    if (!use || line >= lineCount || step >= stepCount) return 0.0f;
    return loadShared(lines[line][step]);
}

void BWBtnLine::setStepOnLine(uint64_t line, uint64_t step, float value) {
    UseGate::Use use(linesGate);
    if (!use || line >= lineCount || step >= stepCount) return;
    storeShared(lines[line][step], value);
    noteEdit();
}

// ---- edits of the current line ------------------------------------------

void BWBtnLine::fill() {
    UseGate::Use use(linesGate);
    float* steps = use ? currentSteps() : nullptr;
    if (steps == nullptr) return;
    for (uint64_t i = 0; i < stepCount; ++i)
        storeShared(steps[i], alternate && i % 2 == 0 ? 1.0f - fillValue : fillValue);
    noteEdit();
}

void BWBtnLine::randomize() {
    UseGate::Use use(linesGate);
    float* steps = use ? currentSteps() : nullptr;
    if (steps == nullptr) return;
    for (uint64_t i = 0; i < stepCount; ++i) {
        float draw = nextPatternUnit();
        if (restProbability != 0.0f) {
            if (draw <= restProbability) {
                storeShared(steps[i], 0.0f);
                continue;
            }
            draw = nextPatternUnit();
        }
        storeShared(steps[i], static_cast<float>(std::trunc(draw * maxValue + 0.5)));
    }
    noteEdit();
}

void BWBtnLine::rotateLeft(uint64_t from, uint64_t end) {
    UseGate::Use use(linesGate);
    float* steps = use ? currentSteps() : nullptr;
    if (end == 0 || end > stepCount) end = stepCount;
    if (steps == nullptr || from >= end) return;
    shiftTowardsStart(steps, from, end);
    noteEdit();
}

void BWBtnLine::rotateRight(uint64_t from, uint64_t end) {
    UseGate::Use use(linesGate);
    float* steps = use ? currentSteps() : nullptr;
    if (end == 0 || end > stepCount) end = stepCount;
    if (steps == nullptr || from >= end) return;
    shiftTowardsEnd(steps, from, end);
    noteEdit();
}

// ---- clipboards ---------------------------------------------------------

std::unique_ptr<BWBtnLine> BWBtnLine::makeCopy() const {
    UseGate::Use use(linesGate);
    auto copy = std::make_unique<BWBtnLine>(owner, use ? stepCount.load() : 0, use ? lineCount.load() : 0, true);
    for (uint64_t line = 0; use && line < lineCount; ++line) {
        for (uint64_t i = 0; i < stepCount; ++i) storeShared(copy->lines[line][i], loadShared(lines[line][i]));
    }
    copy->setCurrentLine(currentLine.load());
    copy->setId(id);
    copy->sharedClipboardKey = sharedClipboardKey;
    copy->clipboardKey = clipboardKey;
    return copy;
}

void BWBtnLine::copyInto(BWCopyHelper& clipboard, uint64_t from, uint64_t to) const {
    std::unique_ptr<BWBtnLine> copy = makeCopy();
    copy->copyFrom = from;
    copy->copyTo = to;
    clipboard.store(std::move(copy));  // replaces the copy of the same key
}

void BWBtnLine::pasteFrom(const BWCopyHelper& clipboard, int64_t key, uint64_t from, uint64_t to) {
    clipboard.read(key, [&](BWInitInterface& entry) {
        if (auto* source = dynamic_cast<BWBtnLine*>(&entry); source != nullptr && source != this)
            pasteSteps(*source, from, to);
    });
}

void BWBtnLine::pasteSteps(const BWBtnLine& source, uint64_t from, uint64_t to) {
    UseGate::Use use(linesGate);
    UseGate::Use sourceUse(source.linesGate);
    float* steps = use ? currentSteps() : nullptr;
    const float* sourceSteps = sourceUse ? source.currentSteps() : nullptr;
    uint64_t sourceFrom = source.copyFrom;
    uint64_t sourceTo = source.copyTo;
    if (steps == nullptr || sourceSteps == nullptr || !clampRange(from, to, stepCount, stepCount) ||
        !clampRange(sourceFrom, sourceTo, stepCount, source.stepCount))
        return;
    // The source range repeats over a longer destination range.
    const uint64_t sourceLength = sourceTo - sourceFrom;
    for (uint64_t i = from; i < to; ++i)
        storeShared(steps[i], loadShared(sourceSteps[sourceFrom + (i - from) % sourceLength]));
    noteEdit();
}

void BWBtnLine::copy(uint64_t from, uint64_t to) {
    // A clipboard copy never copies: it would replace itself.
    if (clipboardKey != -1 && !isClone) copyInto(btnLineClipboard(), from, to);
}

void BWBtnLine::paste(uint64_t from, uint64_t to) { pasteFrom(btnLineClipboard(), clipboardKey, from, to); }

void BWBtnLine::copyShared(uint64_t from, uint64_t to) {
    if (sharedClipboardKey != -1 && !isClone) copyInto(btnLineSharedClipboard(), from, to);
}

void BWBtnLine::pasteShared(uint64_t from, uint64_t to) {
    pasteFrom(btnLineSharedClipboard(), sharedClipboardKey, from, to);
}

// ---- persistence --------------------------------------------------------

void BWBtnLine::writeChunk(BWChunk* chunk) {
    UseGate::Use use(linesGate);
    const uint64_t steps = use ? stepCount.load() : 0;
    const uint64_t lineTotal = use ? lineCount.load() : 0;
    chunk->writeInt(static_cast<int32_t>(kChunkTag));
    chunk->writeInt(kChunkVersion);
    chunk->writeInt(static_cast<int32_t>(lineTotal));
    chunk->writeInt(static_cast<int32_t>(steps));
    chunk->writeInt(static_cast<int32_t>(currentLine.load()));
    chunk->writeInt(wholeMaximum(maxValue));
    // Each line as one block of floats, taken step by step from the shared steps.
    std::vector<float> row(steps);
    for (uint64_t line = 0; line < lineTotal; ++line) {
        for (uint64_t i = 0; i < steps; ++i) row[i] = loadShared(lines[line][i]);
        chunk->writeFloats(row.data(), steps);
    }
}

int32_t BWBtnLine::readChunk(BWChunk* chunk, bool skipOnly) {
    if (chunk->wordsLeft() < kHeaderWords) return kChunkReadFailed;
    const auto tag = static_cast<uint32_t>(chunk->readInt());
    const int32_t version = chunk->readInt();
    const auto storedLines = static_cast<uint32_t>(chunk->readInt());
    const auto storedSteps = static_cast<uint32_t>(chunk->readInt());
    chunk->readInt();  // the stored current line; the present one stays
    const int32_t storedMaximum = chunk->readInt();
    if (tag != kChunkTag || version != kChunkVersion || storedLines > kMaxLines || storedSteps > kMaxSteps ||
        uint64_t{storedLines} * storedSteps > chunk->wordsLeft())
        return kChunkReadFailed;
    if (!skipOnly && !keepSize) {
        if (!resize(storedSteps, storedLines)) return kChunkReadFailed;
        maxValue = static_cast<float>(storedMaximum);
    }
    readSteps(chunk, storedSteps, storedLines, skipOnly);
    return kChunkReadOk;
}

void BWBtnLine::readSteps(BWChunk* chunk, uint64_t storedSteps, uint64_t storedLines, bool skipOnly) {
    UseGate::Use use(linesGate);
    std::vector<float> line(storedSteps);
    for (uint64_t index = 0; index < storedLines; ++index) {
        chunk->readFloats(line.data(), storedSteps);
        if (skipOnly || !use || index >= lineCount) continue;
        const uint64_t kept = std::min<uint64_t>(storedSteps, stepCount);
        for (uint64_t i = 0; i < kept; ++i) storeShared(lines[index][i], std::isfinite(line[i]) ? line[i] : 0.0f);
    }
    if (!skipOnly) noteEdit();
}
