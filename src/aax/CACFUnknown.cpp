#include "aax/CACFUnknown.h"

namespace {
std::atomic<int32_t> gActiveObjects{0};
}

CACFUnknown::CACFUnknown(IACFUnknown* outer_) : outer(outer_ ? outer_ : &inner) { gActiveObjects.fetch_add(1); }

CACFUnknown::~CACFUnknown() { gActiveObjects.fetch_sub(1); }

ACFRESULT CACFUnknown::InternalQueryInterface(const acfIID& iid, void** out) {
    if (!out) return ACF_E_POINTER;
    *out = nullptr;
    if (iid == IID_IACFUnknown) {
        *out = &inner;
        inner.AddRef();
        return ACF_OK;
    }
    return ACF_E_NOINTERFACE;
}

uint32_t CACFUnknown::InternalAddRef() { return static_cast<uint32_t>(referenceCount.fetch_add(1) + 1); }

uint32_t CACFUnknown::InternalRelease() {
    const int32_t count = referenceCount.fetch_sub(1) - 1;
    if (count == 0) {
        FinalRelease();
        DeleteThis();
    }
    return static_cast<uint32_t>(count);
}

int32_t CACFUnknown::GetActiveObjectCount() { return gActiveObjects.load(); }
