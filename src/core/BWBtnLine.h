#pragma once
// A grid of step values: lines of float steps, one current line that the
// edits act on, and the pattern-wide edits (fill, copy and paste through an
// own and a shared clipboard, randomise, rotate, clone).  The instance holds
// five (BWBtnLineGrids.h); the render picks a line and reads its steps.
//
// Threads: the editor draws the steps and edits them (clicks, drags, wheel),
// the render sets the current line, reads steps and runs the range and
// pattern-wide edits (fill, random, rotations), the thread that pressed a
// copy or paste button runs that edit in the instance's turn (the clipboards
// are the process's, core/BWCopyHelper.h), and a save reads every step, all
// of it while the others run: every step is read and
// written as a relaxed atomic (a plain move on x86-64), so no reader ever
// races a writer.  The lines are only replaced or freed behind the line
// gate, so resize and releaseLines never free a line while the audio thread
// reads it; the counts change with the lines, inside the same change, and
// are atomic, so a reader outside the gate gets the counts before or after.
// Every change of a step, or of the lines themselves, moves the owner's
// gridEdits once it is made: the render keeps what it read until then.
// Everything else of the grid (its settings below and the clipboard keys)
// is the state's: it changes only in the instance's turn (core/StateTurn.h).

#include <atomic>
#include <cstdint>
#include <vector>

#include "core/BWInitInterface.h"
#include "core/BWSystemInfo.h"
#include "core/RelaxedAtomic.h"
#include "core/UseGate.h"
#include "persistence/BWChunkableClass.h"

class BWCopyHelper;

class BWBtnLine : public BWChunkableClass, public BWInitInterface {
public:
    static constexpr uint32_t kChunkTag = 91851533u;  // 0x05798B0D
    static constexpr int32_t kChunkVersion = 1;
    // Far beyond the 24 × 32 grids the instance uses; larger sizes are refused.
    static constexpr uint64_t kMaxSteps = 1024;
    static constexpr uint64_t kMaxLines = 1024;

    // GUI thread.  A grid that is not a clipboard copy enters its edit
    // interface in the owner's init-interface list (owner may be null).
    // Throws std::bad_alloc when the lines cannot be had.
    BWBtnLine(BWSystemInfo* owner, uint64_t steps, uint64_t lines, bool isClone = false);
    ~BWBtnLine() override;
    BWBtnLine(const BWBtnLine&) = delete;
    BWBtnLine& operator=(const BWBtnLine&) = delete;

    // Persistence; GUI thread or program loader.  readChunk answers 1, or 0
    // without changing anything for a record of another tag or version, with
    // more than kMaxSteps steps or kMaxLines lines, shorter than it says, or
    // lines whose memory cannot be had.
    // Steps beyond the present size are dropped (keepSize), steps that are not
    // finite numbers read as 0, and currentLine keeps its value.
    int32_t readChunk(BWChunk* chunk, bool skipOnly) override;
    void writeChunk(BWChunk* chunk) override;

    // Rebuilds the grid with every step at fillValue unless the size is the
    // same.  Sizes beyond the maxima, or memory that cannot be had, answer
    // false and change nothing.  Never the audio thread.
    bool resize(uint64_t steps, uint64_t lines);
    // Frees every line (the instance's teardown).  Never the audio thread.
    void releaseLines();

    // Edits of the current line; nothing when it lies outside the grid.
    // Ranges are clamped to the steps and do nothing when empty.  The editor
    // or the render (the range and pattern-wide edits); copy and paste never
    // on an audio thread, in the instance's turn.
    void fill();
    void randomize() override;
    void rotateLeft(uint64_t from, uint64_t end) override;   // end 0: the last step
    void rotateRight(uint64_t from, uint64_t end) override;  // end 0: the last step
    void copy(uint64_t from, uint64_t to) override;          // own clipboard
    void paste(uint64_t from, uint64_t to) override;         // own clipboard
    void copyShared(uint64_t from, uint64_t to);
    void pasteShared(uint64_t from, uint64_t to);
    void resetAll() override { fill(); }
    void resetCurrent() override { fill(); }
    std::unique_ptr<BWInitInterface> clone() override { return makeCopy(); }

    // Step reads answer 0 outside the grid or while it is rebuilt.  Any thread.
    float getStep(uint64_t step) const;  // on the current line
    float getStepOnLine(uint64_t line, uint64_t step) const;
    // The editor (the step widget) or the render (a step entered at the
    // cursor); ignored outside the grid.
    void setStepOnLine(uint64_t line, uint64_t step, float value);
    // A line outside the grid is ignored.  Audio or GUI thread.
    void setCurrentLine(uint64_t line);
    uint64_t getCurrentLine() const { return currentLine.load(); }
    // Any thread: the counts before or after a resize, never torn ones.
    uint64_t getStepCount() const { return stepCount; }
    uint64_t getLineCount() const { return lineCount; }

    const bool isClone;            // a clipboard copy: not in the init-interface list
    float maxValue = 1.0f;         // largest value the randomiser writes
    float restProbability = 0.0f;  // chance that the randomiser writes 0
    float fillValue = 0.0f;        // what fill and resize write
    bool alternate = false;        // fill writes 1 − fillValue on even steps
    bool keepSize = false;         // readChunk keeps the present size

private:
    // The current line, or null when it lies outside the grid; the caller
    // holds a Use of the line gate.
    float* currentSteps() const;
    // Tells the render that the steps it read may be stale (the owner's
    // gridEdits); after the change it stands for.
    void noteEdit() const;
    std::unique_ptr<BWBtnLine> makeCopy() const;
    void copyInto(BWCopyHelper& clipboard, uint64_t from, uint64_t to) const;
    void pasteFrom(const BWCopyHelper& clipboard, int64_t key, uint64_t from, uint64_t to);
    void pasteSteps(const BWBtnLine& source, uint64_t from, uint64_t to);
    void readSteps(BWChunk* chunk, uint64_t storedSteps, uint64_t storedLines, bool skipOnly);

    BWSystemInfo* const owner;
    // Written only while the line gate is closed; read anywhere.
    RelaxedAtomic<uint64_t> stepCount{0};
    RelaxedAtomic<uint64_t> lineCount{0};
    std::atomic<uint64_t> currentLine{0};
    // lineCount lines of stepCount steps, 16-byte aligned; every access to a
    // step of a line that others can reach goes through loadShared and
    // storeShared (core/SharedFloat.h).
    std::vector<AlignedFloats> lines;
    bool hasGrid = false;
    UseGate linesGate;
};
