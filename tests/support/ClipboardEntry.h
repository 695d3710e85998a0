#pragma once
// The entry a clipboard holds under a key, as a model of type T (null when
// there is none, or it is of another type), for a test that alone uses the
// clipboard: the pointer is not guarded once the read is over.

#include <cstdint>

#include "core/BWCopyHelper.h"

template <class T>
T* clipboardEntry(const BWCopyHelper& clipboard, int64_t key) {
    T* found = nullptr;
    clipboard.read(key, [&](BWInitInterface& entry) { found = dynamic_cast<T*>(&entry); });
    return found;
}
