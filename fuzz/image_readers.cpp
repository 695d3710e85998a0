// Feeds arbitrary bytes to the image readers (PNG, device-independent bitmap)
// and the resource table; whatever decodes must describe exactly its pixels.
#include <cstdint>
#include <cstdlib>

#include "guitoolkit/DibDecoder.h"
#include "guitoolkit/PngDecoder.h"
#include "platform/ResourceTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VSTGUI::DecodedImage image;
    for (auto decode : {VSTGUI::decodePng, VSTGUI::decodeDib}) {
        if (decode(data, size, image) &&
            image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
            std::abort();
    }
    platform::ResourceTable table;
    if (table.read({data, size}))
        for (const auto& entry : table.entries()) {
            const auto bytes = table.find(entry.type, entry.id);
            if (bytes.data() < data || bytes.data() + bytes.size() > data + size) std::abort();
        }
    return 0;
}
