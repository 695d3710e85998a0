#pragma once
// A process-wide clipboard of pattern-model copies: it owns at most one clone
// per key and destroys what it holds.  Shared by every plug-in instance of the
// process; used on the GUI thread only.

#include <cstddef>
#include <cstdint>
#include <memory>
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

    // The entry held under key; null for key −1 or when there is none.
    BWInitInterface* find(int64_t key) const;
    // Holds copy under its key, destroying the entry it replaces.  A null
    // copy, or one whose key is −1, is only destroyed.
    void store(std::unique_ptr<BWInitInterface> copy);
    // Destroys every entry (the library's unload; tests).
    void clear();

    size_t size() const { return entries.size(); }
    BWInitInterface* at(size_t index) const { return entries[index].get(); }

private:
    int64_t keyOf(const BWInitInterface& entry) const;
    void destroy(int64_t key);

    KeyField keyField;
    std::vector<std::unique_ptr<BWInitInterface>> entries;
};
