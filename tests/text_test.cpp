// Font and text drawing: glyphs and their shadow from a synthetic k.fnt, the
// markup, positions, short, missing and out-of-range fonts, the particle
// choice and number text.
#include "platform/text.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/fixture.h"

namespace {

constexpr uint8_t BG = 253;

size_t double_offset(uint8_t lead, uint8_t trail) { return ((lead - 160) * 96 + (trail - 160)) * 32; }

class TextTest : public HeadlessTest {
protected:
    TempDir font_dir;
    std::vector<uint8_t> font = std::vector<uint8_t>(FONT_FILE_SIZE, 0);
    std::vector<uint8_t> header_before;

    void SetUp() override {
        HeadlessTest::SetUp();
        std::snprintf(g_exe_dir, sizeof g_exe_dir, "%s", font_dir.str().c_str());
        txt_font_reset();
        std::memset(gfx_dib_pixels(g_back_dib), BG, SCREEN_IMAGE_SIZE);
        header_before.assign(g_back_dib, g_back_dib + SCREEN_HEADER_SIZE);
    }
    void TearDown() override {
        EXPECT_EQ(0, std::memcmp(header_before.data(), g_back_dib, SCREEN_HEADER_SIZE));
        txt_font_reset();
        HeadlessTest::TearDown();
    }
    void single(uint8_t c, int line, uint8_t bits) { font[c * 16 + line] = bits; }
    void dbl(uint8_t lead, uint8_t trail, int line, uint16_t bits) {
        font[double_offset(lead, trail) + 2 * line] = static_cast<uint8_t>(bits >> 8);
        font[double_offset(lead, trail) + 2 * line + 1] = static_cast<uint8_t>(bits);
    }
    void write_font(size_t size) {
        FILE* f = std::fopen((font_dir.path / "k.fnt").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(font.data(), 1, size, f);
        std::fclose(f);
    }
    static uint8_t px(int x, int y) { return *gfx_screen_pixel(g_back_dib, x, y); }
    static int changed() {
        int n = 0;
        for (size_t i = 0; i < SCREEN_IMAGE_SIZE; ++i) n += gfx_dib_pixels(g_back_dib)[i] != BG;
        return n;
    }
};

TEST_F(TextTest, GlyphPixelsAndShadow) {
    single('A', 0, 0xC0);  // pixels (0,0) and (1,0)
    single('A', 5, 0x01);  // pixel (7,5)
    single('B', 0, 0x80);
    single('B', 1, 0x80);
    dbl(0xB0, 0xA1, 0, 0x8001);  // "가": pixels (0,0) and (15,0)
    write_font(FONT_FILE_SIZE);

    txt_draw_string(2, 3, "A", 12);  // row 3: glyph tops at line 62
    EXPECT_EQ(px(16, 62), 12);
    EXPECT_EQ(px(17, 62), 12);  // later pixels overwrite the black of earlier ones
    EXPECT_EQ(px(18, 62), 0);
    EXPECT_EQ(px(16, 63), 0);
    EXPECT_EQ(px(17, 63), 0);
    EXPECT_EQ(px(18, 63), 0);
    EXPECT_EQ(px(16, 61), BG);
    EXPECT_EQ(px(15, 62), BG);
    EXPECT_EQ(px(23, 67), 12);
    EXPECT_EQ(px(24, 67), 0);  // the shadow reaches the next character's first column
    EXPECT_EQ(px(24, 68), 0);
    EXPECT_EQ(changed(), 10);
    EXPECT_EQ(g_text_x, 24);
    EXPECT_EQ(g_text_y, 60);

    txt_draw_string(0, 10, "B가", 7);
    EXPECT_EQ(px(0, 202), 7);
    EXPECT_EQ(px(0, 203), 7);
    EXPECT_EQ(px(0, 204), 0);
    EXPECT_EQ(px(8, 202), 7);
    EXPECT_EQ(px(23, 202), 7);
    EXPECT_EQ(px(24, 202), 0);
    EXPECT_EQ(px(24, 203), 0);
    EXPECT_EQ(px(25, 202), BG);
    EXPECT_EQ(g_text_x, 24);

    // Col < 0 starts at the text cursor; the cursor is left after the text.
    txt_set_cursor(10, 33);
    txt_draw_string(-1, 0, "BB", 4);
    EXPECT_EQ(px(80, 35), 4);
    EXPECT_EQ(px(88, 35), 4);
    EXPECT_EQ(g_text_x, 96);
    EXPECT_EQ(g_text_y, 33);

    // Another screen image.
    const int before = changed();
    txt_draw_string_to(0, 0, "B", 9, g_shadow_dib);
    EXPECT_EQ(*gfx_screen_pixel(g_shadow_dib, 0, 2), 9);
    EXPECT_EQ(changed(), before);
}

TEST_F(TextTest, MarkupCodes) {
    for (uint8_t c : {'A', 'B', 'C', '/'}) single(c, 0, 0x80);
    single('/', 1, 0x40);
    write_font(FONT_FILE_SIZE);
    txt_draw_string(0, 0, "/aA/*B//C/gA/FB", 5);
    EXPECT_EQ(px(0, 2), 10);  // "/a" colour 10
    EXPECT_EQ(px(8, 2), 5);   // "/*" back to the call's colour
    EXPECT_EQ(px(16, 2), 5);  // "//" one slash
    EXPECT_EQ(px(17, 3), 5);
    EXPECT_EQ(px(24, 2), 5);
    EXPECT_EQ(px(32, 2), 5);  // "/g" takes no room and keeps the colour
    EXPECT_EQ(px(40, 2), 15);
    EXPECT_EQ(g_text_x, 48);

    // A slash or a lead byte at the very end ends the text without reading past it.
    std::vector<char> lead_end = {'A', '\xB0', 0};
    txt_draw_string(0, 5, lead_end.data(), 3);
    EXPECT_EQ(g_text_x, 8);
    std::vector<char> slash_end = {'A', '/', 0};
    txt_draw_string(0, 5, slash_end.data(), 3);
    EXPECT_EQ(g_text_x, 8);
    EXPECT_EQ(px(8, 102), BG);
}

TEST_F(TextTest, GlyphsOutsideTheFontAndClipping) {
    std::fill(font.begin(), font.end(), 0xFF);  // every glyph solid
    write_font(FONT_FILE_SIZE);
    // Lead bytes above 0xC9 mostly lie past the font: nothing drawn, the cursor advances.
    txt_draw_string(0, 0, "\xCA\xFE\xFD\xFE\xFE\xA1", 6);
    EXPECT_EQ(changed(), 0);
    EXPECT_EQ(g_text_x, 48);
    txt_draw_string(0, 0, "\xC9\xFE", 6);  // the last glyph inside
    EXPECT_EQ(px(0, 2), 6);
    EXPECT_EQ(px(15, 17), 6);
    EXPECT_EQ(px(16, 18), 0);
    EXPECT_EQ(changed(), 16 * 16 + 17 + 16);

    // Text reaching past the image's right and bottom edges, and starting left of and above it.
    txt_draw_string(79, 20, "가", 6);
    EXPECT_EQ(px(632, 402), 6);
    EXPECT_EQ(px(639, 415), 6);
    g_text_x = -8;
    g_text_y = -5;
    txt_draw_string(-1, 0, "가", 6);
    EXPECT_EQ(px(0, 0), 6);
    EXPECT_EQ(px(7, 12), 6);
    EXPECT_EQ(px(8, 12), 0);
    EXPECT_EQ(px(0, 13), 0);
}

TEST_F(TextTest, ShortMissingAndReloadedFont) {
    single('A', 0, 0x80);
    dbl(0xB0, 0xA1, 0, 0xFFFF);
    write_font(2000);  // holds 'A' but not "가"
    txt_draw_string(0, 0, "A가A", 2);
    EXPECT_EQ(px(0, 2), 2);
    EXPECT_EQ(px(24, 2), 2);
    EXPECT_EQ(changed(), 8);
    EXPECT_EQ(g_text_x, 32);

    // The font is read once; a reset makes the next glyph read it again.
    write_font(FONT_FILE_SIZE);
    uint8_t glyph[32];
    EXPECT_EQ(txt_font_glyph(0xB0, 0xA1, glyph), 1);
    EXPECT_EQ(glyph[0], 0);
    txt_font_reset();
    txt_font_glyph(0xB0, 0xA1, glyph);
    EXPECT_EQ(glyph[0], 0xFF);

    // No file: every glyph blank, text draws nothing but still advances.
    std::filesystem::remove(font_dir.path / "k.fnt");
    txt_font_reset();
    std::memset(gfx_dib_pixels(g_back_dib), BG, SCREEN_IMAGE_SIZE);
    txt_draw_string(0, 0, "A가", 2);
    EXPECT_EQ(changed(), 0);
    EXPECT_EQ(g_text_x, 24);
    EXPECT_EQ(txt_font_glyph(0xFE, 0xFE, glyph), 0);
}

TEST(TextUtil, ParticleChoice) {
    EXPECT_EQ(txt_ends_without_final("희"), 1);
    EXPECT_EQ(txt_ends_without_final("민"), 0);
    EXPECT_EQ(txt_ends_without_final("살"), 1);
    EXPECT_EQ(txt_ends_without_final("２"), 1);
    EXPECT_EQ(txt_ends_without_final("１"), 0);
    EXPECT_EQ(txt_ends_without_final("김민희"), 1);
    EXPECT_EQ(txt_ends_without_final("희민"), 0);
    EXPECT_EQ(txt_ends_without_final("가　"), 1);  // full-width space
    EXPECT_EQ(txt_ends_without_final("가"), 1);    // first entry
    EXPECT_EQ(txt_ends_without_final("히"), 1);    // last syllable
    EXPECT_EQ(txt_ends_without_final("a"), 0);
    EXPECT_EQ(txt_ends_without_final(""), 0);
    EXPECT_EQ(std::string(g_particle_table[316]), "　");
}

TEST(TextUtil, NumberText) {
    EXPECT_STREQ(txt_format_uint(42, 5), "   42");
    EXPECT_STREQ(txt_format_uint(0, 0), "0");
    EXPECT_STREQ(txt_format_uint(0, 3), "  0");
    EXPECT_STREQ(txt_format_uint(4294967295u, 0), "4294967295");
    EXPECT_STREQ(txt_format_uint(4294967295u, 11), " 4294967295");
    // Oversized widths stop at 11; more digits than the width widen the field.
    EXPECT_STREQ(txt_format_uint(7, 50), "          7");
    EXPECT_STREQ(txt_format_uint(12345, 3), "12345");
    EXPECT_STREQ(txt_format_uint(4294967295u, 2), "4294967295");
    EXPECT_STREQ(txt_format_uint(5, -3), "5");
}

}  // namespace
