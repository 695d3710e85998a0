#pragma once
// Names an image of the module: by resource number, or by name (a resource of
// that name, else a file of that name).  A bitmap made empty at a size says so
// in its own kind.

#include <cstdint>
#include <string>

namespace VSTGUI {

struct CResourceDescription {
    enum : int32_t { kIntegerType = 0, kStringType = 1, kEmptyType = 2 };

    CResourceDescription() : type(kEmptyType) {}
    CResourceDescription(int32_t number) : type(kIntegerType), id(number) {}
    CResourceDescription(const char* text) : type(kStringType), name(text ? text : "") {}

    int32_t type;
    int32_t id = 0;
    std::string name;
};

}  // namespace VSTGUI
