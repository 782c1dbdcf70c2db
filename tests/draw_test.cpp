// Drawing primitives and sheet blitters: keyed and mirrored pictures, sheet
// cells, map tiles, the hover highlight, spans, copies and the band wipe,
// and that nothing is written outside the image or read outside a picture.
#include "platform/draw.h"

#include <cstring>
#include <vector>

#include "platform/menu.h"
#include "tactics/map.h"
#include "tests/fixture.h"
#include "tests/picture.h"

namespace {

// A pixel value that tells the sheet position it came from; never the key.
uint8_t sheet_value(int x, int line) {
    uint8_t v = static_cast<uint8_t>((x * 7 + line * 13) % 251);
    return v == GFX_KEY_COLOUR ? 200 : v;
}

constexpr uint8_t BG = TEST_BACK_FILL;

class DrawTest : public BackImageTest {
protected:
    void SetUp() override {
        BackImageTest::SetUp();
        g_menu_chip_set = 0;
        g_zoom = 1;
        gfx_set_span_origin(0, 0);
    }
    void TearDown() override {
        g_tile_sheet_base = g_tile_sheet_overlay = g_cell32_sheet = nullptr;
        g_sheet_icons = g_sheet_winchip = nullptr;
        BackImageTest::TearDown();
    }
    static int count_not(uint8_t v) {
        int n = 0;
        for (size_t i = 0; i < SCREEN_IMAGE_SIZE; ++i) n += gfx_dib_pixels(g_back_dib)[i] != v;
        return n;
    }
    // The w x h block of the screen at (x, y) equals the sheet's block at (sx, sline).
    static void expect_block(int x, int y, const std::vector<uint8_t>& sheet, int sx, int sline, int w, int h) {
        for (int k = 0; k < h; ++k)
            for (int i = 0; i < w; ++i)
                ASSERT_EQ(px(x + i, y + k), sheet_value(sx + i, sline + k)) << "at " << i << "," << k;
    }
};

TEST_F(DrawTest, KeyedOpaqueAndMirroredPictures) {
    // 8 x 2 picture of 16 colours: line 0 = 1,2,14,4,5,6,7,8; line 1 all 9.
    const uint8_t top[8] = {1, 2, 14, 4, 5, 6, 7, 8};
    auto pic = make_picture(8, 2, 16, [&](int x, int line) { return line == 0 ? top[x] : uint8_t{9}; });

    gfx_blit_image_keyed(2, 10, pic.data());
    for (int i = 0; i < 8; ++i) EXPECT_EQ(px(16 + i, 10), i == 2 ? BG : top[i]);
    EXPECT_EQ(px(16, 11), 9);
    EXPECT_EQ(px(16, 12), BG);

    gfx_blit_image(2, 20, pic.data());
    for (int i = 0; i < 8; ++i) EXPECT_EQ(px(16 + i, 20), top[i]);  // the key is drawn

    gfx_blit_image_keyed_mirror(2, 30, pic.data());
    for (int i = 0; i < 8; ++i) EXPECT_EQ(px(16 + i, 30), i == 5 ? BG : top[7 - i]);
    EXPECT_EQ(count_not(BG), 7 + 8 + 8 + 8 + 7 + 8);
}

TEST_F(DrawTest, PicturesClipAtEveryEdge) {
    auto pic = make_picture(40, 30, 0, sheet_value);
    // Left and top: the picture's part inside the image lands in place.
    gfx_blit_image(-2, -5, pic.data());
    EXPECT_EQ(px(0, 0), sheet_value(16, 5));
    EXPECT_EQ(px(23, 24), sheet_value(39, 29));
    EXPECT_EQ(px(24, 0), BG);
    // Right and bottom.
    gfx_blit_image_keyed(77, 400, pic.data());
    EXPECT_EQ(px(616, 400), sheet_value(0, 0));
    EXPECT_EQ(px(639, 415), sheet_value(23, 15));
    // Mirrored at the right edge: the picture's last column stays at the left.
    gfx_blit_image_keyed_mirror(78, 100, pic.data());
    EXPECT_EQ(px(624, 100), sheet_value(39, 0));
    EXPECT_EQ(px(639, 100), sheet_value(24, 0));
    // Mirrored at the left edge: only its first columns (drawn last) show.
    gfx_blit_image_keyed_mirror(-4, 200, pic.data());
    EXPECT_EQ(px(0, 200), sheet_value(7, 0));
    EXPECT_EQ(px(7, 200), sheet_value(0, 0));
    EXPECT_EQ(px(8, 200), BG);
    // Entirely outside: nothing.
    const int before = count_not(BG);
    gfx_blit_image(-100, 0, pic.data());
    gfx_blit_image(80, 0, pic.data());
    gfx_blit_image(0, 416, pic.data());
    gfx_blit_image_keyed(0, -30, pic.data());
    gfx_blit_image(0, 0, nullptr);
    EXPECT_EQ(count_not(BG), before);
    EXPECT_EQ(before, 24 * 25 + 24 * 16 + 16 * 30 + 8 * 30);
    // Opaque and taller than the space below line 400: its top 16 lines show.
    gfx_blit_image(10, 400, pic.data());
    EXPECT_EQ(px(80, 400), sheet_value(0, 0));
    EXPECT_EQ(px(119, 415), sheet_value(39, 15));
    EXPECT_EQ(px(120, 415), BG);
    EXPECT_EQ(count_not(BG), before + 40 * 16);
}

TEST_F(DrawTest, SheetCellsMapAndStayInsideTheirSheet) {
    auto icons = make_picture(512, 64, 0, sheet_value);
    g_sheet_icons = icons.data();
    gfx_draw_icon(1, 50, 17);  // column 1, row 1
    expect_block(8, 50, icons, 32, 32, 32, 32);
    gfx_draw_icon32(10, -400, 4, 32, 3);  // negative line + 416 = 16
    expect_block(80, 16, icons, 96, 0, 32, 32);

    // Silhouette of icon 2 from icon 18: black stays black, other pixels colour, key skipped.
    auto sil = make_picture(512, 64, 0, [](int x, int line) {
        if (line < 32 || x < 64 || x >= 96) return uint8_t{5};
        return uint8_t(x == 64 ? 0 : (x == 65 ? 14 : 7));
    });
    g_sheet_icons = sil.data();
    gfx_draw_icon32_silhouette(20, 100, 4, 32, 12, 2);
    EXPECT_EQ(px(160, 100), 0);
    EXPECT_EQ(px(161, 100), BG);
    EXPECT_EQ(px(162, 131), 12);
    // Icons past the sheet read nothing.
    const int before = count_not(BG);
    gfx_draw_icon(30, 200, 40);
    gfx_draw_icon32_silhouette(30, 200, 4, 32, 12, 16);
    EXPECT_EQ(count_not(BG), before);

    auto chips = make_picture(96, 60, 0, sheet_value);
    g_sheet_winchip = chips.data();
    gfx_draw_window_chip(40, 300, 1, 1, 8);  // column 2, row 1
    expect_block(320, 300, chips, 16, 20, 8, 20);
    g_menu_chip_set = 1;
    gfx_draw_window_chip(41, 300, 1, 1, 8);  // the menu variant six columns right
    expect_block(328, 300, chips, 64, 20, 8, 20);

    auto cells = make_picture(128, 96, 0, sheet_value);
    g_cell32_sheet = cells.data();
    gfx_draw_cell32_sheet(500, 200, 7);  // column 2, row 1
    expect_block(500, 200, cells, 64, 32, 32, 32);
    gfx_draw_cell32_sheet(620, 400, 0);  // cut at the right and bottom
    expect_block(620, 400, cells, 0, 0, 20, 16);

    auto tiles = make_picture(640, 64, 0, sheet_value);
    gfx_draw_tile16(0, 360, tiles.data(), 43);  // column 3, row 1, at pixel 16
    expect_block(16, 360, tiles, 48, 16, 16, 16);
}

TEST_F(DrawTest, MapTilesOverlayLimitZoomAndHalftone) {
    const int before = count_not(BG);
    gfx_draw_map_tile_base(0, 0, 1);  // sheets not loaded: nothing
    gfx_draw_map_tile_overlay(0, 0, 1);
    EXPECT_EQ(count_not(BG), before);

    auto base = make_picture(640, 256, 0, sheet_value);
    auto overlay =
        make_picture(640, 256, 0, [](int x, int line) { return (x % 32 == 5) ? uint8_t{14} : sheet_value(x, line); });
    g_tile_sheet_base = base.data();
    g_tile_sheet_overlay = overlay.data();
    g_tile_overlay_limit = 30;

    gfx_draw_map_tile_base(4, 40, 23);  // column 3, row 1
    expect_block(32, 40, base, 96, 32, 32, 32);
    // Bit 7: half-tone, copied where line + column is odd, 0 where even.
    gfx_draw_map_tile_base(10, 40, 23 | 0x80);
    EXPECT_EQ(px(80, 40), 0);
    EXPECT_EQ(px(81, 40), sheet_value(97, 32));
    EXPECT_EQ(px(80, 41), sheet_value(96, 33));
    EXPECT_EQ(px(81, 41), 0);
    // Overlay: ids at or past the limit move to 40 + (t - limit); bit 7 is ignored; key skipped.
    gfx_draw_map_tile_overlay(20, 100, 32 | 0x80);  // t = 42: column 2, row 2
    EXPECT_EQ(px(160, 100), sheet_value(64, 64));
    EXPECT_EQ(px(165, 100), BG);
    EXPECT_EQ(px(166, 131), sheet_value(70, 95));
    gfx_draw_map_tile_overlay(30, 100, 29);  // below the limit: as it is
    EXPECT_EQ(px(240, 100), sheet_value(288, 32));

    g_zoom = 2;
    gfx_draw_map_tile_overlay(40, 200, 41);  // t = 51: 16 x 16 column 11, row 1 from line 128
    EXPECT_EQ(px(320, 200), sheet_value(176, 144));
    EXPECT_EQ(px(335, 215), sheet_value(191, 159));
    EXPECT_EQ(px(336, 200), BG);
    gfx_draw_map_tile_base(50, 200, 45);  // 32-pixel row 2: left half, cell 85
    expect_block(400, 200, base, 80, 224, 16, 16);
    gfx_draw_map_tile_base(60, 200, 65);  // 32-pixel row 3: right half, cell 25
    expect_block(480, 200, base, 400, 192, 16, 16);
    gfx_draw_map_tile_base(70, 200, 107);  // 32-pixel row 5: right half, cell 107
    expect_block(560, 200, base, 432, 224, 16, 16);
    gfx_draw_map_tile_base(0, -16, 0);  // negative line + 416 = 400
    expect_block(0, 400, base, 0, 192, 16, 16);
}

TEST_F(DrawTest, HoverRecolourModes) {
    // Light: colour 16 - a turns to a wherever bit (k + i + 1) mod 8 of b is set.
    gfx_fill_rect(0, 0, 15, 1, 14);
    gfx_recolour_pattern(0, 0, 2, 2, 2, 255, 0);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(px(i, 0), 2);
    gfx_recolour_pattern(0, 0, 2, 2, 14, 0x01, 0);  // only where (k + i + 1) mod 8 = 0
    EXPECT_EQ(px(7, 0), 14);
    EXPECT_EQ(px(6, 1), 14);
    EXPECT_EQ(px(8, 0), 2);
    EXPECT_EQ(px(15, 0), 14);
    // Dark: with b = 8, colour 11 turns to 8 on the checkerboard c = 170 (odd bits).
    gfx_fill_rect(96, 50, 103, 51, 11);
    gfx_recolour_pattern(12, 50, 1, 2, -1, 8, 170);
    EXPECT_EQ(px(96, 50), 8);  // bit 1
    EXPECT_EQ(px(97, 50), 11);
    EXPECT_EQ(px(96, 51), 11);
    EXPECT_EQ(px(97, 51), 8);
    // And back: with b = 11, colour 8 turns to 11.
    gfx_recolour_pattern(12, 50, 1, 2, -1, 11, 170);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(px(96 + i, 50), 11);
    // Clipped at the image's corners.
    gfx_fill_rect(630, 410, 639, 415, 14);
    gfx_recolour_pattern(78, 410, 4, 20, 2, 255, 0);
    EXPECT_EQ(px(639, 415), 2);
    EXPECT_EQ(px(629, 415), BG);
    gfx_recolour_pattern(-2, -2, 4, 4, 2, 255, 0);
    EXPECT_EQ(px(7, 0), 2);
}

TEST_F(DrawTest, RectanglesSpansAndPixels) {
    gfx_fill_rect(-5, -5, 2, 1, 9);
    EXPECT_EQ(px(0, 0), 9);
    EXPECT_EQ(px(2, 1), 9);
    EXPECT_EQ(px(3, 1), BG);
    gfx_fill_rect(630, 410, 700, 500, 9);
    EXPECT_EQ(px(639, 415), 9);
    EXPECT_EQ(count_not(BG), 3 * 2 + 10 * 6);

    // A span adds the origin and lands one line above its line.
    gfx_set_span_origin(100, 50);
    gfx_fill_span(0, 10, 4, 6);
    for (int x = 100; x <= 104; ++x) EXPECT_EQ(px(x, 59), 6);
    EXPECT_EQ(px(105, 59), BG);
    EXPECT_EQ(px(100, 60), BG);
    gfx_set_span_origin(0, 0);
    gfx_fill_span(-10, 100, 3, 6);  // clipped to 0..3
    EXPECT_EQ(px(0, 99), 6);
    EXPECT_EQ(px(3, 99), 6);
    EXPECT_EQ(px(4, 99), BG);
    const int before = count_not(BG);
    gfx_fill_span(700, 100, 800, 6);  // empty after clipping
    gfx_fill_span(-50, 100, -10, 6);
    gfx_fill_span(10, 100, 5, 6);
    gfx_fill_span(0, 0, 639, 6);  // line 0 would be past the image
    gfx_fill_span(0, 400, 639, 6);
    gfx_put_pixel(5, 0, 6);
    gfx_put_pixel(-1, 10, 6);
    gfx_put_pixel(640, 10, 6);
    EXPECT_EQ(count_not(BG), before);
    gfx_put_pixel(5, 10, 6);
    EXPECT_EQ(px(5, 9), 6);
    gfx_clear_screen();
    EXPECT_EQ(count_not(0), 0);
}

TEST_F(DrawTest, RectangleCopiesBetweenScreens) {
    for (int y = 0; y < SCREEN_H; ++y)
        for (int x = 0; x < SCREEN_W; ++x) *gfx_screen_pixel(g_shadow_dib, x, y) = sheet_value(x, y);
    *gfx_screen_pixel(g_shadow_dib, 11, 415 - 21) = 14;
    // Rows are memory rows: row 20 is line 395.
    gfx_copy_rect(g_back_dib, 100, 20, g_shadow_dib, 10, 21, 4, 2);
    EXPECT_EQ(px(100, 395), sheet_value(10, 394));
    EXPECT_EQ(px(103, 394), sheet_value(13, 393));
    EXPECT_EQ(px(104, 395), BG);
    gfx_copy_rect_keyed(g_back_dib, 200, 20, g_shadow_dib, 10, 21, 4, 1, 14);
    EXPECT_EQ(px(200, 395), sheet_value(10, 394));
    EXPECT_EQ(px(201, 395), BG);
    // Blocks reaching past either image copy only their common part.
    gfx_copy_rect(g_back_dib, 636, 414, g_shadow_dib, 0, 0, 10, 10);
    EXPECT_EQ(px(639, 0), sheet_value(3, 414));
    gfx_copy_rect_keyed(g_back_dib, 0, 0, g_shadow_dib, 635, -3, 20, 10, 14);
    EXPECT_EQ(px(4, 412), sheet_value(639, 415));
    EXPECT_EQ(px(5, 412), BG);
    EXPECT_EQ(count_not(BG), 8 + 3 + 4 * 2 + 5 * 7);
}

TEST_F(DrawTest, BandWipeOpensFromTheMiddle) {
    std::memset(gfx_dib_pixels(g_background_dib), 1, SCREEN_IMAGE_SIZE);
    for (int r = 0; r < SCREEN_H; ++r) std::memset(gfx_dib_pixels(g_back_dib) + r * SCREEN_W, r % 200 + 20, SCREEN_W);
    auto row = [](int r) { return gfx_dib_pixels(g_back_dib)[r * SCREEN_W + 320]; };
    gfx_band_wipe(0, 0, 8);  // saves the back image into the shadow image first
    EXPECT_EQ(gfx_dib_pixels(g_shadow_dib)[300 * SCREEN_W], 300 % 200 + 20);
    for (int j = 0; j < 6; ++j) EXPECT_EQ(row(271 - j), (383 - j) % 200 + 20);  // top edge
    for (int r = 260; r <= 265; ++r) EXPECT_EQ(row(r), r % 200 + 20);           // band
    for (int j = 0; j < 6; ++j) EXPECT_EQ(row(259 - j), (148 - j) % 200 + 20);  // bottom edge
    EXPECT_EQ(row(272), 1);
    EXPECT_EQ(row(253), 1);

    std::memset(gfx_dib_pixels(g_back_dib), 2, SCREEN_IMAGE_SIZE);  // later frames keep the saved picture
    gfx_band_wipe(0, 0, 120);
    EXPECT_EQ(row(383), 383 % 200 + 20);
    EXPECT_EQ(row(148), 148 % 200 + 20);
    EXPECT_EQ(row(142), 143 % 200 + 20);
    EXPECT_EQ(row(147), 148 % 200 + 20);
    EXPECT_EQ(row(384), 1);
    EXPECT_EQ(row(141), 1);
    // Frames far outside the usual range touch only rows inside the image.
    gfx_band_wipe(0, 0, 400);
    gfx_band_wipe(0, 0, -400);
}

}  // namespace
