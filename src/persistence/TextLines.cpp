#include "persistence/TextLines.h"

#include <cstring>

#include "platform/SystemTime.h"

namespace {

// The length of the break at text, 0 when there is none.
int breakLength(const char* text) {
    if (text[0] == '\n') return 1;
    return (text[0] == '\\' && text[1] == 'n') ? 2 : 0;
}

}  // namespace

uint32_t countTextLines(const char* text) {
    uint32_t lines = 1;
    if (!text) return lines;
    for (const char* p = text; *p;) {
        const int n = breakLength(p);
        lines += n ? 1 : 0;
        p += n ? n : 1;
    }
    return lines;
}

bool getTextLine(uint32_t n, char* out, const char* text) {
    if (!out || !text) return false;
    uint32_t line = 0;
    const char* start = text;
    for (const char* p = text;; ) {
        const int length = breakLength(p);
        if (length || !*p) {
            if (line == n) {
                const size_t count = size_t(p - start);
                std::memcpy(out, start, count);
                out[count] = '\0';
                return true;
            }
            if (!*p) return false;
            ++line;
            p += length;
            start = p;
        } else {
            ++p;
        }
    }
}

void copyStringBounded(char* dst, const char* src, uint32_t size) {
    if (!dst || !src || size == 0) return;
    const size_t n = strnlen(src, size);
    if (n < size) {
        std::memcpy(dst, src, n + 1);
        return;
    }
    std::memcpy(dst, src, size - 1);
    dst[size - 1] = '\0';
}

uint64_t currentTimeMs() { return platform::systemTimeMs(); }
