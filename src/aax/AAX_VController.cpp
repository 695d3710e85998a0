#include "aax/AAX_VController.h"

#include "aax/AAX_VPageTable.h"

AAX_VController::AAX_VController(IACFUnknown* host)
    : v1(acfQuery<AAX_IACFController>(host, IID_IACFController)),
      v2(acfQuery<AAX_IACFController_V2>(host, IID_IACFController_V2)),
      v3(acfQuery<AAX_IACFController_V3>(host, IID_IACFController_V3)),
      pageTables(acfQuery<AAX_IACFPageTableController>(host, IID_IACFPageTableController)),
      pageTablesV2(acfQuery<AAX_IACFPageTableController_V2>(host, IID_IACFPageTableController_V2)),
      factory(acfQuery<IACFComponentFactory>(host, IID_IACFComponentFactory)) {}

AAX_VController::~AAX_VController() {
    acfRelease(factory);
    acfRelease(pageTablesV2);
    acfRelease(pageTables);
    acfRelease(v3);
    acfRelease(v2);
    acfRelease(v1);
}

AAX_Result AAX_VController::GetEffectID(AAX_IString* id) const { return v1 ? v1->GetEffectID(id) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VController::GetSampleRate(float* rate) const { return v1 ? v1->GetSampleRate(rate) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VController::GetInputStemFormat(int32_t* format) const { return v1 ? v1->GetInputStemFormat(format) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VController::GetOutputStemFormat(int32_t* format) const { return v1 ? v1->GetOutputStemFormat(format) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VController::GetSignalLatency(int32_t* samples) const { return v1 ? v1->GetSignalLatency(samples) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VController::SetSignalLatency(int32_t samples) { return v1 ? v1->SetSignalLatency(samples) : AAX_ERROR_NULL_OBJECT; }
AAX_Result AAX_VController::PostPacket(uint32_t fieldIndex, const void* data, uint32_t size) {
    return v1 ? v1->PostPacket(fieldIndex, data, size) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VController::GetCurrentMeterValue(uint32_t meterID, float* value) const {
    return v1 ? v1->GetCurrentMeterValue(meterID, value) : AAX_ERROR_NULL_OBJECT;
}
AAX_Result AAX_VController::SendNotification(uint32_t type, const void* data, uint32_t size) {
    return v2 ? v2->SendNotification(type, data, size) : AAX_ERROR_UNIMPLEMENTED;
}
AAX_Result AAX_VController::GetHybridSignalLatency(int32_t* samples) const {
    return v2 ? v2->GetHybridSignalLatency(samples) : AAX_ERROR_UNIMPLEMENTED;
}
AAX_Result AAX_VController::CreateTaskAgent(IACFUnknown** out) {
    if (v3) return v3->CreateTaskAgent(out);
    if (out) *out = nullptr;
    return AAX_ERROR_UNIMPLEMENTED;
}

template <typename Copy>
AAX_VPageTable* AAX_VController::copyTable(bool available, Copy copy) const {
    if (!available || !factory) return nullptr;
    void* made = nullptr;
    if (factory->CreateComponent(CLSID_PageTable, IID_IACFUnknown, &made) != ACF_OK || !made) return nullptr;
    auto* table = static_cast<IACFUnknown*>(made);
    AAX_VPageTable* wrapped = nullptr;
    if (copy(table) == AAX_SUCCESS) {
        wrapped = new AAX_VPageTable(table);
        if (!wrapped->IsSupported()) {
            delete wrapped;
            wrapped = nullptr;
        }
    }
    table->Release();
    return wrapped;
}

AAX_VPageTable* AAX_VController::CreateTableCopyForEffect(const char* effectID, const char* layout, uint32_t tableType, int32_t pageSize) const {
    return copyTable(pageTables, [&](IACFUnknown* table) { return pageTables->CopyTableForEffect(effectID, layout, tableType, pageSize, table); });
}
AAX_VPageTable* AAX_VController::CreateTableCopyForLayout(const char* effectID, const char* layout, uint32_t tableType, int32_t pageSize) const {
    return copyTable(pageTables, [&](IACFUnknown* table) { return pageTables->CopyTableForLayout(effectID, layout, tableType, pageSize, table); });
}
AAX_VPageTable* AAX_VController::CreateTableCopyForEffectFromFile(const char* path, const char* layout, uint32_t tableType, int32_t pageSize) const {
    return copyTable(pageTablesV2, [&](IACFUnknown* table) { return pageTablesV2->CopyTableForEffectFromFile(path, layout, tableType, pageSize, table); });
}
AAX_VPageTable* AAX_VController::CreateTableCopyForLayoutFromFile(const char* path, const char* layout, uint32_t tableType, int32_t pageSize) const {
    return copyTable(pageTablesV2, [&](IACFUnknown* table) { return pageTablesV2->CopyTableForLayoutFromFile(path, layout, tableType, pageSize, table); });
}
