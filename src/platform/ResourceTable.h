#pragma once
// The module's resources: the interface images that the build draws and links
// into the library, found by type and number as the toolkit's loaders expect.
//
// Layout of a table (little-endian 32-bit words): "ZRES", the entry count, then
// per entry its number, type, byte offset from the table's start and byte
// size, then the bytes.  A table is checked whole when it is read: an entry
// that reaches past the end, or a count the bytes cannot hold, refuses the
// table, so a lookup never answers bytes outside it.  Any thread once read.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace platform {

enum class ResourceType : uint32_t { png = 1, bitmap = 2 };

class ResourceTable {
public:
    struct Entry {
        int32_t id;
        ResourceType type;
        uint32_t offset;
        uint32_t size;
    };

    // Reads the index of the table; false (and an empty table) for bytes that
    // are not a whole table.  The bytes must outlive the table.
    bool read(std::span<const uint8_t> bytes);

    // The bytes of the resource; empty when there is none of that type and id.
    std::span<const uint8_t> find(ResourceType type, int32_t id) const;
    const std::vector<Entry>& entries() const { return index; }

    // Builds a table from its entries' bytes (the image foundry's output).
    struct Item {
        int32_t id;
        ResourceType type;
        std::vector<uint8_t> bytes;
    };
    static std::vector<uint8_t> write(const std::vector<Item>& items);

private:
    std::span<const uint8_t> data;
    std::vector<Entry> index;
};

// The table linked into this module (empty when the program has none).
const ResourceTable& moduleResources();

}  // namespace platform
