#pragma once
// Texts of the interface are bytes in the Windows ANSI code page (1252).  The
// symbol face is indexed by the bytes themselves (its glyphs sit at the
// Latin-1 code points: 'a' is alpha, 0xAC to 0xAF are arrows), so its texts
// pass byte for byte.  These turn such bytes into UTF-8 for the font engine.

#include <cstdint>
#include <string>
#include <string_view>

namespace VSTGUI {

char32_t ansiToUnicode(uint8_t byte);
std::string ansiToUtf8(std::string_view text, bool symbolFont);

}  // namespace VSTGUI
