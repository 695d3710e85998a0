#pragma once
// Wrapper of the host's controller: sample rate, coefficient packets, and
// copies of the host's page tables.  A missing first version answers -20004,
// a missing later one -20009.

#include "aax/AAXHostInterfaces.h"

class AAX_VPageTable;

class AAX_VController {
public:
    explicit AAX_VController(IACFUnknown* host);
    virtual ~AAX_VController();
    AAX_VController(const AAX_VController&) = delete;
    AAX_VController& operator=(const AAX_VController&) = delete;

    virtual AAX_Result GetEffectID(AAX_IString* id) const;
    virtual AAX_Result GetSampleRate(float* rate) const;
    virtual AAX_Result GetInputStemFormat(int32_t* format) const;
    virtual AAX_Result GetOutputStemFormat(int32_t* format) const;
    virtual AAX_Result GetSignalLatency(int32_t* samples) const;
    virtual AAX_Result SetSignalLatency(int32_t samples);
    virtual AAX_Result PostPacket(uint32_t fieldIndex, const void* data, uint32_t size);
    virtual AAX_Result GetCurrentMeterValue(uint32_t meterID, float* value) const;
    virtual AAX_Result SendNotification(uint32_t type, const void* data, uint32_t size);
    virtual AAX_Result GetHybridSignalLatency(int32_t* samples) const;
    virtual AAX_Result CreateTaskAgent(IACFUnknown** out);
    // A new wrapper over a host-filled copy of a page table, owned by the
    // caller; null when the host gives none.
    virtual AAX_VPageTable* CreateTableCopyForEffect(const char* effectID, const char* layout, uint32_t tableType, int32_t pageSize) const;
    virtual AAX_VPageTable* CreateTableCopyForLayout(const char* effectID, const char* layout, uint32_t tableType, int32_t pageSize) const;
    virtual AAX_VPageTable* CreateTableCopyForEffectFromFile(const char* path, const char* layout, uint32_t tableType, int32_t pageSize) const;
    virtual AAX_VPageTable* CreateTableCopyForLayoutFromFile(const char* path, const char* layout, uint32_t tableType, int32_t pageSize) const;

private:
    template <typename Copy>
    AAX_VPageTable* copyTable(bool available, Copy copy) const;

    AAX_IACFController* v1 = nullptr;
    AAX_IACFController_V2* v2 = nullptr;
    AAX_IACFController_V3* v3 = nullptr;
    AAX_IACFPageTableController* pageTables = nullptr;
    AAX_IACFPageTableController_V2* pageTablesV2 = nullptr;
    IACFComponentFactory* factory = nullptr;
};
