#include "aax/AAX_CPacketDispatcher.h"

#include "aax/AAX_IACFEffectParameters.h"
#include "aax/AAX_IParameter.h"
#include "aax/AAX_VController.h"

AAX_CPacketDispatcher::~AAX_CPacketDispatcher() {
    OwnerThreadLock lock(lockGuard);
    packetsHandlers.clear();
    packetsByPort.clear();
}

void AAX_CPacketDispatcher::Initialize(AAX_VController* controller_, AAX_IACFEffectParameters* effectParameters_) {
    controller = controller_;
    effectParameters = effectParameters_;
}

AAX_Result AAX_CPacketDispatcher::RegisterPacket(const char* identifier, int32_t port, const AAX_IPacketHandler& handler) {
    OwnerThreadLock lock(lockGuard);
    AAX_CPacket* packet = nullptr;
    if (port >= 0) {
        auto& slot = packetsByPort[port];
        if (!slot) slot = std::make_unique<AAX_CPacket>(port);
        packet = slot.get();
    }
    packetsHandlers.emplace(identifier ? identifier : "", Entry{packet, std::unique_ptr<AAX_IPacketHandler>(handler.Clone())});
    anyDirty.store(true, std::memory_order_release);  // a new packet starts dirty
    return AAX_SUCCESS;
}

AAX_Result AAX_CPacketDispatcher::SetDirty(const char* identifier, bool dirty) {
    if (!identifier) return AAX_SUCCESS;
    OwnerThreadLock lock(lockGuard);
    const auto [first, last] = packetsHandlers.equal_range(identifier);
    for (auto entry = first; entry != last; ++entry)
        if (entry->second.packet) entry->second.packet->SetDirty(dirty);
    if (dirty) anyDirty.store(true, std::memory_order_release);
    return AAX_SUCCESS;
}

AAX_Result AAX_CPacketDispatcher::Dispatch() {
    // Hosts ask for coefficients far more often than values change (the
    // host stand-in before every buffer): with no packet marked since the
    // last pass, there is nothing to handle and no lock to take.  A mark
    // that lands after this look is handled by the next pass.
    if (!anyDirty.load(std::memory_order_acquire)) return AAX_SUCCESS;
    OwnerThreadLock lock(lockGuard);
    anyDirty.store(false, std::memory_order_relaxed);
    const uint64_t serial = ++dispatchCount;
    AAX_Result result = AAX_SUCCESS;
    for (auto& [identifier, entry] : packetsHandlers) {
        AAX_CPacket* packet = entry.packet;
        if (!packet || !packet->IsDirty() || packet->lastDispatch == serial) continue;
        packet->lastDispatch = serial;
        bool posted = true;
        if (entry.handler->CallHandler(identifier.c_str(), *packet) == AAX_SUCCESS) {
            result = controller ? controller->PostPacket(uint32_t(packet->GetID()), packet->GetData(), uint32_t(packet->GetSize()))
                                : AAX_ERROR_NULL_OBJECT;
            posted = result == AAX_SUCCESS;
        }
        packet->SetDirty(!posted);
        if (!posted) anyDirty.store(true, std::memory_order_relaxed);  // posted again next time
    }
    return result;
}

AAX_Result AAX_CPacketDispatcher::GenerateSingleValuePacket(const char* identifier, AAX_CPacket& packet) {
    AAX_IParameter* parameter = nullptr;
    if (!effectParameters || effectParameters->GetParameter(identifier, &parameter) != AAX_SUCCESS || !parameter)
        return AAX_ERROR_NULL_OBJECT;
    bool flag = false;
    float single = 0;
    int32_t integer = 0;
    double wide = 0;
    if (parameter->GetValueAsBool(&flag)) packet.Set(int32_t(flag ? 1 : 0));
    else if (parameter->GetValueAsFloat(&single)) packet.Set(single);
    else if (parameter->GetValueAsInt32(&integer)) packet.Set(integer);
    else if (parameter->GetValueAsDouble(&wide)) packet.Set(wide);
    else return AAX_ERROR_NULL_OBJECT;
    return AAX_SUCCESS;
}
