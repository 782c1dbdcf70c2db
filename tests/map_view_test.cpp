// Map view: what a cell shows (read back from the back image), centring and
// zoom on large and small maps, the sprite index, scrolling at the edges and
// by one step, and the one-cell unit step.
#include <cstdlib>
#include <cstring>

#include "platform/draw.h"
#include "platform/menu.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "tactics/items.h"
#include "tests/map_fixture.h"

namespace {

class MapViewTest : public MapTest {
protected:
    void SetUp() override {
        MapTest::SetUp();
        ASSERT_EQ(map_load_stage_map(0), 1);  // the kit's stage 1, 40 x 40, chapter 1
        map_load_map_graphics(g_stage_tileset[0]);
        map_set_zoom(1);
    }
    void TearDown() override {
        std::free(g_cell32_sheet);
        g_cell32_sheet = nullptr;
        MapTest::TearDown();
    }
    // Pixel of a picture sheet at (x, line), line 0 at the top.
    static uint8_t sheet_px(const uint8_t* sheet, int x, int line) {
        int32_t w, h;
        const uint8_t* bits = gfx_picture_bits(sheet, &w, &h);
        return bits[static_cast<size_t>(h - 1 - line) * w + x];
    }
    // The 32 x 32 block of the view cell (vx, vy) at zoom 1 equals tile t of
    // the tile sheet with unit frame f (or none) keyed over it.
    static void expect_cell(int vx, int vy, int tile, int frame) {
        const int x0 = 16 + vx * 32, y0 = vy * 32;
        for (int k = 0; k < 32; ++k)
            for (int i = 0; i < 32; ++i) {
                uint8_t want = sheet_px(g_tile_sheet_base, (tile % 20) * 32 + i, (tile / 20) * 32 + k);
                if (frame >= 0) {
                    const uint8_t o = sheet_px(g_tile_sheet_overlay, (frame % 20) * 32 + i, (frame / 20) * 32 + k);
                    if (o != GFX_KEY_COLOUR) want = o;
                }
                ASSERT_EQ(*gfx_screen_pixel(g_back_dib, x0 + i, y0 + k), want)
                    << "cell " << vx << "," << vy << " at " << i << "," << k;
            }
    }
    static std::vector<uint8_t> view_pixels() {
        return std::vector<uint8_t>(gfx_dib_pixels(g_back_dib) + 32 * SCREEN_W,
                                    gfx_dib_pixels(g_back_dib) + SCREEN_IMAGE_SIZE);
    }
};

}  // namespace

TEST_F(MapViewTest, BackImageShowsTileAndUnitFrame) {
    g_opt_side_marks = 0;
    const UnitStats s = stats(10, 29, 7);  // class 29: frame 6 of chapter 1's sheet
    UnitRecord* u = unit_place_new(5, 3, &s);
    ASSERT_NE(u, nullptr);
    g_view_x = 2;
    g_view_y = 1;
    map_redraw_view();
    expect_cell(3, 2, g_map.cells[3 * 60 + 5] & 0x7F, 6);
    expect_cell(0, 0, g_map.cells[1 * 60 + 2] & 0x7F, -1);
    EXPECT_EQ(0, std::memcmp(g_back_dib, g_background_dib, SCREEN_DIB_SIZE));
    // An acted party unit shows the greyed frame (frame 40 + its position).
    const UnitStats p = stats(1, 0, 0);
    UnitRecord* a = unit_place_new(6, 3, &p);
    a->acted = 1;
    map_draw_cell_abs(6, 3);
    expect_cell(4, 2, g_map.cells[3 * 60 + 6] & 0x7F, 40);
}

TEST_F(MapViewTest, UnitsWithoutFiguresAndSideFrames) {
    const int tile = g_map.cells[4 * 60 + 4] & 0x7F;
    map_draw_cell(4, 4);
    const std::vector<uint8_t> empty = view_pixels();
    // Character 28 has no figure and, with side marks on, no side frame.
    UnitStats s = stats(CHAR_LAST_ENEMY, CLASS_FIRST_FORM, 2);
    UnitRecord* u = unit_place_new(4, 4, &s);
    map_draw_cell(4, 4);
    EXPECT_EQ(view_pixels(), empty);
    // A dormant unit is not drawn at all.
    u->stats.char_id = 10;
    u->stats.class_id = 29;
    u->stats.ai_mode = AI_MODE_DORMANT;
    map_draw_cell(4, 4);
    EXPECT_EQ(view_pixels(), empty);
    // Awake, with side marks off: just its frame.
    u->stats.ai_mode = AI_MODE_ADVANCE;
    g_opt_side_marks = 0;
    map_draw_cell(4, 4);
    expect_cell(4, 4, tile, 6);
    // Side marks on: the computer-side frame changes the cell.
    g_opt_side_marks = 1;
    map_draw_cell(4, 4);
    EXPECT_NE(view_pixels(), empty);
}

TEST_F(MapViewTest, FoundAndOpenedChestsAreDrawnHiddenOnesAreNot) {
    gfx_load_ui_sheets();
    ASSERT_NE(g_sheet_icons, nullptr);
    g_chests = {};
    g_chests[0] = {1, 2, 2, 0, 5};  // hidden
    g_chests[1] = {2, 3, 2, 0, 5};  // found
    g_chests[2] = {3, 4, 2, 0, 5};  // opened
    g_chests[3] = {2, 4, 2, 0, 5};  // a later record on the opened chest's cell
    g_chests[4] = {0, 5, 2, 0, 5};  // free record
    g_chests[5] = {2, 5, 2, 0, 5};  // found, behind a free record on its cell
    map_redraw_view();
    // The tile of each cell with icon n (or none) keyed over it.
    auto expect_icon = [](int vx, int vy, int icon) {
        const int tile = g_map.cells[vy * 60 + vx] & 0x7F;
        const int x0 = 16 + vx * 32, y0 = vy * 32;
        for (int k = 0; k < 32; ++k)
            for (int i = 0; i < 32; ++i) {
                uint8_t want = sheet_px(g_tile_sheet_base, (tile % 20) * 32 + i, (tile / 20) * 32 + k);
                if (icon >= 0) {
                    const uint8_t o = sheet_px(g_sheet_icons, (icon % 16) * 32 + i, (icon / 16) * 32 + k);
                    if (o != GFX_KEY_COLOUR) want = o;
                }
                ASSERT_EQ(*gfx_screen_pixel(g_back_dib, x0 + i, y0 + k), want) << "cell " << vx << "," << vy;
            }
    };
    expect_icon(2, 2, -1);
    expect_icon(3, 2, 2);
    expect_icon(4, 2, 4);
    expect_icon(5, 2, 2);
    g_chests = {};
    gfx_free_ui_sheets();
}

TEST_F(MapViewTest, HighlightedUnitGetsHpBar) {
    g_opt_side_marks = 0;
    UnitStats s = stats(10, 29, 7, 50);
    s.hp = 21;
    unit_place_new(2, 2, &s);
    g_occupancy.cells[2 * 60 + 2] |= OCC_MARK_B;
    map_draw_cell(2, 2);
    const int x0 = 16 + 2 * 32, y0 = 2 * 32;
    // (50 - 1) / 5 = 9: box 0 over x0..x0+11, colour 10 inside, 6 up to (21 - 1) / 5 = 4.
    EXPECT_EQ(*gfx_screen_pixel(g_back_dib, x0, y0 + 24), 0);
    EXPECT_EQ(*gfx_screen_pixel(g_back_dib, x0 + 11, y0 + 31), 0);
    EXPECT_EQ(*gfx_screen_pixel(g_back_dib, x0 + 1, y0 + 25), 6);
    EXPECT_EQ(*gfx_screen_pixel(g_back_dib, x0 + 5, y0 + 30), 6);
    EXPECT_EQ(*gfx_screen_pixel(g_back_dib, x0 + 6, y0 + 25), 10);
    EXPECT_EQ(*gfx_screen_pixel(g_back_dib, x0 + 10, y0 + 30), 10);
}

TEST_F(MapViewTest, CentringClampsToTheCornersAndNeverGoesNegative) {
    set_map_size(60, 60);
    map_center_view_on(0, 0);
    EXPECT_EQ(g_view_x, 0);
    EXPECT_EQ(g_view_y, 0);
    map_center_view_on(59, 59);
    EXPECT_EQ(g_view_x, 41);
    EXPECT_EQ(g_view_y, 48);
    map_center_view_on(59, 0);
    EXPECT_EQ(g_view_x, 41);
    EXPECT_EQ(g_view_y, 0);
    g_view_x = 41;
    map_set_zoom(2);
    map_center_view_on(59, 59);
    EXPECT_EQ(g_view_x, 22);
    EXPECT_EQ(g_view_y, 36);
    map_center_view_on(31, 31);
    EXPECT_EQ(g_view_x % 2, 0);
    EXPECT_EQ(g_view_y % 2, 0);
    // A map smaller than the view: the origin stays at 0.
    set_map_size(10, 8);
    map_center_view_on(9, 7);
    EXPECT_EQ(g_view_x, 0);
    EXPECT_EQ(g_view_y, 0);
}

TEST_F(MapViewTest, ZoomChangesMoveTheOrigin) {
    set_map_size(60, 60);
    g_view_x = 20;
    g_view_y = 10;
    map_set_zoom(2);
    EXPECT_EQ(g_zoom, 2);
    EXPECT_EQ(g_view_x, 8);
    EXPECT_EQ(g_view_y, 4);
    EXPECT_EQ(g_view_cols, 38);
    EXPECT_EQ(g_view_rows, 24);
    EXPECT_EQ(g_cell_w8, 2);
    EXPECT_EQ(g_cell_h, 16);
    map_set_zoom(2);  // unchanged
    EXPECT_EQ(g_view_x, 8);
    // The zoom frame picks on the second click at the same place.
    at(100, HeadlessKind::Click, 320, 240);
    at(200, HeadlessKind::Click, 320, 240);
    map_set_zoom(1);
    EXPECT_EQ(g_view_cols, 19);
    EXPECT_GE(g_view_x, 8);
    EXPECT_LE(g_view_x, 8 + 19);
    // Near the corner: never negative; past the far edges: held inside.
    g_view_x = 2;
    g_view_y = 3;
    map_set_zoom(2);
    EXPECT_EQ(g_view_x, 0);
    EXPECT_EQ(g_view_y, 0);
    at(100, HeadlessKind::Click, 320, 240);
    at(200, HeadlessKind::Click, 320, 240);
    map_set_zoom(1);
    g_view_x = 41;
    g_view_y = 48;
    map_set_zoom(2);
    EXPECT_EQ(g_view_x, 22);
    EXPECT_EQ(g_view_y, 36);
    map_set_zoom(3);  // not a zoom
    EXPECT_EQ(g_zoom, 2);
    // The first set-up (-1), as when a saved game resumes at zoom 2, keeps
    // the origin it finds.
    g_zoom = -1;
    g_view_x = 20;
    g_view_y = 10;
    map_set_zoom(2);
    EXPECT_EQ(g_zoom, 2);
    EXPECT_EQ(g_view_cols, 38);
    EXPECT_EQ(g_view_x, 20);
    EXPECT_EQ(g_view_y, 10);
    g_zoom = -1;
    map_set_zoom(1);
    EXPECT_EQ(g_view_cols, 19);
    EXPECT_EQ(g_view_x, 20);
    EXPECT_EQ(g_view_y, 10);
}

TEST_F(MapViewTest, SpriteIndexBySideActedAndHp) {
    map_select_sprite_list(1);  // 0 2 4 6 8 25 29 37 32 53 ... 27 28 63: 23 entries
    const int len = g_tile_overlay_limit;
    ASSERT_EQ(len, 23);
    UnitRecord u{};
    u.number = 1;
    u.stats = stats(1, 4, 0);
    EXPECT_EQ(map_unit_sprite_index(&u), 2);
    u.acted = 1;
    EXPECT_EQ(map_unit_sprite_index(&u), 2 + len);
    u.acted = 0;
    u.stats.hp = 0;  // knocked out
    EXPECT_EQ(map_unit_sprite_index(&u), 2 + len);
    // Computer units keep the normal frame, except the butler.
    u.stats = stats(10, 29, 7);
    u.acted = 1;
    EXPECT_EQ(map_unit_sprite_index(&u), 6);
    u.stats.class_id = CLASS_BUTLER;
    EXPECT_EQ(map_unit_sprite_index(&u), 9 + len);
    u.acted = 0;
    EXPECT_EQ(map_unit_sprite_index(&u), 9);
    u.stats.class_id = 99;  // not in the list: the list's length
    EXPECT_EQ(map_unit_sprite_index(&u), len);
    // Debug flag 0x2 strengthens units numbered below 12 on lookup.
    g_debug_flags = 0x2;
    u.number = 11;
    map_unit_sprite_index(&u);
    EXPECT_EQ(u.stats.hp, 150);
    EXPECT_EQ(u.stats.max_hp, 150);
    EXPECT_EQ(u.stats.attack, 200);
    EXPECT_EQ(u.stats.defence, 200);
    UnitRecord v{};
    v.number = 12;
    v.stats = stats(10, 29, 7);
    map_unit_sprite_index(&v);
    EXPECT_EQ(v.stats.hp, 20);
}

TEST_F(MapViewTest, ScrollingStopsAtEdgesAndMatchesARedraw) {
    map_redraw_view();
    const std::vector<uint8_t> before = view_pixels();
    EXPECT_EQ(map_scroll_up(0), 0);
    EXPECT_EQ(map_scroll_left(), 0);
    EXPECT_EQ(g_view_y, 0);
    EXPECT_EQ(view_pixels(), before);

    ASSERT_EQ(map_scroll_down(0), 1);
    EXPECT_EQ(g_view_y, 1);
    const std::vector<uint8_t> scrolled(gfx_dib_pixels(g_back_dib) + 32 * SCREEN_W,
                                        gfx_dib_pixels(g_back_dib) + SCREEN_IMAGE_SIZE);
    EXPECT_EQ(0, std::memcmp(g_back_dib, g_background_dib, SCREEN_DIB_SIZE));
    map_redraw_view();
    EXPECT_EQ(view_pixels(), scrolled);

    ASSERT_EQ(map_scroll_right(), 1);
    const std::vector<uint8_t> right = view_pixels();
    map_redraw_view();
    EXPECT_EQ(view_pixels(), right);
    ASSERT_EQ(map_scroll_up(2), 1);  // eight steps of four lines
    const std::vector<uint8_t> up = view_pixels();
    map_redraw_view();
    EXPECT_EQ(view_pixels(), up);
    ASSERT_EQ(map_scroll_left(), 1);
    EXPECT_EQ(g_view_x, 0);
    EXPECT_EQ(g_view_y, 0);

    // Zoom 2 on a 40 x 40 map: two cells a step, stopping at the bottom.
    map_set_zoom(2);
    map_redraw_view();
    int steps = 0;
    while (map_scroll_down(0)) ++steps;
    EXPECT_EQ(steps, 8);
    EXPECT_EQ(g_view_y + g_view_rows, 40);
    const std::vector<uint8_t> bottom = view_pixels();
    map_redraw_view();
    const std::vector<uint8_t> fresh = view_pixels();
    size_t first = 0;
    while (first < fresh.size() && fresh[first] == bottom[first]) ++first;
    EXPECT_EQ(first, fresh.size()) << "line " << 383 - static_cast<int>(first / 640) << " x " << first % 640;
}

TEST_F(MapViewTest, SmallMapDrawsTileZeroOutsideWithNoUnit) {
    set_map_size(10, 8);
    g_opt_side_marks = 0;
    const UnitStats s = stats(10, 29, 7);
    unit_place_new(12, 3, &s);  // a unit recorded off the stage's width
    map_redraw_view();
    expect_cell(12, 3, 0, -1);
    expect_cell(18, 11, 0, -1);
    EXPECT_EQ(map_scroll_right(), 0);
    EXPECT_EQ(map_scroll_down(0), 0);
}

TEST_F(MapViewTest, UnitStepMovesOccupancyAndRefusesLeavingTheMap) {
    const UnitStats s = stats(1, 0, 0);
    UnitRecord* u = unit_place_new(5, 5, &s);
    map_redraw_view();
    g_cell32_sheet = map_load_walk_sheet(0).release();  // freed by the fixture
    ASSERT_NE(g_cell32_sheet, nullptr);
    map_move_unit_step(u, 1);  // walking animation: status 100 moves the occupancy
    EXPECT_EQ(u->x, 6);
    EXPECT_EQ(g_occupancy.cells[5 * 60 + 6], u->number);
    EXPECT_EQ(g_occupancy.cells[5 * 60 + 5], 0);
    EXPECT_EQ(0, std::memcmp(g_back_dib, g_background_dib, SCREEN_DIB_SIZE));
    g_opt_move_anim = 0;
    map_move_unit_step(u, 2);
    EXPECT_EQ(u->y, 6);
    EXPECT_EQ(g_occupancy.cells[6 * 60 + 6], u->number);
    // At status 0 the caller keeps the grid; direction 5 writes it.
    u->status = 0;
    g_occupancy.cells[6 * 60 + 6] = 0;
    map_move_unit_step(u, 5);
    EXPECT_EQ(g_occupancy.cells[6 * 60 + 6], u->number);
    // A step off the map is refused.
    u->x = 0;
    map_move_unit_step(u, 3);
    EXPECT_EQ(u->x, 0);
    // Taken off: cell cleared and the slot free.
    u->x = 6;
    map_move_unit_step(u, 6);
    EXPECT_EQ(g_occupancy.cells[6 * 60 + 6], 0);
    EXPECT_EQ(u->number, 0);
    map_move_unit_step(u, 1);  // a free record does nothing
    EXPECT_EQ(u->x, 6);
}

TEST_F(MapViewTest, WalkSpritePatchesTheClassFrame) {
    map_apply_walk_sprite(53, 10);  // class 53 is frame 9 of chapter 1's sheet
    int32_t cw = 0, ch = 0;
    HeapBlock walk = map_load_walk_sheet(53);
    ASSERT_NE(walk, nullptr);
    const uint8_t* wb = gfx_picture_bits(walk.get(), &cw, &ch);
    for (int k = 0; k < 32; ++k)
        for (int i = 0; i < 32; ++i)
            ASSERT_EQ(sheet_px(g_tile_sheet_overlay, 9 * 32 + i, k),
                      wb[static_cast<size_t>(ch - 1 - (32 + k)) * cw + 96 + i]);

    // Class 1 is not in chapter 1's list of 23: its units show frame 23, and
    // that is the frame its walk sprite replaces (slot 4: column 1, row 1).
    const UnitStats s = stats(10, 1, 7);
    EXPECT_EQ(map_unit_sprite_index(unit_place_new(2, 2, &s)), 23);
    map_apply_walk_sprite(1, 4);
    walk = map_load_walk_sheet(1);
    ASSERT_NE(walk, nullptr);
    wb = gfx_picture_bits(walk.get(), &cw, &ch);
    for (int k = 0; k < 32; ++k)
        for (int i = 0; i < 32; ++i)
            ASSERT_EQ(sheet_px(g_tile_sheet_overlay, 3 * 32 + i, 32 + k),
                      wb[static_cast<size_t>(ch - 1 - (32 + k)) * cw + 32 + i]);
}

// Writes what the window shows to $ROWEN_SHOTS/map_view.png when set.
TEST_F(MapViewTest, ShotOfTheFirstStage) {
    unit_load_stage_units(0, 1);
    map_center_view_on(19, 31);
    map_redraw_view();
    gfx_set_palette16(&g_default_palette);
    g_fade_state = FADE_STEADY;
    sys_invalidate(g_hwnd_game);
    win_wait_units(2);
    int w = 0, h = 0;
    const uint32_t* frame = sys_headless_frame(&w, &h);
    ASSERT_NE(frame, nullptr);
    EXPECT_NE(frame[(h / 2) * w + w / 2], frame[0]);
    if (const char* dir = std::getenv("ROWEN_SHOTS"))
        sys_write_png((std::string(dir) + "/map_view.png").c_str(), frame, w, h);
}
