#pragma once
// The reference-counted base of every framework object the host holds (the
// effect-parameters and GUI objects).  The count starts at 0; the host's
// first query or AddRef raises it and the Release that brings it back to 0
// deletes the object.  A library-wide count of live objects tells the host
// whether the library may be unloaded.  Counts change atomically, from any
// host thread.

#include <atomic>

#include "aax/ACFUnknown.h"

class CACFUnknown {
public:
    // `outer` receives the public IACFUnknown calls of an aggregated object;
    // null makes the object its own outer unknown.
    explicit CACFUnknown(IACFUnknown* outer = nullptr);
    virtual ~CACFUnknown();
    CACFUnknown(const CACFUnknown&) = delete;
    CACFUnknown& operator=(const CACFUnknown&) = delete;

    virtual ACFRESULT FinalConstruct() { return ACF_OK; }
    virtual void FinalRelease() {}
    virtual void DeleteThis() { delete this; }
    // Answers IACFUnknown with the inner unknown (adding a reference); any
    // other id ACF_E_NOINTERFACE with out null.
    virtual ACFRESULT InternalQueryInterface(const acfIID& iid, void** out);
    virtual uint32_t InternalAddRef();
    virtual uint32_t InternalRelease();

    IACFUnknown* GetOuterUnknown() const { return outer; }
    IACFUnknown* GetInnerUnknown() { return &inner; }

    // Framework objects alive in the library.
    static int32_t GetActiveObjectCount();

private:
    class PrivateUnknown final : public IACFUnknown {
    public:
        explicit PrivateUnknown(CACFUnknown& owner_) : owner(owner_) {}
        ACFRESULT QueryInterface(const acfIID& iid, void** out) override { return owner.InternalQueryInterface(iid, out); }
        uint32_t AddRef() override { return owner.InternalAddRef(); }
        uint32_t Release() override { return owner.InternalRelease(); }

    private:
        CACFUnknown& owner;
    };

    std::atomic<int32_t> referenceCount{0};
    IACFUnknown* outer;
    PrivateUnknown inner{*this};
};

// The public IACFUnknown slots of a framework object forward to its outer
// unknown.
#define ACF_DECLARE_STANDARD_UNKNOWN()                                                       \
    ACFRESULT QueryInterface(const acfIID& iid, void** out) override {                       \
        return GetOuterUnknown()->QueryInterface(iid, out);                                  \
    }                                                                                        \
    uint32_t AddRef() override { return GetOuterUnknown()->AddRef(); }                       \
    uint32_t Release() override { return GetOuterUnknown()->Release(); }
