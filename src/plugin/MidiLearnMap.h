#pragma once
// Which parameters follow which MIDI controller: one list per controller
// number, a list for channel pressure, and the learn targets (the
// parameters waiting to be assigned).  The whole state carries the
// controller lists and the targets.
//
// Threads: changed on the host/GUI thread or the program loader while the
// engine is held and `editing` is raised; processEvents reads `editing` on
// the audio thread and drops controllers meanwhile.  While a target is armed
// the audio thread itself moves it into a controller's list, so a reader on
// another thread (a save) copies the map (copyFrom), with the engine held
// while `armed` says that a target waits.

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

struct LearnEntry {
    int16_t tag = 0;
    int16_t subIndex = 0;
    bool operator==(const LearnEntry&) const = default;
};

class MidiLearnMap {
public:
    static constexpr int32_t kControllers = 128;

    std::vector<LearnEntry>& controller(int32_t number) { return lists[number & 127]; }
    const std::vector<LearnEntry>& controller(int32_t number) const { return lists[number & 127]; }
    std::vector<LearnEntry>& pressure() { return pressureList; }
    std::vector<LearnEntry>& targets() { return targetList; }
    const std::vector<LearnEntry>& targets() const { return targetList; }

    void clearControllers();
    // Takes the other map's lists and targets (not its flags).  Host/GUI
    // thread, with the engine held while the live map has a target armed.
    void copyFrom(const MidiLearnMap& other);
    // Removes the entries of the tag from every controller list (only those
    // of the sub-index when it is 0 or more), then the first pressure entry
    // of the tag.
    void removeTag(int32_t tag, int32_t subIndex);
    // Removes them from the controller lists only; answers how many went.
    int32_t removeFromControllers(int32_t tag, int32_t subIndex);
    // The first controller whose list holds the entry; -1 when none does.
    int32_t controllerOf(const LearnEntry& entry) const;

    // Raised while the lists change, so that the MIDI intake drops
    // controllers meanwhile.
    std::atomic<bool> editing{false};
    // A target waits: set as an edit scope ends and by the audio thread
    // after it moved a target (the last thing it writes).
    std::atomic<bool> armed{false};
    // Raised whenever the lists or the targets are replaced; the editor
    // watches it.
    std::atomic<int32_t> changeCount{0};

private:
    std::array<std::vector<LearnEntry>, kControllers> lists;
    std::vector<LearnEntry> pressureList;
    std::vector<LearnEntry> targetList;
};

// Raises the edit flag for one scope.
class LearnEditScope {
public:
    explicit LearnEditScope(MidiLearnMap& map) : map(map) { map.editing.store(true); }
    ~LearnEditScope() {
        map.armed.store(!map.targets().empty());
        map.editing.store(false);
    }
    LearnEditScope(const LearnEditScope&) = delete;
    LearnEditScope& operator=(const LearnEditScope&) = delete;

private:
    MidiLearnMap& map;
};
