#pragma once
// Wrapper of a host page table; every operation answers -20009 when the host
// object lacks the version that introduced it.

#include "aax/AAXHostInterfaces.h"

class AAX_VPageTable {
public:
    explicit AAX_VPageTable(IACFUnknown* table);
    virtual ~AAX_VPageTable();
    AAX_VPageTable(const AAX_VPageTable&) = delete;
    AAX_VPageTable& operator=(const AAX_VPageTable&) = delete;

    virtual AAX_Result Clear();
    virtual AAX_Result GetNumPages(int32_t* pages) const;
    virtual AAX_Result InsertPage(int32_t page);
    virtual AAX_Result RemovePage(int32_t page);
    virtual AAX_Result GetMappedParameterID(int32_t page, int32_t slot, AAX_IString* id) const;
    virtual AAX_Result MapParameterID(const char* id, int32_t page, int32_t slot);
    virtual AAX_Result GetNumNameVariations(const char* id, int32_t* count) const;

    bool IsSupported() const { return v1 != nullptr; }
    IACFUnknown* GetUnknown() const;  // newest version held, or null

private:
    AAX_IACFPageTable* v1 = nullptr;
    AAX_IACFPageTable_V2* v2 = nullptr;
};
