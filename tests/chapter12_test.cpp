// Chapters 1 and 2 through the chapter hooks: the stage scenes and where
// the party starts, the turn-start events, goal cells, bosses, the
// chapter-1 finale and its debug flag.
#include <string>
#include <vector>

#include "platform/input.h"
#include "platform/palette.h"
#include "platform/shell.h"
#include "story/chapter_shared.h"
#include "story/hooks.h"
#include "tactics/game.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tests/loop_fixture.h"

namespace {

struct Cell {
    int x, y;
};

}  // namespace

class ChapterTest : public LoopTest {
protected:
    void SetUp() override {
        LoopTest::SetUp();
        g_opt_move_anim = 1;
        g_opt_side_marks = 1;
    }

    // The messages shown, in order.
    static std::vector<int> messages() {
        std::vector<int> ids;
        for (const auto& l : sys_log_lines())
            if (l.rfind("message ", 0) == 0) ids.push_back(std::stoi(l.substr(8)));
        return ids;
    }
    static bool at_cell(int char_id, int x, int y) {
        const UnitRecord* u = unit_find_by_char_id(char_id);
        return u && u->x == x && u->y == y && (g_occupancy.cells[y * MAP_SIDE + x] & OCC_UNIT_MASK) == u->number;
    }
    static UnitRecord* party(int char_id, int cls, int x, int y) {
        UnitStats s = MapTest::stats(char_id, cls, 0);
        return unit_place_new(x, y, &s);
    }
    static UnitRecord* enemy(int char_id, int cls, int mode, int x, int y) {
        UnitStats s = MapTest::stats(char_id, cls, mode);
        return unit_place_new(x, y, &s);
    }
    // A stage's own map as the game loop leaves it after the stage start.
    void play_on(int stage) {
        g_stage_index = stage;
        g_chapter = static_cast<uint32_t>(scn_chapter_of_stage(stage));
        g_module_index = static_cast<int32_t>(g_chapter);
        ASSERT_EQ(map_load_stage_map(stage), 1);
        map_load_map_graphics(g_stage_tileset[static_cast<size_t>(stage)]);
        g_zoom = -1;
        map_set_zoom(1);
        map_redraw_view();
    }
    // The first four party members of chapter 2, off the grid.
    static void party_of_four() {
        const int classes[] = {0, 2, 4, 6};
        for (int c = 1; c <= 4; ++c) {
            UnitRecord* u = party(c, classes[c - 1], c, 0);
            ASSERT_NE(u, nullptr);
            g_occupancy.cells[u->x] = 0;
        }
    }
    int party_on_grid() const {
        int n = 0;
        for (int i = 0; i < MAP_CELLS; ++i) {
            const int num = g_occupancy.cells[i] & OCC_UNIT_MASK;
            n += num >= 1 && num <= UNIT_PARTY_SLOTS;
        }
        return n;
    }
};

// --- chapter 1 ---------------------------------------------------------------------

TEST_F(ChapterTest, NewGamePrologueGivesProvisionsAndShowsItsScenesInOrder) {
    // Left over from an earlier game.
    party(5, 8, 3, 3);
    g_gold = 999;
    g_stage_index = -1;
    keep_clicking();
    scn_stage_start();
    polling = false;

    EXPECT_EQ(g_stage_index, 0);
    EXPECT_EQ(g_chapter, 1u);
    // Nobody of the old game is left, and the bag holds the provisions.
    EXPECT_EQ(unit_find_by_char_id(5), nullptr);
    EXPECT_EQ(g_gold, 0u);
    int herbs = 0, tequila = 0;
    for (const BagEntry& e : g_bag) {
        if (e.item_id == 1) herbs += e.count;
        if (e.item_id == 5) tequila += e.count;
    }
    EXPECT_EQ(herbs, 4);
    EXPECT_EQ(tequila, 2);
    const std::vector<int> expected = {120, 121, 122, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 97};
    EXPECT_EQ(messages(), expected);
    EXPECT_TRUE(music_opened(8));
    EXPECT_TRUE(music_opened(10));
    // The scene leaves an empty grid, the display options as they were and
    // the walk-on units off the map.
    int taken = 0;
    for (int i = 0; i < MAP_CELLS; ++i) taken += g_occupancy.cells[i] != 0;
    EXPECT_EQ(taken, 0);
    EXPECT_EQ(g_opt_move_anim, 1);
    EXPECT_EQ(g_opt_side_marks, 1);
    for (int s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) {
        const UnitRecord& u = g_units[static_cast<size_t>(s)];
        if (u.number != 0) {
            EXPECT_EQ(u.stats.ai_mode, 19) << "slot " << s;
        }
    }
}
