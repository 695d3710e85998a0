#include "platform/ResourceTable.h"

// The build links the table into the module between these two symbols (an
// assembler file that includes the image foundry's output).  They are weak, so
// that programs built without the images link and simply find none.
extern "C" {
extern const uint8_t zorvane_resources_begin[] __attribute__((weak));
extern const uint8_t zorvane_resources_end[] __attribute__((weak));
}

namespace platform {

const ResourceTable& moduleResources() {
    static const ResourceTable table = [] {
        ResourceTable t;
        const uint8_t* begin = zorvane_resources_begin;
        const uint8_t* end = zorvane_resources_end;
        if (begin && end > begin) t.read({begin, static_cast<size_t>(end - begin)});
        return t;
    }();
    return table;
}

}  // namespace platform
