// The bitmap resource reader: rows padded to four bytes in either direction,
// and headers that do not describe the bytes behind them refused.
#include "guitoolkit/DibDecoder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using VSTGUI::DecodedImage;
using VSTGUI::decodeDib;

void setWord(std::vector<uint8_t>& bytes, size_t at, uint32_t value, int size = 4) {
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(DibDecoder, ReadsPaddedRowsBothWaysAndRefusesBadHeaders) {
    // 3 x 2 pixels: 9 bytes of each row plus 3 of padding.
    const DecodedImage picture{3, 2, {0xFF010203, 0xFF040506, 0xFF070809, 0xFFA0B0C0, 0xFFD0E0F0, 0xFF102030}};
    const std::vector<uint8_t> bottomUp = VSTGUI::encodeDib(picture);
    ASSERT_EQ(bottomUp.size(), 40u + 2 * 12);
    DecodedImage image;
    ASSERT_TRUE(decodeDib(bottomUp.data(), bottomUp.size(), image));
    EXPECT_EQ(image.pixels, picture.pixels);

    // The same rows stored top-down (negative height) at 32 bits per pixel.
    std::vector<uint8_t> topDown(bottomUp.begin(), bottomUp.begin() + 40);
    setWord(topDown, 8, static_cast<uint32_t>(-2));
    setWord(topDown, 14, 32, 2);
    for (uint32_t p : picture.pixels) topDown.insert(topDown.end(), {uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16), 0});
    ASSERT_TRUE(decodeDib(topDown.data(), topDown.size(), image));
    EXPECT_EQ(image.pixels, picture.pixels);

    const struct {
        size_t at;
        uint32_t value;
        int size;
    } damage[] = {
        {0, 12, 4},           {0, 1000, 4},         {4, 0, 4},          {4, 0x80000000u, 4}, {8, 0, 4},
        {8, 0x80000000u, 4}, {12, 2, 2},           {14, 8, 2},         {16, 1, 4},          {4, 5, 4},
        {8, 3, 4},           {4, 70000, 4},        {4, 40000, 4},
    };
    for (const auto& d : damage) {
        std::vector<uint8_t> bad = bottomUp;
        setWord(bad, d.at, d.value, d.size);
        EXPECT_FALSE(decodeDib(bad.data(), bad.size(), image)) << d.at << " = " << d.value;
        EXPECT_TRUE(image.pixels.empty());
    }
    for (size_t cut : {size_t{0}, size_t{39}, bottomUp.size() - 1})
        EXPECT_FALSE(decodeDib(bottomUp.data(), cut, image)) << cut;
}

}  // namespace
