// Bitmaps: PNG files that other encoders wrote (Python's PIL and ImageMagick,
// both from Debian) decode to the documented premultiplied pixels, and the
// drawing rules hold on the module's own images.
#include "guitoolkit/CBitmap.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "guitoolkit/CDrawContext.h"
#include "guitoolkit/PngDecoder.h"
#include "support/TempDir.h"

namespace {

using namespace VSTGUI;

// Writes the test pictures with PIL; ref.png is a gradient with varied alpha
// that ImageMagick then rewrites interlaced and with 16-bit channels.
constexpr const char* kPeerScript = R"(
import sys
from PIL import Image
d = sys.argv[1]
def save(mode, size, data, name, **kw):
    im = Image.new(mode, size); im.putdata(data); im.save(d + '/' + name, **kw)
save('RGBA', (3, 1), [(50, 100, 200, 128), (10, 20, 30, 0), (255, 255, 255, 255)], 'rgba.png')
save('RGB', (2, 1), [(255, 255, 255), (1, 2, 3)], 'rgb.png')
save('RGB', (2, 1), [(1, 2, 3), (4, 5, 6)], 'rgb-trns.png', transparency=(4, 5, 6))
save('I;16', (2, 1), [0x1234, 0xFFFF], 'grey16.png')
save('L', (2, 1), [7, 200], 'grey-trns.png', transparency=7)
save('1', (3, 1), [0, 255, 0], 'grey1.png')
im = Image.new('P', (3, 1)); im.putpalette([10, 20, 30, 200, 100, 50, 0, 0, 0] + [0] * 759)
im.putdata([0, 1, 2]); im.save(d + '/palette-trns.png', transparency=bytes([255, 128, 0]))
im = Image.new('P', (2, 1)); im.putpalette([1, 2, 3, 255, 255, 255] + [0] * 762)
im.putdata([1, 0]); im.save(d + '/palette.png')
save('RGBA', (37, 23), [(x * 7, y * 11, (x * y) % 256, (x * 13 + y * 5) % 256) for y in range(23) for x in range(37)],
     'ref.png')
)";

class CBitmapTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new TempDir;
        std::ofstream(*dir / "make.py") << kPeerScript;
        const std::string d = dir->str();
        // The Debian interpreter, whatever python3 the PATH holds.
        const std::string pil = "/usr/bin/python3 " + d + "/make.py " + d;
        ASSERT_EQ(std::system(pil.c_str()), 0) << "scripts/setup installs python3-pil";
        const std::string im = "/usr/bin/convert " + d + "/ref.png ";
        ASSERT_EQ(std::system((im + "-interlace PNG PNG32:" + d + "/interlaced.png").c_str()), 0)
            << "scripts/setup installs imagemagick";
        ASSERT_EQ(std::system((im + "-depth 16 PNG64:" + d + "/deep.png").c_str()), 0);
    }
    static void TearDownTestSuite() { delete dir; }

    static std::vector<uint8_t> bytes(const std::string& name) {
        std::ifstream in(*dir / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static std::vector<uint32_t> load(const std::string& name) {
        auto* bitmap = new CBitmap(CResourceDescription((*dir / name).c_str()));
        EXPECT_TRUE(bitmap->hasHandle()) << name;
        EXPECT_TRUE(bitmap->hasAlpha()) << name;
        std::vector<uint32_t> pixels(bitmap->getPixels(),
                                     bitmap->getPixels() + bitmap->getWidth() * bitmap->getHeight());
        bitmap->forget();
        return pixels;
    }
    static TempDir* dir;
};
TempDir* CBitmapTest::dir = nullptr;

// Pixels as words: alpha, red, green, blue from the top byte (blue, green,
// red, alpha in memory), premultiplied by alpha / 256, truncated.
TEST_F(CBitmapTest, PeerPngsDecodeToPremultipliedPixels) {
    const struct {
        const char* file;
        std::vector<uint32_t> pixels;
    } cases[] = {
        // blue 200, green 100, red 50, alpha 128 -> (100, 50, 25, 128); alpha 0 -> zero; 255 x 255 -> 254
        {"rgba.png", {0x80193264, 0, 0xFFFEFEFE}},
        {"rgb.png", {0xFFFEFEFE, 0xFF000102}},  // filler alpha 255
        {"rgb-trns.png", {0xFF000102, 0}},
        {"grey16.png", {0xFF111111, 0xFFFEFEFE}},  // 0x1234 keeps its high byte
        {"grey-trns.png", {0, 0xFFC7C7C7}},
        {"grey1.png", {0xFF000000, 0xFFFEFEFE, 0xFF000000}},
        {"palette-trns.png", {0xFF09131D, 0x80643219, 0}},
        {"palette.png", {0xFFFEFEFE, 0xFF000102}},  // the same channel order as rgb.png
    };
    for (const auto& c : cases) EXPECT_EQ(load(c.file), c.pixels) << c.file;
}

TEST_F(CBitmapTest, InterlacedAndSixteenBitFormsDecodeLikeThePlainOne) {
    const std::vector<uint32_t> reference = load("ref.png");
    ASSERT_EQ(reference.size(), 37u * 23u);
    EXPECT_EQ(bytes("interlaced.png").at(28), 1) << "ImageMagick wrote no Adam7 image";
    EXPECT_EQ(bytes("deep.png").at(24), 16) << "ImageMagick wrote no 16-bit image";
    EXPECT_EQ(load("interlaced.png"), reference);
    EXPECT_EQ(load("deep.png"), reference);
}

TEST_F(CBitmapTest, ABrokenPngIsAFailureAndLeavesNoPixels) {
    const std::vector<uint8_t> good = bytes("ref.png");
    DecodedImage image;
    ASSERT_TRUE(decodePng(good.data(), good.size(), image));
    std::vector<std::vector<uint8_t>> broken = {{}, {good.begin(), good.begin() + 8},
                                                {good.begin(), good.begin() + 40},
                                                {good.begin(), good.begin() + long(good.size() / 2)}};
    broken.push_back(good);
    broken.back()[good.size() / 2] ^= 0x5A;  // IDAT no longer matches its checksum
    broken.push_back(good);
    broken.back()[33] = 0x63;  // the chunk after the header claims 1.6 GB in a small file
    for (size_t i = 0; i < broken.size(); ++i) {
        EXPECT_FALSE(decodePng(broken[i].data(), broken[i].size(), image)) << i;
        EXPECT_TRUE(image.pixels.empty() && image.width == 0) << i;
    }
    std::ofstream(*dir / "half.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(broken[3].data()), std::streamsize(broken[3].size()));
    auto* bitmap = new CBitmap(CResourceDescription((*dir / "half.png").c_str()));
    EXPECT_FALSE(bitmap->hasHandle());
    EXPECT_EQ(bitmap->getWidth(), 0);
    bitmap->forget();
}

TEST_F(CBitmapTest, ColorizeTintsByAlphaOver256) {
    auto* bitmap = new CBitmap(CResourceDescription((*dir / "rgba.png").c_str()));
    bitmap->colorize(CColor{255, 0, 0, 255});
    EXPECT_EQ(bitmap->getPixels()[0], 0x807F0000u);  // 255 x 128 / 256
    EXPECT_EQ(bitmap->getPixels()[1], 0u);           // alpha 0 stays
    EXPECT_EQ(bitmap->getPixels()[2], 0xFFFE0000u);  // opaque: red 254
    bitmap->forget();
}

struct Surface {
    Surface(int w, int h, uint32_t fill) : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h)) {
        auto* p = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
        std::fill(p, p + w * h, fill);
        cairo_surface_mark_dirty(surface);
    }
    ~Surface() { cairo_surface_destroy(surface); }
    uint32_t at(int x, int y) {
        cairo_surface_flush(surface);
        return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface) +
                                           y * cairo_image_surface_get_stride(surface))[x];
    }
    cairo_surface_t* surface;
};

TEST(CBitmapDrawing, AnEmptyRectangleDrawsAndLoadsNothing) {
    Surface target(64, 64, 0xFF000000);
    CDrawContext context(nullptr, target.surface);
    auto* knob = new CBitmap(CResourceDescription(1063), 1);
    EXPECT_FALSE(knob->hasHandle());
    knob->draw(&context, CRect(3, 3, 3, 40));
    knob->drawAlphaBlend(&context, CRect(3, 3, 40, 3));
    knob->drawTransparent(&context, CRect(5, 5, 4, 9));
    EXPECT_FALSE(knob->hasHandle());
    EXPECT_EQ(target.at(20, 20), 0xFF000000u);
    knob->draw(&context, CRect(0, 0, 31, 31), CPoint(0, 31 * 127));
    EXPECT_TRUE(knob->hasHandle());
    EXPECT_EQ(knob->getHeight(), 31 * 128);
    knob->unload();
    EXPECT_FALSE(knob->hasHandle());
    EXPECT_EQ(knob->getWidth(), 0);
    knob->forget();
}

// A keyed meter frame copied with white as the transparent colour: under the
// white pixels the destination stays as it was, elsewhere it takes the image.
TEST(CBitmapDrawing, TheKeyColourLeavesTheDestinationUnchanged) {
    constexpr uint32_t kBehind = 0xFF102030;
    Surface target(36, 55, kBehind);
    CDrawContext context(nullptr, target.surface);
    auto* meter = new CBitmap(CResourceDescription(1032));
    ASSERT_TRUE(meter->hasHandle());
    ASSERT_FALSE(meter->hasAlpha());
    meter->setTransparentColor(colourWhite);
    const int frame = 12;
    meter->drawTransparent(&context, CRect(0, 0, 36, 55), CPoint(0, 55 * frame));
    int keyed = 0, copied = 0;
    for (int y = 0; y < 55; ++y)
        for (int x = 0; x < 36; ++x) {
            const uint32_t source = meter->getPixels()[(frame * 55 + y) * 36 + x] | 0xFF000000u;
            if (source == 0xFFFFFFFFu) {
                ++keyed;
                EXPECT_EQ(target.at(x, y), kBehind) << x << "," << y;
            } else {
                ++copied;
                EXPECT_EQ(target.at(x, y), source) << x << "," << y;
            }
        }
    EXPECT_GT(keyed, 0);
    EXPECT_GT(copied, 0);
    // Another key colour: the white pixels are now drawn like the rest.
    meter->setTransparentColor(colourBlack);
    Surface again(36, 55, kBehind);
    CDrawContext second(nullptr, again.surface);
    meter->drawTransparent(&second, CRect(0, 0, 36, 55), CPoint(0, 55 * frame));
    int white = 0;
    for (int y = 0; y < 55; ++y)
        for (int x = 0; x < 36; ++x) white += again.at(x, y) == 0xFFFFFFFFu;
    EXPECT_EQ(white, keyed);
    meter->forget();
}

// A rectangle that passes the image's edge draws only the part of the image
// that exists, in every mode and at a drawing offset; beyond it the
// destination keeps its pixels.
TEST(CBitmapDrawing, ARectangleBeyondTheImageDrawsOnlyWhatExists) {
    constexpr uint32_t kBehind = 0xFF204060, kInk = 0xFF0000FFu;
    const struct {
        const char* name;
        CRect rect;
        CPoint offset;
        CPoint drawOffset;
    } cases[] = {{"past the right and bottom", {0, 0, 8, 8}, {0, 0}, {0, 0}},
                 {"offset into the image", {2, 2, 10, 10}, {2, 1}, {0, 0}},
                 {"with a drawing offset", {0, 0, 8, 8}, {0, 0}, {3, 2}}};
    for (const auto& c : cases) {
        for (int mode = 0; mode < 3; ++mode) {
            Surface target(16, 16, kBehind);
            CDrawContext context(nullptr, target.surface);
            context.setOffset(c.drawOffset);
            auto* image = new CBitmap(4, 4);
            std::fill_n(image->getPixels(), 16, kInk);
            image->setPixelsHaveAlpha(false);
            if (mode == 0) image->draw(&context, c.rect, c.offset);
            if (mode == 1) image->drawTransparent(&context, c.rect, c.offset);
            if (mode == 2) image->drawAlphaBlend(&context, c.rect, c.offset, 255);
            const CPoint origin(c.rect.left - c.offset.x + c.drawOffset.x, c.rect.top - c.offset.y + c.drawOffset.y);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const bool inRect = x >= c.rect.left + c.drawOffset.x && x < c.rect.right + c.drawOffset.x &&
                                        y >= c.rect.top + c.drawOffset.y && y < c.rect.bottom + c.drawOffset.y;
                    const bool inImage = x >= origin.x && x < origin.x + 4 && y >= origin.y && y < origin.y + 4;
                    EXPECT_EQ(target.at(x, y), inRect && inImage ? kInk : kBehind)
                        << c.name << " mode " << mode << " at " << x << "," << y;
                }
            image->forget();
        }
    }
}

}  // namespace
