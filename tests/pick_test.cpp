// Cell picking and the map cursor on the kit's first stage (40 x 40).
#include "tactics/pick.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/input.h"
#include "platform/screen.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/units.h"
#include "tests/map_fixture.h"

namespace {

class PickTest : public MapTest {
protected:
    void SetUp() override {
        MapTest::SetUp();
        load_first_stage();
        map_set_zoom(1);
        g_cell_cursor_x = g_cell_cursor_y = -1;
    }
    // Client position of the centre of a view cell at zoom 1.
    static int cx(int vx) { return 16 + vx * 32 + 16; }
    static int cy(int vy) { return vy * 32 + 16 + 48; }
    static UnitRecord* place(int slot, int x, int y, int cls, int mode, int hp = 20, int ch = 2) {
        return &place_record(slot, x, y, stats(ch, cls, mode, hp));
    }
    static void unmark(int x, int y) { g_map.cells[y * MAP_SIDE + x] &= static_cast<uint8_t>(~MAP_MARK); }
};

TEST_F(PickTest, UnmarkedModeRefusesAFriendlyUnitsCellButPicksAnOpenOne) {
    map_mark_all_cells(g_map.cells);
    place(1, 3, 3, 0, 0);
    unmark(5, 5);
    at(100, HeadlessKind::Click, cx(3), cy(3));  // marked, with a unit: pointed at only
    at(300, HeadlessKind::Click, cx(4), cy(4));  // marked and empty: refused
    at(500, HeadlessKind::Click, cx(5), cy(5));
    int x = -1, y = -1;
    EXPECT_EQ(map_pick_cell(&x, &y, PICK_UNMARKED), 1);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 5);
    EXPECT_EQ(g_cell_cursor_x, -1);  // hidden at the end
    EXPECT_EQ(g_cursor_visible, 0);
    EXPECT_EQ(g_cursor_shape, 0);
}

TEST_F(PickTest, HighlightModeNeverScrollsAndPicksOnlyMarkedUnits) {
    g_view_x = 5;
    g_view_y = 5;
    map_redraw_view();
    place(1, 9, 9, 0, 0);
    g_occupancy.cells[9 * MAP_SIDE + 9] |= OCC_MARK_B;
    at(100, HeadlessKind::Click, 18, cy(4));      // left edge
    at(400, HeadlessKind::Click, cx(2), 48 + 2);  // top edge
    at(700, HeadlessKind::Click, cx(3), cy(3));   // no highlight
    at(900, HeadlessKind::Click, cx(4), cy(4));
    int x = -1, y = -1;
    EXPECT_EQ(map_pick_cell(&x, &y, PICK_HIGHLIGHT), 1);
    EXPECT_EQ(g_view_x, 5);
    EXPECT_EQ(g_view_y, 5);
    EXPECT_EQ(x, 9);
    EXPECT_EQ(y, 9);
}

TEST_F(PickTest, TheStripBelowTheViewPicksNothingButEndsAClickWait) {
    at(100, HeadlessKind::Click, cx(3), 390 + 48);
    at(300, HeadlessKind::RClick, cx(3), cy(3));
    int x = -1, y = -1;
    EXPECT_EQ(map_pick_cell(&x, &y, PICK_ANY), 0);
    EXPECT_EQ(x, -1);
    at(100, HeadlessKind::Click, cx(3), 390 + 48);
    EXPECT_EQ(map_pick_cell(&x, &y, PICK_CLICK), 1);
    // Any cell is open in mode 0.
    at(100, HeadlessKind::Click, cx(7), cy(2));
    EXPECT_EQ(map_pick_cell(&x, &y, PICK_ANY), 1);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 2);
}

TEST_F(PickTest, HoldingOnTheRightEdgeScrollsToTheMapsEdgeAndStops) {
    ASSERT_EQ(map_width(), 40);
    at(100, HeadlessKind::Down, 615, cy(5));
    // Cancelled while the button is still held: the scrolling has stopped.
    at(15000, HeadlessKind::RClick, 615, cy(5));
    at(20000, HeadlessKind::Up, 615, cy(5));
    int x = 0, y = 0;
    EXPECT_EQ(map_pick_cell(&x, &y, PICK_ANY), 0);
    EXPECT_EQ(g_view_x, 40 - 19);
    EXPECT_EQ(g_view_y, 0);
    EXPECT_EQ(g_left_held, 1);
}

TEST_F(PickTest, EnterScrollsOneStepAndNeverLeavesTheButtonHeld) {
    g_view_y = 10;
    map_redraw_view();
    // Enter is a left press at client (0, 0): over the top edge.
    at(100, HeadlessKind::Key, 0, 0, VK_RETURN);
    at(5000, HeadlessKind::RClick, cx(3), cy(3));
    int x = 0, y = 0;
    EXPECT_EQ(map_pick_cell(&x, &y, PICK_ANY), 0);
    EXPECT_EQ(g_view_y, 9);
    EXPECT_EQ(g_left_held, 0);
}

TEST_F(PickTest, CellsOffASmallMapAreRefused) {
    set_map_size(10, 8);
    map_redraw_view();
    at(100, HeadlessKind::Click, cx(15), cy(3));
    at(300, HeadlessKind::Click, cx(3), cy(10));
    at(500, HeadlessKind::Click, cx(2), cy(2));
    int x = -1, y = -1;
    EXPECT_EQ(map_pick_cell(&x, &y, PICK_ANY), 1);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(y, 2);
}

TEST_F(PickTest, PointingAtAMultiCellPartShowsTheLowestHpOfItsParts) {
    UnitRecord* a = place(20, 4, 4, CLASS_LAST_FORM, 2, 90, CHAR_LAST_ENEMY);
    UnitRecord* b = place(21, 5, 4, CLASS_LAST_FORM, 2, 90, CHAR_LAST_ENEMY);
    UnitRecord* c = place(22, 4, 6, CLASS_LAST_FORM, 2, 90, CHAR_LAST_ENEMY);
    UnitRecord* other = place(23, 4, 2, CLASS_LAST_FORM, 2, 80, CHAR_LAST_ENEMY);  // another max HP: not a part
    a->stats.hp = 70;
    b->stats.hp = 40;
    c->stats.hp = 30;
    other->stats.hp = 5;
    map_move_cell_cursor(4, 4, 0);
    EXPECT_EQ(a->stats.hp, 30);
    EXPECT_EQ(g_cell_cursor_x, 4);
    EXPECT_EQ(g_cell_cursor_y, 4);
    map_move_cell_cursor(-1, 0, 0);
    EXPECT_EQ(g_cell_cursor_x, -1);
    EXPECT_EQ(other->stats.hp, 5);
}

TEST_F(PickTest, CursorAndPopupAreDrawnAndTakenAway) {
    place(1, 3, 3, 0, 0);
    map_redraw_view();
    const std::vector<uint8_t> before(gfx_dib_pixels(g_back_dib), gfx_dib_pixels(g_back_dib) + SCREEN_IMAGE_SIZE);
    map_move_cell_cursor(3, 3, 0);
    const std::vector<uint8_t> shown(gfx_dib_pixels(g_back_dib), gfx_dib_pixels(g_back_dib) + SCREEN_IMAGE_SIZE);
    EXPECT_NE(shown, before);
    // The popup lies right of the cell: its text is drawn over the next cell.
    int diff_right = 0;
    for (int y = 3 * 32; y < 4 * 32; ++y)
        for (int x = 16 + 4 * 32; x < 16 + 6 * 32; ++x)
            diff_right += *gfx_screen_pixel(g_back_dib, x, y) != before[static_cast<size_t>((415 - y) * 640 + x)];
    EXPECT_GT(diff_right, 0);
    map_move_cell_cursor(-1, 0, 0);
    EXPECT_EQ(std::vector<uint8_t>(gfx_dib_pixels(g_back_dib), gfx_dib_pixels(g_back_dib) + SCREEN_IMAGE_SIZE), before);
}

TEST_F(PickTest, ZoomFramePicksOnlyOnAPassWhereItDidNotMove) {
    g_zoom = -1;
    map_set_zoom(2);
    map_redraw_view();
    const std::vector<uint8_t> before(gfx_dib_pixels(g_back_dib), gfx_dib_pixels(g_back_dib) + SCREEN_IMAGE_SIZE);
    // A click already waiting when the frame appears comes on a pass in
    // which the frame moved: it picks nothing. The next one picks.
    at(10, HeadlessKind::Click, 200, 150 + 48);
    win_wait_units(10);
    at(2000, HeadlessKind::Click, 200, 150 + 48);
    const uint32_t start = sys_headless_clock();
    int dx = -1, dy = -1;
    EXPECT_EQ(map_pick_zoom_frame(&dx, &dy, 2), 1);
    EXPECT_GE(sys_headless_clock() - start, 2000u);
    EXPECT_EQ(dx, 2 * ((200 - 168) / 16));
    EXPECT_EQ(dy, 2 * ((150 - 96) / 16));
    EXPECT_EQ(std::vector<uint8_t>(gfx_dib_pixels(g_back_dib), gfx_dib_pixels(g_back_dib) + SCREEN_IMAGE_SIZE), before);
    at(100, HeadlessKind::Move, 600, 380 + 48);  // clamped to 19, 12
    at(300, HeadlessKind::RClick, 600, 380 + 48);
    EXPECT_EQ(map_pick_zoom_frame(&dx, &dy, 1), 0);
    EXPECT_EQ(dx, 19);
    EXPECT_EQ(dy, 12);
}

}  // namespace
