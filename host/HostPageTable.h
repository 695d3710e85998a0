#pragma once
// A control-surface page table as the host hands it to an effect to fill:
// pages of slots, each slot mapped to a parameter identifier.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "aax/AAXHostInterfaces.h"
#include "host/HostObject.h"

class HostPageTable final : public HostObject<AAX_IACFPageTable_V2> {
public:
    ACFRESULT QueryInterface(const acfIID& iid, void** out) override;
    AAX_Result Clear() override;
    AAX_Result GetNumPages(int32_t* pages) const override;
    AAX_Result InsertPage(int32_t page) override;
    AAX_Result RemovePage(int32_t page) override;
    AAX_Result GetMappedParameterID(int32_t page, int32_t slot, AAX_IString* id) const override;
    AAX_Result MapParameterID(const char* id, int32_t page, int32_t slot) override;
    AAX_Result GetNumNameVariations(const char* id, int32_t* count) const override;

    std::vector<std::map<int32_t, std::string>> pages;  // slot -> identifier
};
