#pragma once
// The edit interface of the pattern models (paged tables, button lines, zone
// lanes and containers): the pattern-wide buttons of the interface apply one of
// these operations to every registered model, and the clipboards hold clones
// through it.  All operations run on the GUI thread (or the program loader).
//
// Ranges are step or point ranges from..end−1; implementations clamp them to
// what exists and do nothing when from >= end after clamping.  What end 0 or
// from == end means is the model's own rule.

#include <cstdint>
#include <memory>

class BWInitInterface {
public:
    virtual ~BWInitInterface() = default;

    virtual void resetAll() {}
    virtual void resetCurrent() {}
    virtual void copy(uint64_t /*from*/, uint64_t /*to*/) {}
    virtual void paste(uint64_t /*from*/, uint64_t /*to*/) {}
    virtual void randomize() {}
    virtual void rotateLeft(uint64_t /*from*/, uint64_t /*end*/) {}
    virtual void rotateRight(uint64_t /*from*/, uint64_t /*end*/) {}
    virtual void vary() {}
    // A copy for a clipboard; null for models that are not cloned on their own.
    virtual std::unique_ptr<BWInitInterface> clone() { return nullptr; }

    void setId(int64_t newId) { id = newId; }

    int64_t id = 0;                  // group id; the group edits act on the models with id 1
    int64_t sharedClipboardKey = -1; // key in the shared clipboard; −1: none
    int64_t clipboardKey = -1;       // key in the own clipboard; −1: none
    uint64_t copyFrom = 0;           // on a clipboard copy: the copied range;
    uint64_t copyTo = 0;             //   equal values mean everything
};
