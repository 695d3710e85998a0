#pragma once
// Host-side objects that the plug-in reaches through interfaces.  The host
// stand-in owns them for its whole life; their reference counts are kept
// (and checked by the tests) but never free them.  The plug-in may take and
// drop references from any of its threads.

#include <atomic>
#include <cstdint>

#include "aax/ACFUnknown.h"

template <typename Interface>
class HostObject : public Interface {
public:
    uint32_t AddRef() override { return uint32_t(++references); }
    uint32_t Release() override { return uint32_t(--references); }
    std::atomic<int32_t> references{0};
};

// Answers `iid` with `object` when one of `ids` matches, adding a reference.
template <typename Object>
ACFRESULT answerQuery(Object* object, const acfIID& iid, void** out, std::initializer_list<acfIID> ids) {
    if (!out) return ACF_E_POINTER;
    *out = nullptr;
    for (const acfIID& id : ids) {
        if (id == iid) {
            object->AddRef();
            *out = object;
            return ACF_OK;
        }
    }
    return ACF_E_NOINTERFACE;
}
