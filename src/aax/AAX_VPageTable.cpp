#include "aax/AAX_VPageTable.h"

AAX_VPageTable::AAX_VPageTable(IACFUnknown* table)
    : v1(acfQuery<AAX_IACFPageTable>(table, IID_IACFPageTable)),
      v2(acfQuery<AAX_IACFPageTable_V2>(table, IID_IACFPageTable_V2)) {}

AAX_VPageTable::~AAX_VPageTable() {
    acfRelease(v2);
    acfRelease(v1);
}

IACFUnknown* AAX_VPageTable::GetUnknown() const {
    if (v2) return v2;
    return v1;
}

AAX_Result AAX_VPageTable::Clear() { return v1 ? v1->Clear() : AAX_ERROR_UNIMPLEMENTED; }
AAX_Result AAX_VPageTable::GetNumPages(int32_t* pages) const { return v1 ? v1->GetNumPages(pages) : AAX_ERROR_UNIMPLEMENTED; }
AAX_Result AAX_VPageTable::InsertPage(int32_t page) { return v1 ? v1->InsertPage(page) : AAX_ERROR_UNIMPLEMENTED; }
AAX_Result AAX_VPageTable::RemovePage(int32_t page) { return v1 ? v1->RemovePage(page) : AAX_ERROR_UNIMPLEMENTED; }
AAX_Result AAX_VPageTable::GetMappedParameterID(int32_t page, int32_t slot, AAX_IString* id) const {
    return v1 ? v1->GetMappedParameterID(page, slot, id) : AAX_ERROR_UNIMPLEMENTED;
}
AAX_Result AAX_VPageTable::MapParameterID(const char* id, int32_t page, int32_t slot) {
    return v1 ? v1->MapParameterID(id, page, slot) : AAX_ERROR_UNIMPLEMENTED;
}
AAX_Result AAX_VPageTable::GetNumNameVariations(const char* id, int32_t* count) const {
    return v2 ? v2->GetNumNameVariations(id, count) : AAX_ERROR_UNIMPLEMENTED;
}
