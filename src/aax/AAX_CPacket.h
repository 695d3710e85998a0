#pragma once
// One coefficient packet: the bytes posted to one context port.  Created
// dirty with 8 zero bytes and a data size of 0.

#include <cstdint>
#include <cstring>
#include <vector>

class AAX_CPacket {
public:
    explicit AAX_CPacket(int32_t port_) : port(port_) {}

    int32_t GetID() const { return port; }
    bool IsDirty() const { return dirty; }
    void SetDirty(bool value) { dirty = value; }
    uint64_t GetSize() const { return size; }
    const uint8_t* GetData() const { return data.data(); }

    // Makes the valid bytes exactly `value`, in machine byte order.
    template <typename V>
    void Set(const V& value) {
        size = sizeof(V);
        if (data.size() < sizeof(V)) data.resize(sizeof(V), 0);
        std::memcpy(data.data(), &value, sizeof(V));
    }

    // Which Dispatch last handled the packet, so that a packet fed by several
    // identifiers is handled once per Dispatch.
    uint64_t lastDispatch = 0;

private:
    int32_t port;
    bool dirty = true;
    uint64_t size = 0;
    std::vector<uint8_t> data = std::vector<uint8_t>(8, 0);
};
