#pragma once
// A row of float points with a value range: the basic pattern model.  Each
// point stands for one 16-sample control tick.  Widgets edit a table through
// the normalised view (0..1 within the range), the render routine reads it
// with getValue, and the paged table BWTableXY builds on it, redirecting the
// point operations to its current page through the virtual getters and
// setters.
//
// Threads: edits run on the GUI thread, the program loader or (for learned
// MIDI controllers) the audio thread; the audio thread reads.  The points
// array is only replaced or freed behind the table's UseGate: every access to
// the points counts itself in, and resize waits until the users have left
// before it frees the old array.  The count changes with the array, inside
// the same change, and is atomic, so that a reader outside the gate (the
// render sizing its copy of a lane) never races the resize.  The busy bit
// keeps readers at 0 while the points are rebuilt, as stored data and
// widgets expect.  The GUI paints points while the render reads them, and
// learned controllers write them on the audio thread: every point is read
// and written as a relaxed atomic (a plain move on x86-64), so no reader
// ever races a writer.  Everything else of the table (range, flags' display
// bits, settings) is the state's: it changes only in the instance's turn
// (core/StateTurn.h).

#include <atomic>
#include <cstdint>
#include <vector>

#include "core/SharedFloat.h"
#include "core/UseGate.h"
#include "persistence/BWChunkableClass.h"
#include "platform/AlignedMemory.h"

class BWChunk;
class BWSystemInfo;

class BWTable : public BWChunkableClass {
    friend class BWTableXY;  // resizes its pages all or none

public:
    // Bits of the flag word.  Every bit not named here is a display option
    // that only the table view reads; the model stores and copies them.
    static constexpr uint32_t kBusy = 0x1;
    static constexpr uint32_t kInUseByView = 0x2;
    static constexpr uint32_t kInterpolate = 0x8;
    static constexpr uint32_t kNoEqualNeighbours = 0x1000;
    static constexpr uint32_t kWholeNumbers = 0x8000;
    static constexpr uint32_t kTracked = 0x80000;
    static constexpr uint32_t kDefaultFlags = 0x60188;

    static constexpr uint32_t kChunkTag = 0xFFCB4286u;
    static constexpr int32_t kChunkVersion = 1;
    // A default value that marks a ramp table (reset writes 0, 1, 2 …).
    static constexpr float kRampDefault = -0.33f;
    // Larger tables are refused; a table of 4M ticks is over an hour of music.
    static constexpr uint64_t kMaxPoints = uint64_t{1} << 22;

    // Modes of resize.
    static constexpr int32_t kResizeFresh = 0;
    static constexpr int32_t kResizeKeep = 1;
    static constexpr int32_t kResizeStretch = 2;

    // Host/GUI thread.  owner may be null (the table then assumes 120 bpm at
    // 44.1 kHz and no tracked-buffer list).  Throws std::bad_alloc when the
    // points cannot be had.
    BWTable(BWSystemInfo* owner, uint64_t count);
    ~BWTable() override;
    BWTable(const BWTable&) = delete;
    BWTable& operator=(const BWTable&) = delete;

    // Persistence; GUI thread or program loader.  readChunk answers 1, or 0
    // for a record it cannot take or memory it cannot have (changing nothing).
    int32_t readChunk(BWChunk* chunk, bool skipOnly) override;
    void writeChunk(BWChunk* chunk) override;
    void applyValueList(const std::vector<float>& values) override;
    void readValueList(BWChunk* chunk, std::vector<float>& values) override;

    // Structure; GUI thread or program loader, never the audio thread.
    // resize answers false, changing nothing, for more than kMaxPoints or
    // when the memory cannot be had.
    virtual bool resize(uint64_t n, int32_t mode);
    // Whether resize takes a length of n points (memory aside).
    virtual bool takesLength(uint64_t n) const { return n <= kMaxPoints; }
    virtual void setLengthInBeats(float beats, int32_t mode);
    virtual void setLengthInBars(float bars, int32_t mode);

    // Edits; any thread that edits (see above).
    virtual void incrementRange(uint64_t from, uint64_t to);
    virtual void decrementRange(uint64_t from, uint64_t to);
    virtual void reset();
    virtual void markModified() {}

    // Reads; any thread.  Out of range or busy: 0.
    virtual float getValueAtCursor();
    virtual float getValue(uint64_t index);
    virtual float getValueAt(float position);
    virtual float getNormalized(uint64_t index);
    virtual float getNormalizedAt(float position);

    // Writes; any thread that edits.  Out of range or busy: ignored.
    virtual void setCursorValue(float value);
    virtual void setValue(uint64_t index, float value);
    virtual void setCursorValueDirect(float value);
    virtual void setCursorValueRounded(float value);
    virtual void setNormalizedAt(float position, float normalized);
    virtual void setNormalized(uint64_t index, float normalized);
    virtual void setIntegerMode(bool on);
    // setValue(i, values[i]) for the first n points (fewer when the table is
    // shorter), under one use of the points.  Any thread that edits.
    void setValues(const float* values, uint64_t n);

    virtual uint64_t getCurrentPage() { return 0; }
    // The one-slot table clipboard of the process, shared by every instance
    // behind its lock.  Any thread but an audio thread.
    virtual void copyTable();
    virtual void pasteTable();

    // Range edits; end 0 means the whole table.  Ranges are clamped to the
    // points; an empty range does nothing.
    void rotateLeft(uint64_t from, uint64_t end);
    void rotateRight(uint64_t from, uint64_t end);
    // Draws every point from the pattern generator within the owner's random
    // range, with rests at restProbability.
    void randomize();

    // Any thread: outside a use of the points a reader gets the count before
    // or after a resize, never a torn one.
    uint64_t getCount() const { return count.load(std::memory_order_relaxed); }
    uint32_t getFlags() const { return flags.load(); }
    // Replaces the flag word; the busy and in-use marks of the table are kept.
    // GUI thread.
    virtual void setFlags(uint32_t word);
    // Sets the value range; GUI thread or program loader.
    virtual void setRange(float low, float high);
    bool hasFlag(uint32_t bit) const { return (flags.load() & bit) != 0; }
    // The table view marks its reads of the points; resize waits for it.
    void setViewInUse(bool inUse);
    BWSystemInfo* getOwner() const { return owner; }
    // Point index read straight from the points, busy or not; 0 out of range.
    // Any thread.
    float rawPoint(uint64_t index) const;
    // The first n values (0 past the table's end, or all 0 while the values
    // are being replaced), read under one use of the table: the render
    // routine copies a whole chord page every tick.
    void copyPoints(float* destination, uint64_t n) const;
    // The first n points as n float words of the chunk (0 past the table's
    // end, or all 0 while the values are being replaced), straight from the
    // points under one use.  Host/GUI thread or the program loader.
    void writePoints(BWChunk* chunk, uint64_t n) const;
    // Copies the points of a table of the same count; GUI thread.
    void copyPointsFrom(const BWTable& source);
    // The table that copyTable last stored; null when it died.
    static BWTable* clipboardTable();

    std::atomic<float> readPosition{0.0f};  // last read position
    float editPosition = 0.0f;              // point written by setCursorValue
    int32_t gridSteps = 10;                 // display settings of the table view
    int32_t gridMode = 1;
    float lengthInBeats = 0.0f;
    float min = 0.0f;
    float max = 1.0f;
    float defaultValue = 0.0f;
    float restProbability = 0.0f;  // chance that randomize writes the default
    float initialLength;

protected:
    // Linear interpolation at a position inside 0..count (the last point
    // blends towards point 0); the caller holds a Use of the gate.
    float interpolatedAt(float position) const;
    float normalize(float value) const;
    // Writes point index and keeps the wrap point equal to point 0; the caller
    // holds a Use and has checked the index.
    void storePoint(uint64_t index, float value);
    void setBusy(bool on);
    // Takes the table out of the table clipboard, waiting for a paste that
    // reads it; the first thing a table's destructor does, so that no paste
    // reads a table half destroyed.
    void leaveTableClipboard();
    // Tells the render that what it read from the tables may be stale (the
    // owner's tableEdits); after the change it stands for.
    void noteEdit() const;
    bool isBusy() const { return hasFlag(kBusy); }
    // A resize in two steps, so that a paged table can make every array it
    // needs before it puts any in place.  makePoints answers n points filled
    // by mode from the present ones and limited to the range, null when the
    // memory cannot be had (n > 0); the table is busy meanwhile.
    // installPoints puts them in place (busy, the view held off).
    AlignedFloats makePoints(uint64_t n, int32_t mode) const;
    void installPoints(AlignedFloats points, uint64_t n);
    // Waits, as long as it takes, until the table view has cleared its
    // in-use mark; the view's reads wait for the end of the change.
    UseGate::Change waitForView() { return viewGate.tryFor(UseGate::kNoLimit); }
    // A stored point that is not a finite number would poison everything that
    // reads it: NaN reads as low, infinities as the nearer end of low..high.
    static float sanitizedPoint(float value, float low, float high);

    BWSystemInfo* owner;
    std::atomic<uint32_t> flags{0};

private:
    bool acceptsWrites() const { return !isBusy() || randomizing; }
    // Every access to a point; the caller holds a Use and has checked the index.
    float point(uint64_t index) const { return loadShared(values[index]); }
    void putPoint(uint64_t index, float value) {
        storeShared(values[index], value);
        noteEdit();
    }
    float previousPoint(uint64_t index) const;
    // setValue's write once the index is checked and a use is open.
    void writePoint(uint64_t index, float value, bool nudge);
    float stepOfRange() const;
    float rampLength() const;
    bool isRampTable() const;
    void fillByResetRule(float* points, uint64_t n) const;
    void fillNewPoints(float* points, uint64_t n, int32_t mode) const;
    void limitPoints(float* points, uint64_t n) const;
    float beatsOf(uint64_t n) const;
    uint64_t pointsOfBeats(float beats) const;

    AlignedFloats values;  // count + 1 floats; entry count is the wrap point
    // Written only while the points gate is closed; read anywhere.
    std::atomic<uint64_t> count{0};
    UseGate pointsGate;
    UseGate viewGate;  // the view's in-use mark is a use of it
    // randomize writes while its own busy mark is set; read by every writer,
    // the audio thread's among them.
    std::atomic<bool> randomizing{false};
};
