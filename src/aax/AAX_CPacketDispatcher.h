#pragma once
// Keeps one coefficient packet per context port, the handlers that fill them
// and the identifiers that feed them.  A changed parameter marks its packets
// dirty; the host's coefficient request (Dispatch) runs the handlers of the
// dirty packets and posts the results through the controller.  Every
// operation on the packets holds the owner-thread lock, so the GUI-side calls
// and Dispatch on the coefficient thread are serialised, and a handler may
// call back into the dispatcher on the dispatching thread; a Dispatch with
// nothing marked since the last one returns before the lock.

#include <atomic>
#include <map>
#include <memory>
#include <string>

#include "aax/AAX_CPacket.h"
#include "aax/AAX_CPacketHandler.h"
#include "aax/OwnerThreadMutex.h"

class AAX_IACFEffectParameters;
class AAX_VController;

class AAX_CPacketDispatcher {
public:
    AAX_CPacketDispatcher() = default;
    ~AAX_CPacketDispatcher();
    AAX_CPacketDispatcher(const AAX_CPacketDispatcher&) = delete;
    AAX_CPacketDispatcher& operator=(const AAX_CPacketDispatcher&) = delete;

    void Initialize(AAX_VController* controller, AAX_IACFEffectParameters* effectParameters);
    // Clones the handler.  A negative port stores the handler without a packet.
    AAX_Result RegisterPacket(const char* identifier, int32_t port, const AAX_IPacketHandler& handler);
    AAX_Result SetDirty(const char* identifier, bool dirty = true);
    // Handles each dirty packet once; a handler's failure cleans the packet
    // (it waits for the next change), a failed post leaves it dirty so that
    // the next Dispatch posts it again.  Answers the last post's result.
    AAX_Result Dispatch();
    // The handler for packets that carry one parameter value (bool or int32
    // as 4 bytes, float 4, double 8).
    AAX_Result GenerateSingleValuePacket(const char* identifier, AAX_CPacket& packet);

private:
    struct Entry {
        AAX_CPacket* packet;
        std::unique_ptr<AAX_IPacketHandler> handler;
    };

    std::map<int32_t, std::unique_ptr<AAX_CPacket>> packetsByPort;
    std::multimap<std::string, Entry> packetsHandlers;
    AAX_VController* controller = nullptr;
    AAX_IACFEffectParameters* effectParameters = nullptr;
    uint64_t dispatchCount = 0;
    // Whether a packet may be dirty: set with every mark (and by a new
    // packet or a failed post), cleared by the Dispatch that looks.
    std::atomic<bool> anyDirty{false};
    OwnerThreadMutex lockGuard;
};
