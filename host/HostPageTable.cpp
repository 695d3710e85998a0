#include "host/HostPageTable.h"

#include "aax/AAX_IString.h"

ACFRESULT HostPageTable::QueryInterface(const acfIID& iid, void** out) {
    return answerQuery(this, iid, out, {IID_IACFUnknown, IID_IACFPageTable, IID_IACFPageTable_V2});
}

AAX_Result HostPageTable::Clear() {
    pages.clear();
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::GetNumPages(int32_t* count) const {
    if (!count) return AAX_ERROR_NULL_ARGUMENT;
    *count = int32_t(pages.size());
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::InsertPage(int32_t page) {
    if (page < 0 || size_t(page) > pages.size()) return AAX_ERROR_INVALID_PARAMETER_ID;
    pages.insert(pages.begin() + page, std::map<int32_t, std::string>());
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::RemovePage(int32_t page) {
    if (page < 0 || size_t(page) >= pages.size()) return AAX_ERROR_INVALID_PARAMETER_ID;
    pages.erase(pages.begin() + page);
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::GetMappedParameterID(int32_t page, int32_t slot, AAX_IString* id) const {
    if (!id) return AAX_ERROR_NULL_ARGUMENT;
    if (page < 0 || size_t(page) >= pages.size()) return AAX_ERROR_INVALID_PARAMETER_ID;
    const auto found = pages[size_t(page)].find(slot);
    id->Set(found == pages[size_t(page)].end() ? "" : found->second.c_str());
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::MapParameterID(const char* id, int32_t page, int32_t slot) {
    if (!id) return AAX_ERROR_NULL_ARGUMENT;
    if (page < 0 || size_t(page) >= pages.size()) return AAX_ERROR_INVALID_PARAMETER_ID;
    pages[size_t(page)][slot] = id;
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::GetNumNameVariations(const char*, int32_t* count) const {
    if (!count) return AAX_ERROR_NULL_ARGUMENT;
    *count = 0;
    return AAX_SUCCESS;
}
