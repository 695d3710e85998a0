#pragma once
// A result code as the user reads it: its name beside its number.

#include <cstdint>
#include <string>

// "AAX_ERROR_MALFORMED_CHUNK (-20026)", "ACF_E_UNEXPECTED (0x8000FFFF)".
std::string resultText(int32_t code);
