#pragma once
// Texts of the interface are bytes in the Windows ANSI code page (1252); the
// symbol font reads the same bytes in its own encoding (letters are Greek,
// 0xAC to 0xAF are arrows).  These turn such bytes into UTF-8 for the font
// engine.

#include <cstdint>
#include <string>
#include <string_view>

namespace VSTGUI {

char32_t ansiToUnicode(uint8_t byte);
char32_t symbolToUnicode(uint8_t byte);
std::string ansiToUtf8(std::string_view text, bool symbolFont);

}  // namespace VSTGUI
