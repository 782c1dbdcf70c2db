// Chapters 1 and 2 through the chapter hooks: the stage scenes and where
// the party starts, the turn-start events, goal cells, bosses, the
// chapter-1 finale and its debug flag.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "platform/input.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "story/chapter_shared.h"
#include "story/hooks.h"
#include "tactics/game.h"
#include "tactics/items.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tests/chapter_fixture.h"

namespace {

struct Cell {
    int x, y;
};

}  // namespace

class ChapterTest : public ChapterFixture {
protected:
    static UnitRecord* party(int char_id, int cls, int x, int y) { return unit(char_id, cls, 0, x, y); }
    static UnitRecord* enemy(int char_id, int cls, int mode, int x, int y) { return unit(char_id, cls, mode, x, y); }
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
            EXPECT_EQ(u.stats.ai_mode, AI_MODE_WALK_ON) << "slot " << s;
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
    UnitRecord* foe = enemy(10, 25, AI_MODE_ADVANCE, 30, 30);
    ASSERT_TRUE(lead && second && escort && foe);
    keep_clicking();
    EXPECT_EQ(scn_unit_moved(lead, 19, 3), 1);
    polling = false;

    EXPECT_EQ(g_stage_end, 1);
    const std::vector<int> expected = {100, 101, 102, 103, 104, 105};
    EXPECT_EQ(messages(), expected);
    // The enemy left (its slot may hold a walk-on unit now).
    for (const UnitRecord& u : g_units) EXPECT_FALSE(u.number != 0 && u.stats.ai_mode == AI_MODE_ADVANCE);
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
        army += u.number != 0 && u.stats.ai_mode == AI_MODE_WALK_ON &&
                (u.stats.class_id == 37 || u.stats.class_id == 29 || u.stats.class_id == 25);
    EXPECT_EQ(army, 20);
    EXPECT_TRUE(music_opened(8));
}

TEST_F(ChapterTest, DebugFlagSkipsTheFinaleButStillEndsTheStage) {
    play_on(0);
    g_debug_flags = 0x400;
    UnitRecord* lead = party(1, 0, 20, 1);
    party(12, 53, 20, 3);
    UnitRecord* foe = enemy(10, 25, AI_MODE_ADVANCE, 30, 30);
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
    keep_clicking();  // a fight on the way waits for its windows to be clicked
    party(1, 0, 18, 2);
    // One that has acted stays put and ends nothing.
    UnitRecord* done = enemy(10, 53, AI_MODE_ADVANCE, 18, 4);
    done->acted = 1;
    scn_enemy_act(done);
    EXPECT_EQ(done->x, 18);
    EXPECT_EQ(done->y, 4);
    EXPECT_EQ(g_stage_end, 0);
    // One far from the gate walks toward the leader; no end.
    UnitRecord* far = enemy(10, 53, AI_MODE_ADVANCE, 18, 30);
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
    UnitRecord* grunt = enemy(10, 25, AI_MODE_ADVANCE, 6, 5);
    UnitRecord* boss = enemy(10, 25, AI_MODE_BOSS, 5, 6);
    EXPECT_EQ(scn_before_battle(lead, grunt), 0);
    EXPECT_FALSE(music_opened(12));
    EXPECT_EQ(scn_before_battle(lead, boss), 0);
    EXPECT_TRUE(music_opened(12));
}

// --- chapter 2 ---------------------------------------------------------------------

namespace {

struct StageStart {
    int stage;                              // stage number
    std::vector<int> messages;              // in order
    int music;                              // a track the scene opens, or -1
    std::vector<std::array<int, 3>> party;  // character, x, y at the end
};

const StageStart STAGE_STARTS[] = {
    {2, {48, 49, 50, 51}, 9, {{1, 4, 17}, {2, 3, 17}}},
    {3, {48, 49}, 8, {{1, 6, 28}, {2, 5, 28}, {3, 5, 27}}},
    {4, {48, 49, 50, 51, 52, 53}, -1, {{1, 19, 4}, {2, 20, 4}, {3, 38, 20}, {4, 37, 20}}},
    {5, {55, 56, 48, 49, 50}, 8, {{1, 3, 1}, {2, 4, 1}, {3, 3, 0}, {4, 2, 1}}},
    {6, {}, -1, {{1, 33, 15}, {2, 34, 15}, {3, 34, 14}, {4, 34, 16}}},
    {7, {48, 49, 50, 51, 52, 53}, -1, {{1, 5, 21}, {2, 4, 21}, {3, 5, 20}, {4, 6, 21}}},
    {8, {97, 98, 48, 49}, 8, {{1, 18, 28}, {2, 17, 28}, {3, 19, 28}, {4, 18, 29}}},
    {9, {97, 98, 99}, 10, {{1, 9, 22}, {2, 10, 22}, {3, 8, 22}, {4, 9, 21}}},
    {10, {48, 49, 50, 51, 52, 53, 54, 55}, -1, {{1, 19, 20}, {2, 20, 20}, {3, 18, 20}, {4, 19, 21}}},
    {11, {48, 49, 50, 51}, 9, {{1, 19, 23}, {2, 20, 23}, {3, 19, 22}, {4, 18, 23}, {5, 17, 23}}},
    {12, {}, -1, {{1, 8, 29}, {2, 9, 29}, {3, 9, 30}, {4, 10, 29}, {5, 10, 30}}},
    {13, {}, -1, {{1, 5, 15}, {2, 4, 15}, {3, 4, 14}, {4, 4, 16}, {5, 3, 15}}},
    {14, {48, 49}, 10, {{1, 25, 20}, {2, 24, 20}, {3, 24, 19}, {4, 24, 21}, {5, 23, 20}}},
    {15, {}, -1, {{1, 36, 27}, {2, 37, 27}, {3, 35, 27}, {4, 37, 28}, {5, 36, 28}}},
};

}  // namespace

TEST_F(ChapterTest, EveryChapterTwoStageStartShowsItsSceneAndPlacesTheParty) {
    for (const StageStart& c : STAGE_STARTS) {
        SCOPED_TRACE("stage " + std::to_string(c.stage));
        g_units = {};
        std::memset(&g_occupancy, 0, sizeof g_occupancy);
        sys_log_clear();
        const int classes[] = {0, 2, 4, 6, 8};
        for (int ch = 1; ch <= 5; ++ch) {
            UnitRecord* u = party(ch, classes[ch - 1], ch, 0);
            ASSERT_NE(u, nullptr);
        }
        // Where the last stage left them.
        for (int ch = 1; ch <= 5; ++ch) g_occupancy.cells[ch] = 0;
        g_stage_index = c.stage - 1;
        g_zoom = 2;
        keep_clicking();
        scn_stage_start();
        polling = false;
        EXPECT_EQ(g_chapter, 2u);
        EXPECT_EQ(messages(), c.messages);
        if (c.music >= 0) {
            EXPECT_TRUE(music_opened(c.music));
        }
        // The scene's zoom is undone.
        EXPECT_EQ(g_zoom, 2);
        for (const auto& [ch, x, y] : c.party) EXPECT_TRUE(at_cell(ch, x, y)) << "character " << ch;
        // Nothing else stands on the grid: the scene's walk-on units are gone.
        int taken = 0;
        for (int i = 0; i < MAP_CELLS; ++i) taken += (g_occupancy.cells[i] & OCC_UNIT_MASK) != 0;
        EXPECT_EQ(taken, static_cast<int>(c.party.size()));
    }
}

TEST_F(ChapterTest, StageTwoStartsWithoutItsSecondMember) {
    // A character missing from the roster is skipped by every list.
    party(1, 0, 1, 0);
    g_occupancy.cells[1] = 0;
    g_stage_index = 1;
    keep_clicking();
    scn_stage_start();
    EXPECT_TRUE(at_cell(1, 4, 17));
    EXPECT_EQ(unit_find_by_char_id(2), nullptr);
}

TEST_F(ChapterTest, ChapterTwoFirstTurnEvents) {
    keep_clicking();
    // Stage 2 and stage 9: a message on the first turn only.
    play_on(1);
    g_turn = 1;
    scn_turn_start();
    EXPECT_TRUE(messages().empty());
    g_turn = 0;
    scn_turn_start();
    EXPECT_EQ(messages(), std::vector<int>{52});

    // Stage 6: the hidden enemies wake between two messages.
    sys_log_clear();
    play_on(5);
    UnitRecord* hidden = enemy(10, 35, AI_MODE_DORMANT, 12, 12);
    UnitRecord* nine = enemy(9, 31, AI_MODE_DORMANT, 13, 12);
    g_occupancy.cells[12 * MAP_SIDE + 12] = 0;
    g_occupancy.cells[12 * MAP_SIDE + 13] = 0;
    g_view_x = 5;
    g_turn = 0;
    scn_turn_start();
    EXPECT_EQ(messages(), (std::vector<int>{48, 49}));
    EXPECT_EQ(hidden->stats.ai_mode, AI_MODE_BOSS);
    EXPECT_EQ(nine->stats.ai_mode, AI_MODE_ADVANCE);
    EXPECT_EQ(g_occupancy.cells[12 * MAP_SIDE + 12] & OCC_UNIT_MASK, hidden->number);
    EXPECT_EQ(g_view_x, 0);

    // Stage 4: the view moves from the leader toward character 4.
    sys_log_clear();
    play_on(3);
    party(1, 0, 3, 3);
    party(4, 6, 10, 8);
    g_view_x = g_view_y = 0;
    scn_turn_start();
    EXPECT_EQ(g_view_x, 7);
    EXPECT_EQ(g_view_y, 5);
    EXPECT_EQ(messages(), std::vector<int>{54});
}

TEST_F(ChapterTest, StageThreeVisionOnTheFourthTurnComesBackToTheMap) {
    play_on(2);
    const Palette16 map_colours = g_default_palette;
    g_turn = 3;
    bool still_seen = false;
    start_polling([&] {
        // The still's navy field at the middle of the screen.
        still_seen |= *gfx_screen_pixel(g_back_dib, 320, 120) == 11 && g_colour_cycle_block == 1;
        click_view(320, 200, 0);
    });
    scn_turn_start();
    polling = false;
    EXPECT_TRUE(still_seen);
    EXPECT_EQ(messages(), (std::vector<int>{52, 53, 54}));
    EXPECT_TRUE(music_opened(8));
    EXPECT_TRUE(music_opened(g_stage_music[2]));
    EXPECT_EQ(g_colour_cycle_block, 0);
    EXPECT_EQ(std::memcmp(&g_default_palette, &map_colours, sizeof map_colours), 0);
    // Other turns of stage 3 have no vision.
    sys_log_clear();
    g_turn = 4;
    scn_turn_start();
    EXPECT_TRUE(messages().empty());
}

TEST_F(ChapterTest, ChapterTwoGoalCells) {
    struct Goal {
        int stage, x1, y1, x2, y2, message;
    };
    const Goal goals[] = {{2, 37, 17, 38, 18, 53},
                          {3, 34, 4, 34, 4, 51},
                          {5, 36, 15, 36, 15, 52},
                          {7, 24, 0, 24, 0, 54},
                          {12, 12, 1, 12, 1, 49}};
    keep_clicking();
    for (const Goal& g : goals) {
        SCOPED_TRACE("stage " + std::to_string(g.stage));
        play_on(g.stage - 1);
        g_units = {};
        std::memset(&g_occupancy, 0, sizeof g_occupancy);
        UnitRecord* u = party(3, 4, g.x1 - 1, g.y1);
        g_stage_end = 0;
        sys_log_clear();
        // Beside the goal: nothing.
        EXPECT_EQ(scn_unit_moved(u, 0, 0), 0);
        EXPECT_EQ(g_stage_end, 0);
        for (const Cell c : {Cell{g.x1, g.y1}, Cell{g.x2, g.y2}}) {
            g_stage_end = 0;
            u->x = static_cast<int16_t>(c.x);
            u->y = static_cast<int16_t>(c.y);
            EXPECT_EQ(scn_unit_moved(u, 0, 0), 1);
            EXPECT_EQ(g_stage_end, 1);
        }
        EXPECT_EQ(count_messages(g.message), 2);
    }
    // A stage without a goal cell.
    play_on(5);
    UnitRecord* u = party(1, 0, 24, 0);
    g_stage_end = 0;
    EXPECT_EQ(scn_unit_moved(u, 0, 0), 0);
    EXPECT_EQ(g_stage_end, 0);
}

TEST_F(ChapterTest, StageFourFirstMoveCallsTheStrangerSouth) {
    play_on(3);
    UnitRecord* u = party(1, 0, 5, 5);
    UnitRecord* stranger = enemy(14, 31, AI_MODE_BOSS_UNMET, 20, 5);
    keep_clicking();
    EXPECT_EQ(scn_unit_moved(u, 4, 5), 0);
    EXPECT_EQ(stranger->stats.ai_mode, AI_MODE_BOSS);
    EXPECT_EQ(g_occupancy.cells[5 * MAP_SIDE + 20], 0);
    EXPECT_TRUE(at_cell(14, 20, 31));
    // Once awake it stays where it is.
    u->x = 6;
    EXPECT_EQ(scn_unit_moved(u, 5, 5), 0);
    EXPECT_TRUE(at_cell(14, 20, 31));
}

TEST_F(ChapterTest, ChapterTwoBossContacts) {
    keep_clicking();
    struct Contact {
        int stage;
        std::vector<int> messages;
    };
    const Contact contacts[] = {{8, {50}}, {9, {49}}, {14, {52}}, {15, {49, 50}}};
    for (const Contact& c : contacts) {
        SCOPED_TRACE("stage " + std::to_string(c.stage));
        play_on(c.stage - 1);
        g_units = {};
        std::memset(&g_occupancy, 0, sizeof g_occupancy);
        sys_log_clear();
        UnitRecord* lead = party(1, 0, 5, 5);
        UnitRecord* boss = enemy(10, 35, AI_MODE_BOSS_UNMET, 6, 5);
        UnitRecord* grunt = enemy(10, 35, AI_MODE_ADVANCE, 5, 6);
        snd_play_music(-1);  // music off
        EXPECT_EQ(scn_before_battle(lead, grunt), 0);
        EXPECT_TRUE(messages().empty());
        EXPECT_NE(g_music_track, 12);
        EXPECT_EQ(scn_before_battle(lead, boss), 0);
        EXPECT_EQ(boss->stats.ai_mode, AI_MODE_BOSS);
        EXPECT_EQ(messages(), c.messages);
        EXPECT_EQ(g_music_track, 12);
        // Met once: no second message.
        EXPECT_EQ(scn_before_battle(lead, boss), 0);
        EXPECT_EQ(messages(), c.messages);
        EXPECT_EQ(g_stage_end, 0);
    }
}

TEST_F(ChapterTest, StageTenContactEndsTheStageBeforeTheBattle) {
    play_on(9);
    UnitRecord* lead = party(1, 0, 5, 5);
    UnitRecord* knight = enemy(10, 50, AI_MODE_BOSS_UNMET, 6, 5);
    keep_clicking();
    EXPECT_EQ(scn_before_battle(lead, knight), 1);
    EXPECT_EQ(g_stage_end, 1);
    EXPECT_EQ(messages(), (std::vector<int>{56, 57, 97, 98}));
    EXPECT_EQ(g_occupancy.cells[5 * MAP_SIDE + 6], 0);
    EXPECT_EQ(lead->acted, 0);
    EXPECT_FALSE(music_opened(12));
}

TEST_F(ChapterTest, ChapterTwoBossesFall) {
    keep_clicking();
    // Stage 6: the boss's aftermath with the stage's music.
    play_on(5);
    UnitRecord* lead = party(1, 0, 5, 5);
    UnitRecord* boss = enemy(10, 35, AI_MODE_BOSS, 6, 5);
    UnitRecord* grunt = enemy(10, 35, AI_MODE_ADVANCE, 9, 9);
    beat_boss(lead, boss);
    EXPECT_EQ(grunt->number, 0);
    EXPECT_EQ(messages(), std::vector<int>{50});
    EXPECT_TRUE(music_opened(g_stage_music[5]));

    // Stage 8: the body is shown once more and taken away.
    g_units = {};
    std::memset(&g_occupancy, 0, sizeof g_occupancy);
    sys_log_clear();
    g_stage_end = 0;
    play_on(7);
    lead = party(1, 0, 5, 5);
    boss = enemy(10, 31, AI_MODE_BOSS, 6, 5);
    grunt = enemy(10, 35, AI_MODE_ADVANCE, 9, 9);
    boss->stats.hp = 0;
    g_occupancy.cells[5 * MAP_SIDE + 6] = 0;
    scn_after_battle(lead, boss);
    EXPECT_EQ(g_stage_end, 1);
    EXPECT_EQ(messages(), (std::vector<int>{51, 52}));
    EXPECT_EQ(g_occupancy.cells[5 * MAP_SIDE + 6], 0);
    EXPECT_EQ(grunt->number, 0);

    // Stage 14: a guard comes when the boss falls.
    g_units = {};
    std::memset(&g_occupancy, 0, sizeof g_occupancy);
    sys_log_clear();
    g_stage_end = 0;
    play_on(13);
    lead = party(1, 0, 5, 5);
    boss = enemy(10, 35, AI_MODE_BOSS, 16, 5);
    boss->stats.hp = 0;
    scn_after_battle(lead, boss);
    EXPECT_EQ(g_stage_end, 1);
    EXPECT_EQ(messages(), std::vector<int>{53});
    const UnitRecord* guard = unit_at_cell(6, 3);
    ASSERT_NE(guard, nullptr);
    EXPECT_EQ(guard->stats.class_id, 12);
    EXPECT_TRUE(music_opened(9));
}

TEST_F(ChapterTest, StageElevenEndsWhenTheLastEnemyFalls) {
    play_on(10);
    UnitRecord* lead = party(1, 0, 5, 5);
    UnitRecord* a = enemy(10, 35, AI_MODE_ADVANCE, 6, 5);
    UnitRecord* b = enemy(10, 35, AI_MODE_HOLD, 8, 8);
    keep_clicking();
    a->stats.hp = 0;
    a->number = 0;
    scn_after_battle(lead, a);
    EXPECT_EQ(g_stage_end, 0);
    // The last one falls while attacking: the order of the fighters does
    // not matter.
    b->stats.hp = 0;
    b->number = 0;
    scn_after_battle(b, lead);
    EXPECT_EQ(g_stage_end, 1);
    EXPECT_EQ(messages(), std::vector<int>{52});
}

TEST_F(ChapterTest, StageFifteenFinaleTurnsCharacterElevenAndShowsTheVision) {
    use_kit_folders(ROWEN_MARKED_KIT_DIR);  // the stills are told apart by their colours
    play_on(14);
    UnitRecord* lead = party(1, 0, 5, 5);
    UnitRecord* ally = party(CHAR_FOAL, 12, 20, 20);
    UnitRecord* boss = enemy(10, 42, AI_MODE_BOSS, 6, 5);
    UnitRecord* grunt = enemy(10, 35, AI_MODE_ADVANCE, 9, 9);
    boss->stats.hp = 0;
    g_occupancy.cells[5 * MAP_SIDE + 6] = 0;
    bool front_seen = false;
    start_polling([&] {
        front_seen |= *gfx_screen_pixel(g_back_dib, 320, 120) == 4 && g_colour_cycle_block == 1;
        click_view(320, 200, 0);
    });
    scn_after_battle(lead, boss);
    polling = false;
    EXPECT_EQ(g_stage_end, 1);
    EXPECT_EQ(grunt->number, 0);
    EXPECT_EQ(messages(), (std::vector<int>{51, 52}));
    EXPECT_EQ(ally->stats.char_id, CHAR_AARON);
    EXPECT_TRUE(at_cell(6, 3, 11));
    EXPECT_EQ(g_occupancy.cells[20 * MAP_SIDE + 20], 0);
    EXPECT_TRUE(front_seen);
    // The wipe ends on the picture behind in the middle, black at the sides.
    EXPECT_EQ(*gfx_screen_pixel(g_back_dib, 320, 120), 5);
    EXPECT_EQ(*gfx_screen_pixel(g_back_dib, 20, 120), 0);
    EXPECT_EQ(g_colour_cycle_block, 0);
}
