// Movement range and paths on synthetic grids: every tile number is its own
// terrain class, so a map row is written as terrain classes.
#include "tactics/move.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "battle/battle.h"
#include "story/hooks.h"
#include "tactics/map.h"
#include "tactics/turn.h"
#include "tactics/units.h"
#include "tests/map_fixture.h"

namespace {

// The fill written as a plain depth-first recursion that re-enters a cell
// whenever it arrives with no fewer points: the reference the fill must
// match, grid and marks alike.
void reference_flood(const UnitRecord* u, int x, int y, const int32_t* costs, int points) {
    static const int dx[4] = {0, 1, 0, -1}, dy[4] = {-1, 0, 1, 0};
    if (points != 20 && map_zoc_check(u, x, y)) return;
    const int w = map_width();
    int remembered[4] = {0, 0, 0, 0};
    for (int d = 0; d < 4; ++d) {
        const int nx = x + dx[d], ny = y + dy[d];
        if (!map_on_map(nx, ny)) continue;
        const int left = points - costs[map_terrain_class_at(nx, ny)];
        if (left < 0 || g_move_range[ny * w + nx] > left) continue;
        const UnitRecord* o = unit_at_cell(nx, ny);
        if (o && u->stats.ai_mode != AI_MODE_WALK_ON && o->stats.ai_mode != AI_MODE_WALK_ON &&
            (o->stats.ai_mode > 0) != (u->stats.ai_mode > 0))
            continue;
        g_move_range[ny * w + nx] = static_cast<uint8_t>(left);
        remembered[d] = left;
        if (!o) g_map.cells[ny * MAP_SIDE + nx] &= static_cast<uint8_t>(~MAP_MARK);
    }
    for (int d = 0; d < 4; ++d) {
        const int nx = x + dx[d], ny = y + dy[d];
        if (remembered[d] > 0 && g_move_range[ny * w + nx] <= remembered[d])
            reference_flood(u, nx, ny, costs, remembered[d]);
    }
}

class MoveTest : public MapTest {
protected:
    void SetUp() override {
        MapTest::SetUp();
        g_terrain_class_of_tile = terrain_is_tile();
        g_enemy_phase = 0;
    }
    void TearDown() override {
        map_free_move_range();
        g_terrain_class_of_tile = g_tileset_terrain[0].data();
        g_enemy_phase = 0;
        MapTest::TearDown();
    }
    static void make_map(int w, int h, int terrain) {
        set_map_size(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) g_map.cells[y * MAP_SIDE + x] = static_cast<uint8_t>(terrain);
    }
    static void set_terrain(int x, int y, int terrain) {
        g_map.cells[y * MAP_SIDE + x] = static_cast<uint8_t>(terrain);
    }
    // A corridor along row 1 of terrain 1 (cost 5 for class 0) between rows of
    // terrain 0, which class 0 never enters.
    static void make_corridor(int w) {
        make_map(w, 3, 0);
        for (int x = 0; x < w; ++x) set_terrain(x, 1, 1);
    }
    static UnitRecord* place(int slot, int x, int y, int cls, int mode, int hp = 20, int ch = 2) {
        return &place_record(slot, x, y, stats(ch, cls, mode, hp));
    }
    static void range(UnitRecord* u) {
        ASSERT_EQ(map_alloc_move_range(), 1);
        map_mark_all_cells(g_map.cells);
        map_prepare_move_range(u);
    }
    static int left_at(int x, int y) { return g_move_range[y * map_width() + x]; }
    static bool marked(int x, int y) { return (g_map.cells[y * MAP_SIDE + x] & MAP_MARK) != 0; }
};

TEST_F(MoveTest, PointsFallByTerrainCostOnAGridWhoseStrideIsTheMapWidth) {
    make_map(11, 9, 1);  // cost 5 for class 0
    UnitRecord* u = place(0, 5, 4, 0, 0);
    range(u);
    // The grid is 11 x 9 bytes, row-major with stride 11.
    EXPECT_EQ(g_move_range[4 * 11 + 5], 20);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 11; ++x) {
            const int d = std::abs(x - 5) + std::abs(y - 4);
            SCOPED_TRACE(testing::Message() << x << "," << y);
            EXPECT_EQ(g_move_range[y * 11 + x], d <= 4 ? 20 - 5 * d : 0);
            // Reached with 0 left is still a cell to stop on.
            EXPECT_EQ(marked(x, y), d > 4);
        }
    EXPECT_EQ(g_occupancy.cells[4 * MAP_SIDE + 5], 1 | OCC_MARK_A | OCC_MARK_B);
}

TEST_F(MoveTest, CostTableRowsAndClassesOutsideTheTable) {
    int32_t c[11];
    UnitRecord u{};
    u.stats.class_id = 33;  // 4 on every terrain class, class 0 included
    unit_get_move_costs(&u, c);
    for (int t = 0; t < 11; ++t) EXPECT_EQ(c[t], 4);
    u.stats.class_id = 12;
    unit_get_move_costs(&u, c);
    EXPECT_EQ(c[5], 2);
    EXPECT_EQ(c[9], 12);
    u.stats.class_id = 43;
    unit_get_move_costs(&u, c);
    EXPECT_EQ(c[6], 4);
    EXPECT_EQ(c[9], 99);
    for (int cls : {55, 200, -1}) {
        u.stats.class_id = static_cast<int16_t>(cls);
        unit_get_move_costs(&u, c);
        for (int t = 0; t < 11; ++t) EXPECT_EQ(c[t], 99) << cls;
    }
    // Class 33 crosses terrain 0; class 0 and an unknown class do not move.
    make_map(8, 1, 0);
    UnitRecord* s = place(0, 0, 0, 33, 0);
    range(s);
    EXPECT_EQ(left_at(5, 0), 0);
    EXPECT_FALSE(marked(5, 0));
    EXPECT_TRUE(marked(6, 0));
    make_map(8, 1, 1);
    UnitRecord* unknown = place(0, 0, 0, 60, 0);
    range(unknown);
    EXPECT_TRUE(marked(1, 0));
    EXPECT_EQ(left_at(1, 0), 0);
}

TEST_F(MoveTest, ZonesOfControlStopOnEntryButNotAtTheStart) {
    make_corridor(8);
    UnitRecord* u = place(0, 0, 1, 0, 0);
    place(20, 0, 0, 6, 2);  // next to the start: no hold
    range(u);
    EXPECT_EQ(left_at(4, 1), 0);
    EXPECT_FALSE(marked(4, 1));
    // A second hostile above cell 3 holds the mover there.
    place(21, 3, 0, 6, 2);
    range(u);
    EXPECT_EQ(left_at(3, 1), 5);
    EXPECT_FALSE(marked(3, 1));
    EXPECT_EQ(left_at(4, 1), 0);
    EXPECT_TRUE(marked(4, 1));
    // A walk-on unit holds nobody.
    g_units[21].stats.ai_mode = AI_MODE_WALK_ON;
    range(u);
    EXPECT_FALSE(marked(4, 1));
}

TEST_F(MoveTest, HostileCellsAreNeverEnteredFriendlyCellsArePassedButStayMarked) {
    make_corridor(8);
    UnitRecord* u = place(0, 0, 1, 0, 0);
    place(1, 2, 1, 0, 0);  // friend
    range(u);
    EXPECT_EQ(left_at(2, 1), 10);
    EXPECT_TRUE(marked(2, 1));
    EXPECT_EQ(left_at(3, 1), 5);
    EXPECT_FALSE(marked(3, 1));
    // The same cell held by the other side: the mover stops before it.
    place(1, 0, 0, 0, 0);
    g_occupancy.cells[1 * MAP_SIDE + 2] = 0;
    place(20, 2, 1, 6, 2);
    range(u);
    EXPECT_EQ(left_at(2, 1), 0);
    EXPECT_TRUE(marked(2, 1));
    EXPECT_TRUE(marked(3, 1));
    EXPECT_FALSE(marked(1, 1));
}

TEST_F(MoveTest, KnockedOutPartyUnitBlocksItsCellWithoutAZone) {
    make_map(7, 7, 2);  // cost 3 for class 0
    UnitRecord* enemy = place(20, 0, 3, 0, 2);
    place(0, 2, 3, 0, 0, 0);  // HP 0
    range(enemy);
    EXPECT_EQ(left_at(2, 3), 0);
    EXPECT_TRUE(marked(2, 3));
    // Around it in five steps: only possible when nothing next to it holds.
    EXPECT_EQ(left_at(3, 3), 5);
    EXPECT_FALSE(marked(3, 3));
    // With HP the same unit holds the cells beside it.
    g_units[0].stats.hp = 5;
    range(enemy);
    EXPECT_TRUE(marked(3, 3));
}

TEST_F(MoveTest, WalkOnMoverIgnoresZonesAndUnits) {
    make_corridor(8);
    UnitRecord* u = place(20, 0, 1, 0, AI_MODE_WALK_ON);
    place(0, 2, 1, 0, 0);
    place(1, 1, 0, 0, 0);
    range(u);
    EXPECT_EQ(left_at(2, 1), 10);
    EXPECT_TRUE(marked(2, 1));  // occupied: passed, not a cell to stop on
    EXPECT_EQ(left_at(4, 1), 0);
    EXPECT_FALSE(marked(4, 1));
}

TEST_F(MoveTest, EnemyPhaseUnmarksTheCellOfTheHoldingUnit) {
    make_corridor(8);
    UnitRecord* enemy = place(20, 0, 1, 0, 2);
    place(0, 3, 0, 0, 0);
    range(enemy);
    EXPECT_TRUE(marked(3, 0));
    g_enemy_phase = 1;
    range(enemy);
    EXPECT_FALSE(marked(3, 0));
    EXPECT_TRUE(marked(4, 1));
}

TEST_F(MoveTest, TracePrefersUpRightDownLeftAndAvoidsHeldCells) {
    make_map(5, 5, 1);
    UnitRecord* u = place(0, 0, 0, 0, 0);
    range(u);
    MovePath path{};
    // (1,1) can be reached over (1,0) or (0,1): the one above wins.
    ASSERT_EQ(map_trace_move_path(u, 1, 1, path), 2);
    EXPECT_EQ(path[0], 2);  // last step: down from (1,0)
    EXPECT_EQ(path[1], 1);  // first step: right from the start
    // With (1,0) held by a hostile's zone, the trace goes through (0,1).
    place(20, 2, 0, 6, 2);
    range(u);
    ASSERT_EQ(map_trace_move_path(u, 1, 1, path), 2);
    EXPECT_EQ(path[0], 1);
    EXPECT_EQ(path[1], 2);
    // A cell the fill did not reach has no path.
    EXPECT_EQ(map_trace_move_path(u, 4, 4, path), 0);
    EXPECT_EQ(map_trace_move_path(u, -1, 0, path), 0);
}

TEST_F(MoveTest, TraceStopsAtTheBufferOnAGridLongerThanAnyBudget) {
    // Values that climb by the cost of terrain 0 (99) modulo 256 for 30
    // cells before reaching 20: a trace past the buffer must give up.
    make_map(40, 1, 0);
    UnitRecord* u = place(0, 30, 0, 0, 0);
    ASSERT_EQ(map_alloc_move_range(), 1);
    for (int x = 0; x <= 30; ++x) g_move_range[x] = static_cast<uint8_t>((20 - 99 * (30 - x)) & 0xFF);
    MovePath path{};
    EXPECT_EQ(map_trace_move_path(u, 0, 0, path), 0);
    EXPECT_EQ(map_trace_move_path(u, 20, 0, path), 10);
}

TEST_F(MoveTest, FillMatchesTheDepthFirstReferenceOnRandomMaps) {
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        const int w = 12 + static_cast<int>(next(20)), h = 10 + static_cast<int>(next(20));
        make_map(w, h, 1);
        std::memset(&g_occupancy, 0, sizeof g_occupancy);
        g_units = {};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) set_terrain(x, y, static_cast<int>(next(11)));
        static const int classes[] = {0, 4, 12, 15, 20, 33, 38, 43};
        UnitRecord* u = place(0, w / 2, h / 2, classes[next(8)], round % 3 == 0 ? 2 : 0);
        if (round % 7 == 0) u->stats.ai_mode = AI_MODE_WALK_ON;
        for (int i = 1; i < 16; ++i) {
            const int x = static_cast<int>(next(static_cast<uint32_t>(w))),
                      y = static_cast<int>(next(static_cast<uint32_t>(h)));
            if (g_occupancy.cells[y * MAP_SIDE + x]) continue;
            const int modes[] = {0, 2, 19};
            place(i + (i % 2 ? 18 : 0), x, y, 6, modes[next(3)], static_cast<int>(next(3)) == 0 ? 0 : 10);
        }
        g_enemy_phase = round % 2;
        range(u);
        std::vector<uint8_t> grid(g_move_range, g_move_range + w * h);
        std::vector<uint8_t> cells(g_map.cells, g_map.cells + MAP_CELLS);
        map_mark_all_cells(g_map.cells);
        std::memset(g_move_range, 0, static_cast<size_t>(w * h));
        g_move_range[u->y * w + u->x] = 20;
        g_map.cells[u->y * MAP_SIDE + u->x] &= static_cast<uint8_t>(~MAP_MARK);
        int32_t costs[11];
        unit_get_move_costs(u, costs);
        reference_flood(u, u->x, u->y, costs, 20);
        EXPECT_EQ(grid, std::vector<uint8_t>(g_move_range, g_move_range + w * h));
        EXPECT_EQ(cells, std::vector<uint8_t>(g_map.cells, g_map.cells + MAP_CELLS));
    }
}

}  // namespace
