#pragma once
// Fills a packet when one of its parameters changed.  The dispatcher owns
// clones of the handlers it is given.

#include "aax/AAXResults.h"
#include "aax/AAX_CPacket.h"

class AAX_IPacketHandler {
public:
    virtual ~AAX_IPacketHandler() = default;
    virtual AAX_IPacketHandler* Clone() const = 0;
    virtual AAX_Result CallHandler(const char* identifier, AAX_CPacket& packet) const = 0;
};

// A member function of an owner object; the form with the identifier wins
// when both are given.
template <typename T>
class AAX_CPacketHandler : public AAX_IPacketHandler {
public:
    using WithIdentifier = AAX_Result (T::*)(const char* identifier, AAX_CPacket& packet);
    using PacketOnly = AAX_Result (T::*)(AAX_CPacket& packet);

    AAX_CPacketHandler(T* owner_, WithIdentifier callback) : owner(owner_), withIdentifier(callback) {}
    AAX_CPacketHandler(T* owner_, PacketOnly callback) : owner(owner_), packetOnly(callback) {}

    AAX_CPacketHandler* Clone() const override { return new AAX_CPacketHandler(*this); }

    AAX_Result CallHandler(const char* identifier, AAX_CPacket& packet) const override {
        if (owner && withIdentifier) return (owner->*withIdentifier)(identifier, packet);
        if (owner && packetOnly) return (owner->*packetOnly)(packet);
        return AAX_ERROR_NULL_OBJECT;
    }

private:
    T* owner;
    WithIdentifier withIdentifier = nullptr;
    PacketOnly packetOnly = nullptr;
};
