#pragma once
// What is being dragged over the frame: a list of items read with a cursor.
// The frame's drop support fills one; views read it in their drag operations.

#include <cstdint>

namespace VSTGUI {

class CDragContainer {
public:
    virtual ~CDragContainer() = default;
    // The first item (the cursor goes back to it), or null; size and type out.
    virtual void* first(int32_t& size, int32_t& type) = 0;
    // The item after the cursor, or null.
    virtual void* next(int32_t& size, int32_t& type) = 0;
    virtual int32_t getCount() const = 0;
};

}  // namespace VSTGUI
