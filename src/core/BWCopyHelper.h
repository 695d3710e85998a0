#pragma once
// A process-wide clipboard of pattern-model copies: it owns at most one clone
// per key and destroys what it holds.  Shared by every plug-in instance of the
// process, each with its own threads: every access takes the clipboard's
// lock, which no audio thread ever takes (the render never copies or pastes:
// a copy allocates, and the lock may be held by another instance's thread).
// Any thread but an audio thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "core/BWInitInterface.h"

class BWCopyHelper {
public:
    // Which key of an entry identifies it: the own clipboards of the models
    // match clipboardKey, the shared ones sharedClipboardKey.
    enum class KeyField { own, shared };

    explicit BWCopyHelper(KeyField field = KeyField::own) : keyField(field) {}
    ~BWCopyHelper();
    BWCopyHelper(const BWCopyHelper&) = delete;
    BWCopyHelper& operator=(const BWCopyHelper&) = delete;

    // Holds copy under its key; the entry it replaces is destroyed once the
    // lock is let go (a copy's destructor may take the zone registries'
    // lock).  A null copy, or one whose key is −1, is only destroyed.
    void store(std::unique_ptr<BWInitInterface> copy);
    // Calls read(entry) with the entry held under key while the clipboard is
    // locked, so that no other thread replaces or destroys it meanwhile;
    // false, without a call, for key −1 or when there is none.  read must
    // not use this clipboard.
    template <typename Read>
    bool read(int64_t key, Read&& read) const {
        const std::lock_guard<std::mutex> locked(lock);
        BWInitInterface* entry = find(key);
        if (entry == nullptr) return false;
        read(*entry);
        return true;
    }
    // Destroys every entry (the library's unload; tests).
    void clear();
    size_t size() const;

private:
    int64_t keyOf(const BWInitInterface& entry) const;
    // With the lock held.
    BWInitInterface* find(int64_t key) const;

    KeyField keyField;
    mutable std::mutex lock;
    std::vector<std::unique_ptr<BWInitInterface>> entries;
};
