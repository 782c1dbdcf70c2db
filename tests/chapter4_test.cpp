// Chapter 4 through the chapter hooks: the stage scenes and where the party
// starts, the walk into the cave, the turn-start events, the goal cells and
// the gate of stage 33, the bosses and the stage won by clearing the field.
#include "story/chapter4.h"

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "platform/input.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "story/chapter_shared.h"
#include "story/hooks.h"
#include "tactics/game.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tests/chapter_fixture.h"

class Chapter4Test : public ChapterFixture {};

namespace {

using Cells = std::vector<std::tuple<int, int, int>>;

const Cells STAGE_22 = {{1, 5, 21}, {2, 6, 21}, {3, 5, 24}, {4, 6, 22}, {5, 6, 23}, {6, 5, 22}, {7, 5, 23}, {8, 6, 24}};
const Cells STAGE_23 = {{1, 36, 14}, {2, 36, 15}, {3, 37, 15}, {4, 36, 13},
                        {5, 37, 13}, {6, 36, 16}, {7, 37, 14}, {8, 37, 16}};
const Cells STAGE_25 = {{1, 20, 26}, {2, 21, 26}, {3, 19, 27}, {4, 19, 26},
                        {5, 18, 26}, {6, 18, 27}, {7, 20, 27}, {8, 21, 27}};
const Cells STAGE_26 = {{1, 12, 6}, {2, 13, 6}, {4, 11, 6}, {5, 10, 6}, {6, 13, 5}, {3, 12, 5}, {7, 11, 5}, {8, 10, 5}};
const Cells STAGE_27 = {{1, 35, 28}, {2, 36, 28}, {3, 37, 28}, {4, 35, 29},
                        {5, 36, 29}, {6, 37, 29}, {7, 36, 30}, {8, 37, 30}};
const Cells STAGE_28 = {{1, 17, 3}, {2, 18, 3}, {3, 17, 4}, {4, 19, 3}, {5, 20, 3}, {6, 18, 4}, {7, 20, 4}, {8, 19, 4}};
const Cells STAGE_29 = {{1, 19, 3}, {2, 20, 3}, {3, 19, 4}, {4, 21, 3}, {5, 22, 3}, {6, 20, 4}, {7, 22, 4}, {8, 21, 4}};
const Cells STAGE_30 = {{1, 16, 16}, {2, 16, 15}, {3, 17, 15}, {4, 16, 17},
                        {5, 16, 18}, {6, 17, 16}, {7, 17, 17}, {8, 17, 18}};
const Cells STAGE_31 = {{1, 3, 29}, {2, 3, 28}, {3, 2, 31}, {4, 3, 30}, {5, 3, 31}, {6, 2, 30}, {7, 2, 28}, {8, 2, 29}};
const Cells STAGE_32 = {{1, 4, 23}, {2, 5, 23}, {3, 7, 24}, {4, 6, 23}, {5, 7, 23}, {6, 4, 24}, {7, 5, 24}, {8, 6, 24}};
const Cells STAGE_33 = {{1, 32, 22}, {2, 33, 22}, {3, 35, 23}, {4, 34, 22},
                        {5, 35, 22}, {6, 32, 23}, {7, 33, 23}, {8, 34, 23}};

struct StageStart {
    int stage;
    std::vector<int> messages;
    std::vector<int> music;
    const Cells* party;
};

const StageStart STARTS[] = {
    {22, {}, {}, &STAGE_22},
    {23, {97, 98, 99}, {8, 10}, &STAGE_23},
    {24, {48}, {}, &STAGE_23},
    {25, {}, {}, &STAGE_25},
    {26, {48, 49, 97, 98, 99, 100, 101, 102, 103, 104, 122, 50, 51, 52, 53}, {10, 2}, &STAGE_26},
    {27, {48}, {10}, &STAGE_27},
    {28, {}, {}, &STAGE_28},
    {29, {48, 49}, {}, &STAGE_29},
    {30, {97, 98, 99}, {10}, &STAGE_30},
    {31, {97, 98}, {8}, &STAGE_31},
    {32, {97, 98, 99, 100}, {10}, &STAGE_32},
    {33, {}, {}, &STAGE_33},
};

}  // namespace

// --- stage starts ----------------------------------------------------------------------

TEST_F(Chapter4Test, EveryStageStartShowsItsSceneAndPlacesTheParty) {
    for (const StageStart& c : STARTS) check_stage_start(4, c.stage, c.messages, c.music, *c.party);
}

TEST_F(Chapter4Test, ScenesChangeTheirCellsAndShapes) {
    // Stage 23: the wall of the hall opens.
    party_off_grid({0, 3, 4, 6, 8, 13, 12, 11});
    ASSERT_EQ(map_load_stage_map(59), 1);
    const int t90 = tile(9, 0), t91 = tile(9, 1), t100 = tile(10, 0);
    ASSERT_NE(t91, 38);
    reset_stage();
    party_off_grid({0, 3, 4, 6, 8, 13, 12, 11});
    start_stage(23);
    EXPECT_EQ(tile(8, 0), t90);
    EXPECT_EQ(tile(8, 1), t91);
    EXPECT_EQ(tile(9, 0), t100);
    EXPECT_EQ(tile(9, 1), 38);

    // Stage 30: the stranger ends as class 19.
    reset_stage();
    party_off_grid({0, 3, 4, 6, 8, 13, 12, 11});
    start_stage(30);
    bool changed = false;
    for (int s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) {
        const UnitRecord& u = g_units[static_cast<size_t>(s)];
        if (u.number != 0 && u.stats.ai_mode == AI_MODE_WALK_ON) changed |= u.stats.class_id == 19;
    }
    EXPECT_TRUE(changed);

    // Stage 32: the door at (12,8) opens.
    reset_stage();
    party_off_grid({0, 3, 4, 6, 8, 13, 12, 11});
    start_stage(32);
    EXPECT_EQ(tile(12, 8), 38);
}

TEST_F(Chapter4Test, StagesTwentyFourAndTwentyNineLoadTheirEnemiesDuringTheScene) {
    for (int stage : {24, 29}) {
        SCOPED_TRACE(stage);
        reset_stage();
        party_off_grid({0, 3, 4, 6, 8, 13, 12, 11});
        start_stage(stage);
        EXPECT_GT(enemy_records(), 0);
        if (stage == 24) {
            EXPECT_NE(unit_find_by_char_id(CHAR_JIROKICHI), nullptr);
        }
        // The loop's own load gives one set of them.
        const int after_scene = enemy_records();
        unit_load_stage_units(stage - 1, 1);
        EXPECT_EQ(enemy_records(), after_scene);
    }
    // Stage 29's view went down to the map's bottom before message 49.
    reset_stage();
    party_off_grid({0, 3, 4, 6, 8, 13, 12, 11});
    int view_y_at_49 = -1;
    g_stage_index = 28;
    start_polling([&] {
        if (view_y_at_49 < 0 && !messages().empty() && messages().back() == 49) view_y_at_49 = g_view_y;
        click_view(320, 200);
    });
    scn_stage_start();
    polling = false;
    EXPECT_GT(view_y_at_49, 20);
}

TEST_F(Chapter4Test, StageTwentySixShakesOnlyWhileTheRiderArrives) {
    party_off_grid({0, 3, 4, 6, 8, 13, 12, 11});
    bool shaking_at_51 = false, shaking_elsewhere = false;
    g_stage_index = 25;
    start_polling([&] {
        const auto ids = messages();
        const bool at_51 = !ids.empty() && ids.back() == 51;
        if (g_shake_on) (at_51 ? shaking_at_51 : shaking_elsewhere) = true;
        click_view(320, 200);
    });
    scn_stage_start();
    polling = false;
    EXPECT_TRUE(shaking_at_51);
    EXPECT_FALSE(shaking_elsewhere);
    EXPECT_EQ(g_shake_on, 0);
}

TEST_F(Chapter4Test, StageStartSkipsAMissingCharacter) {
    // Only characters 1 and 3 are left: the walk into the cave names them
    // by their places in its order.
    unit(1, 0, 0, 1, 0);
    unit(3, 4, 0, 3, 0);
    g_occupancy.cells[1] = g_occupancy.cells[3] = 0;
    start_stage(26);
    EXPECT_EQ(messages(), (std::vector<int>{48, 49, 99, 102, 122, 50, 51, 52, 53}));
    EXPECT_TRUE(at_cell(1, 12, 6));
    EXPECT_TRUE(at_cell(3, 12, 5));
    EXPECT_EQ(units_on_grid(), 2);
}

TEST_F(Chapter4Test, WalkIntoTheCaveEndsBelowTheHole) {
    play_on(25);
    ASSERT_EQ(map_load_stage_map(59), 1);
    g_chapter = 4;
    UnitRecord* second = unit(2, 3, 0, 10, 6);
    UnitRecord* third = unit(3, 4, 0, 13, 7);
    keep_clicking();
    scn_ch4_walk_in_party();
    polling = false;
    // Left to column 6, down to row 10, then two more.
    EXPECT_EQ(second->x, 6);
    EXPECT_EQ(second->y, 12);
    // Character 3 first stepped down once.
    EXPECT_EQ(third->x, 6);
    EXPECT_EQ(third->y, 12);
    EXPECT_EQ(messages(), (std::vector<int>{97, 102}));
}

// --- turn starts and goals ---------------------------------------------------------------

TEST_F(Chapter4Test, FirstTurnEvents) {
    keep_clicking();
    const std::pair<int, std::vector<int>> cases[] = {{22, {48}}, {23, {48}}, {24, {}},   {25, {48, 49}},
                                                      {26, {54}}, {27, {49}}, {28, {48}}, {29, {}},
                                                      {30, {}},   {31, {48}}, {32, {48}}, {33, {48}}};
    for (const auto& [stage, ids] : cases) {
        SCOPED_TRACE("stage " + std::to_string(stage));
        reset_stage();
        play_on(stage - 1);
        g_turn = 0;
        scn_turn_start();
        EXPECT_EQ(messages(), ids);
        sys_log_clear();
        g_turn = 1;
        scn_turn_start();
        EXPECT_TRUE(messages().empty());
    }
}

TEST_F(Chapter4Test, GoalCellsEndTheirStages) {
    keep_clicking();
    struct Goal {
        int stage, x, y;
        std::vector<int> ids;
    };
    const Goal goals[] = {
        {22, 24, 0, {49}}, {23, 4, 6, {49, 50}}, {26, 29, 26, {55}}, {31, 36, 8, {49}}, {32, 31, 4, {49}}};
    for (const Goal& g : goals) {
        SCOPED_TRACE("stage " + std::to_string(g.stage));
        reset_stage();
        play_on(g.stage - 1);
        UnitRecord* a = unit(5, 8, 0, g.x, g.y + 1);
        EXPECT_EQ(scn_unit_moved(a, g.x, g.y + 2), 0);
        EXPECT_EQ(g_stage_end, 0);
        g_occupancy.cells[(g.y + 1) * MAP_SIDE + g.x] = 0;
        a->y = static_cast<int16_t>(g.y);
        EXPECT_EQ(scn_unit_moved(a, g.x, g.y + 1), 1);
        EXPECT_EQ(g_stage_end, 1);
        EXPECT_EQ(messages(), g.ids);
    }
    // Stages without a goal.
    for (int stage : {24, 25, 27, 28, 29, 30}) {
        reset_stage();
        play_on(stage - 1);
        UnitRecord* a = unit(1, 0, 0, 24, 0);
        EXPECT_EQ(scn_unit_moved(a, 24, 1), 0);
        EXPECT_EQ(g_stage_end, 0);
    }
    EXPECT_EQ(scn_unit_moved(nullptr, 0, 0), 0);
}

TEST_F(Chapter4Test, StageThirtyThreeGateOpensOnEitherCell) {
    for (int x : {7, 8, 9, 10}) {
        SCOPED_TRACE(x);
        reset_stage();
        play_on(32);
        party_off_grid({0, 3, 4, 6, 8, 13, 12, 11});
        UnitRecord* a = unit_find_by_char_id(5);
        map_move_unit_step(a, 6);  // off the map, then onto the cell
        a = unit(5, 8, 0, x, 1);
        g_zoom = 2;
        keep_clicking();
        const int r = scn_unit_moved(a, x, 2);
        polling = false;
        const bool gate = x == 8 || x == 9;
        EXPECT_EQ(r, gate ? 1 : 0);
        EXPECT_EQ(g_stage_end, gate ? 1 : 0);
        if (!gate) {
            EXPECT_TRUE(messages().empty());
            continue;
        }
        EXPECT_EQ(messages(), (std::vector<int>{49, 50}));
        for (const auto& [cx, cy] : {std::pair{8, 0}, {9, 0}, {8, 1}, {9, 1}}) EXPECT_EQ(tile(cx, cy), 82);
        EXPECT_TRUE(at_cell(1, 9, 1));
        EXPECT_TRUE(at_cell(8, 8, 2));
        EXPECT_EQ(g_zoom, 2);
        EXPECT_EQ(g_opt_side_marks, 1);
    }
}

// --- bosses -------------------------------------------------------------------------------

TEST_F(Chapter4Test, BossContacts) {
    keep_clicking();
    const std::pair<int, std::vector<int>> cases[] = {{25, {50, 51}}, {27, {50}}, {28, {49}}, {29, {50}}};
    for (const auto& [stage, ids] : cases) {
        SCOPED_TRACE("stage " + std::to_string(stage));
        reset_stage();
        play_on(stage - 1);
        UnitRecord* lead = unit(1, 0, 0, 5, 5);
        UnitRecord* boss = unit(20, 35, AI_MODE_BOSS_UNMET, 6, 5);
        EXPECT_EQ(scn_before_battle(lead, boss), 0);
        EXPECT_EQ(boss->stats.ai_mode, AI_MODE_BOSS);
        EXPECT_EQ(messages(), ids);
        EXPECT_TRUE(music_opened(12));
        // A second contact shows nothing more.
        EXPECT_EQ(scn_before_battle(lead, boss), 0);
        EXPECT_EQ(messages(), ids);
    }
    // No contact elsewhere; an ordinary enemy starts no boss music.
    for (int stage : {22, 26, 30}) {
        reset_stage();
        play_on(stage - 1);
        UnitRecord* lead = unit(1, 0, 0, 5, 5);
        UnitRecord* boss = unit(20, 35, AI_MODE_BOSS_UNMET, 6, 5);
        UnitRecord* grunt = unit(21, 35, AI_MODE_ADVANCE, 7, 5);
        EXPECT_EQ(scn_before_battle(lead, boss), 0);
        EXPECT_EQ(scn_before_battle(lead, grunt), 0);
        EXPECT_EQ(boss->stats.ai_mode, AI_MODE_BOSS_UNMET);
        EXPECT_TRUE(messages().empty());
        EXPECT_FALSE(music_opened(12));
    }
    EXPECT_EQ(scn_before_battle(nullptr, nullptr), 0);
}

TEST_F(Chapter4Test, BossesFall) {
    keep_clicking();
    struct Fall {
        int stage;
        std::vector<int> ids;
        int music;
    };
    const Fall falls[] = {{25, {52}, 5}, {27, {51}, -1}, {29, {51}, -1}, {28, {}, 0}, {30, {}, 0}};
    for (const Fall& f : falls) {
        SCOPED_TRACE("stage " + std::to_string(f.stage));
        reset_stage();
        play_on(f.stage - 1);
        UnitRecord* lead = unit(1, 0, 0, 5, 5);
        UnitRecord* boss = unit(20, 35, AI_MODE_BOSS, 6, 5);
        UnitRecord* grunt = unit(21, 35, AI_MODE_ADVANCE, 9, 9);
        beat_boss(lead, boss);
        EXPECT_EQ(grunt->number, 0);
        EXPECT_EQ(messages(), f.ids);
        if (f.music > 0) {
            EXPECT_TRUE(music_opened(f.music));
        } else if (f.music < 0) {
            EXPECT_TRUE(music_opened(g_stage_music[static_cast<size_t>(f.stage - 1)]));
        }
    }
    // A fallen ordinary enemy ends nothing.
    reset_stage();
    play_on(24);
    UnitRecord* lead = unit(1, 0, 0, 5, 5);
    UnitRecord* grunt = unit(21, 35, AI_MODE_ADVANCE, 9, 9);
    unit(22, 35, AI_MODE_ADVANCE, 9, 10);
    grunt->stats.hp = 0;
    scn_after_battle(lead, grunt);
    EXPECT_EQ(g_stage_end, 0);
}

TEST_F(Chapter4Test, StageTwentyFourEndsWhenTheLastEnemyFallsNotOnABoss) {
    keep_clicking();
    play_on(23);
    UnitRecord* lead = unit(1, 0, 0, 5, 5);
    UnitRecord* boss = unit(20, 35, AI_MODE_BOSS, 6, 5);
    UnitRecord* grunt = unit(21, 35, AI_MODE_ADVANCE, 9, 9);
    // The boss falls with another enemy standing: the stage goes on.
    boss->stats.hp = 0;
    map_move_unit_step(boss, 6);
    scn_after_battle(lead, boss);
    EXPECT_EQ(g_stage_end, 0);
    EXPECT_TRUE(messages().empty());
    // The last one falls.
    grunt->stats.hp = 0;
    map_move_unit_step(grunt, 6);
    scn_after_battle(lead, grunt);
    EXPECT_EQ(g_stage_end, 1);
    EXPECT_EQ(messages(), (std::vector<int>{49, 50, 51}));
}
