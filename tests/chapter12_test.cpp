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

TEST_F(ChapterTest, StageOneTurnStartFreesTheEscortEveryTurnAndTalksOnTheFirst) {
    play_on(0);
    UnitRecord* escort = party(12, 53, 10, 10);
    UnitRecord* other = party(2, 2, 11, 10);
    keep_clicking();
    for (int turn : {0, 1, 2}) {
        escort->acted = 1;
        other->acted = 1;
        g_turn = turn;
        scn_turn_start();
        EXPECT_EQ(escort->acted, 0) << "turn " << turn;
        EXPECT_EQ(other->acted, 1) << "turn " << turn;
    }
    EXPECT_EQ(count_messages(98), 1);
    // Without the escort the first turn still talks.
    escort->number = 0;
    g_turn = 0;
    scn_turn_start();
    EXPECT_EQ(count_messages(98), 2);
}

TEST_F(ChapterTest, StageOneGateRowEndsTheMoveAndWarnsOnce) {
    play_on(0);
    UnitRecord* lead = party(1, 0, 19, 1);
    UnitRecord* second = party(2, 2, 20, 1);
    party(12, 53, 19, 30);  // far from the gate
    keep_clicking();
    EXPECT_EQ(scn_unit_moved(lead, 19, 3), 1);
    EXPECT_EQ(scn_unit_moved(second, 20, 3), 1);
    EXPECT_EQ(count_messages(99), 1);
    EXPECT_EQ(g_stage_flags[0], 1);
    EXPECT_EQ(g_stage_end, 0);
    // Other cells of the row, and the gate's columns off the row, are no event.
    UnitRecord* third = party(3, 4, 18, 1);
    EXPECT_EQ(scn_unit_moved(third, 18, 3), 0);
    UnitRecord* fourth = party(4, 6, 19, 2);
    EXPECT_EQ(scn_unit_moved(fourth, 19, 4), 0);
    // The same cells on another stage are nothing.
    g_stage_index = 5;
    g_chapter = 1;
    EXPECT_EQ(scn_unit_moved(lead, 19, 3), 0);
}

TEST_F(ChapterTest, FinaleOpensTheGateAndEndsTheStageKeepingTheParty) {
    play_on(0);
    UnitRecord* lead = party(1, 0, 19, 1);
    UnitRecord* second = party(2, 2, 22, 4);
    UnitRecord* escort = party(12, 53, 19, 4);  // 3 cells from the gate cell
    UnitRecord* foe = enemy(10, 25, 7, 30, 30);
    ASSERT_TRUE(lead && second && escort && foe);
    keep_clicking();
    EXPECT_EQ(scn_unit_moved(lead, 19, 3), 1);
    polling = false;

    EXPECT_EQ(g_stage_end, 1);
    const std::vector<int> expected = {100, 101, 102, 103, 104, 105};
    EXPECT_EQ(messages(), expected);
    // The enemy left (its slot may hold a walk-on unit now).
    for (const UnitRecord& u : g_units) EXPECT_FALSE(u.number != 0 && u.stats.ai_mode == 7);
    // The gate stands open.
    EXPECT_EQ(g_map.cells[0 * MAP_SIDE + 19] & MAP_TILE_MASK, 57);
    EXPECT_EQ(g_map.cells[0 * MAP_SIDE + 20] & MAP_TILE_MASK, 58);
    EXPECT_EQ(g_map.cells[1 * MAP_SIDE + 19] & MAP_TILE_MASK, 20);
    EXPECT_EQ(g_map.cells[1 * MAP_SIDE + 20] & MAP_TILE_MASK, 20);
    // The two who went through are off the grid, their records whole for
    // the next chapter; the escort stands in the gateway.
    for (const UnitRecord* u : {lead, second}) {
        EXPECT_NE(u->number, 0);
        EXPECT_GT(u->stats.hp, 0);
        EXPECT_NE(g_occupancy.cells[u->y * MAP_SIDE + u->x] & OCC_UNIT_MASK, u->number);
    }
    EXPECT_EQ(lead->x, 19);
    EXPECT_EQ(lead->y, 0);
    EXPECT_EQ(second->x, 20);
    EXPECT_EQ(second->y, 0);
    EXPECT_TRUE(at_cell(12, 20, 1));
    // The army: 6 + 6 + 8 walk-on units.
    int army = 0;
    for (const UnitRecord& u : g_units)
        army += u.number != 0 && u.stats.ai_mode == 19 &&
                (u.stats.class_id == 37 || u.stats.class_id == 29 || u.stats.class_id == 25);
    EXPECT_EQ(army, 20);
    EXPECT_TRUE(music_opened(8));
}

TEST_F(ChapterTest, DebugFlagSkipsTheFinaleButStillEndsTheStage) {
    play_on(0);
    g_debug_flags = 0x400;
    UnitRecord* lead = party(1, 0, 20, 1);
    party(12, 53, 20, 3);
    UnitRecord* foe = enemy(10, 25, 7, 30, 30);
    const uint8_t gate = g_map.cells[0 * MAP_SIDE + 19];
    keep_clicking();
    EXPECT_EQ(scn_unit_moved(lead, 20, 3), 1);
    EXPECT_EQ(g_stage_end, 1);
    EXPECT_TRUE(messages().empty());
    EXPECT_NE(foe->number, 0);
    EXPECT_TRUE(at_cell(1, 20, 1));
    EXPECT_EQ(g_map.cells[0 * MAP_SIDE + 19], gate);
}

TEST_F(ChapterTest, ClassFiftyThreeEnemiesHeadForTheLeaderAndReachingTheGateEndsTheStage) {
    play_on(0);
    g_debug_flags = 0x400;
    party(1, 0, 18, 2);
    // One that has acted stays put and ends nothing.
    UnitRecord* done = enemy(10, 53, 7, 18, 4);
    done->acted = 1;
    scn_enemy_act(done);
    EXPECT_EQ(done->x, 18);
    EXPECT_EQ(done->y, 4);
    EXPECT_EQ(g_stage_end, 0);
    // One far from the gate walks toward the leader; no end.
    UnitRecord* far = enemy(10, 53, 7, 18, 30);
    scn_enemy_act(far);
    EXPECT_LT(far->y, 30);
    EXPECT_EQ(g_stage_end, 0);
    // One that ends its move within 5 cells of (18,1) ends the stage.
    done->acted = 0;
    scn_enemy_act(done);
    EXPECT_LT(map_manhattan_distance(done->x, done->y, 18, 1), 5);
    EXPECT_EQ(g_stage_end, 1);
}

TEST_F(ChapterTest, ChapterOneBattlesPlayTheBossMusicOnlyForABoss) {
    play_on(0);
    UnitRecord* lead = party(1, 0, 5, 5);
    UnitRecord* grunt = enemy(10, 25, 7, 6, 5);
    UnitRecord* boss = enemy(10, 25, 2, 5, 6);
    EXPECT_EQ(scn_before_battle(lead, grunt), 0);
    EXPECT_FALSE(music_opened(12));
    EXPECT_EQ(scn_before_battle(lead, boss), 0);
    EXPECT_TRUE(music_opened(12));
}
