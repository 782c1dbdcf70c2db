// Chapter 5 through the chapter hooks: the stage scenes and where the party
// starts, the first-turn events and the reinforcements of stage 40, the goal
// cells, the pads and the ambush of stage 38, the bosses, and the three forms
// of the last enemy up to the ending.
#include "story/chapter5.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "battle/battle.h"
#include "platform/input.h"
#include "platform/palette.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "story/hooks.h"
#include "tactics/game.h"
#include "tactics/map.h"
#include "tactics/map_view.h"
#include "tactics/move.h"
#include "tactics/pick.h"
#include "tactics/save.h"
#include "tactics/turn.h"
#include "tests/chapter_fixture.h"

class Chapter5Test : public ChapterFixture {
protected:
    // A fresh stage on its own map: stage number `stage`.
    void fresh(int stage) {
        reset_stage();
        play_on(stage - 1);
        g_sfx_enabled = 1;
    }
    // Stage 40 under way: the lead two cells below the last enemy's first
    // form.
    void first_form_before_the_lead(UnitRecord** lead, UnitRecord** own) {
        fresh(40);
        *lead = unit(1, 0, 0, 19, 3);
        *own = unit(CHAR_LAST_ENEMY, CLASS_FIRST_FORM, AI_MODE_BOSS, 19, 1);
        (*own)->stats.max_hp = 300;
        g_turn = 0;
        keep_clicking();
        scn_turn_start();
    }
    // The last enemy's third body at `hp` on its five cells around (19, 1).
    static UnitRecord* third_body(int hp) {
        UnitRecord* body = unit(CHAR_LAST_ENEMY, CLASS_LAST_FORM, AI_MODE_BOSS, 19, 1);
        body->stats.max_hp = 300;
        body->stats.hp = static_cast<int16_t>(hp);
        for (const auto& [x, y] : {std::pair{18, 1}, {20, 1}, {19, 0}, {19, 2}})
            g_occupancy.cells[y * MAP_SIDE + x] = static_cast<uint8_t>(body->number);
        return body;
    }
    // 1 when the shown lines of the back image are all colour 0: the map
    // view redrawn with no map graphics.
    static bool back_image_cleared() {
        const uint8_t* px = gfx_dib_pixels(g_back_dib);
        return std::all_of(px, px + SCREEN_W * SCREEN_H, [](uint8_t v) { return v == 0; });
    }
    static int cell(int x, int y) { return g_occupancy.cells[y * MAP_SIDE + x] & OCC_UNIT_MASK; }
    // The records of a character, in slot order.
    static std::vector<UnitRecord*> records_of(int char_id) {
        std::vector<UnitRecord*> found;
        for (UnitRecord& u : g_units)
            if (u.number != 0 && u.stats.char_id == char_id) found.push_back(&u);
        return found;
    }
};

namespace {

using Cells = std::vector<std::tuple<int, int, int>>;

struct StageStart {
    int stage;
    std::vector<int> messages;
    std::vector<int> music;
    Cells party;
};

const StageStart STARTS[] = {
    {34, {}, {}, {{1, 5, 29}, {2, 6, 29}, {3, 3, 30}, {4, 4, 29}, {5, 3, 29}, {6, 5, 30}, {7, 6, 30}, {8, 4, 30}}},
    {35,
     {97, 98, 99, 100},
     {4, 8},
     {{1, 18, 4}, {2, 19, 4}, {3, 20, 3}, {4, 17, 3}, {5, 18, 3}, {6, 20, 4}, {7, 17, 4}, {8, 19, 3}}},
    {36,
     {48, 49, 50},
     {15},
     {{1, 20, 9}, {2, 21, 9}, {3, 19, 11}, {4, 19, 10}, {5, 20, 10}, {6, 21, 10}, {7, 21, 11}, {8, 20, 11}}},
    {37,
     {},
     {},
     {{1, 21, 22}, {2, 22, 22}, {3, 19, 23}, {4, 19, 22}, {5, 20, 22}, {6, 21, 23}, {7, 22, 23}, {8, 20, 23}}},
    {38,
     {},
     {},
     {{1, 21, 30}, {2, 22, 30}, {3, 19, 31}, {4, 19, 30}, {5, 20, 30}, {6, 21, 31}, {7, 22, 31}, {8, 20, 31}}},
    {39,
     {97, 98, 99, 100},
     {8},
     {{1, 19, 20}, {2, 20, 20}, {3, 17, 21}, {4, 17, 20}, {5, 18, 20}, {6, 19, 21}, {7, 20, 21}, {8, 18, 21}}},
    {40,
     {97, 98, 99, 100, 65, 66, 67},
     {15, 16},
     {{1, 19, 15}, {2, 20, 15}, {3, 18, 17}, {4, 18, 16}, {5, 19, 16}, {6, 20, 16}, {7, 20, 17}, {8, 19, 17}}},
};

}  // namespace

// --- stage starts ----------------------------------------------------------------------

TEST_F(Chapter5Test, EveryStageStartShowsItsSceneAndPlacesTheParty) {
    for (const StageStart& c : STARTS) check_stage_start(5, c.stage, c.messages, c.music, c.party);
}

TEST_F(Chapter5Test, StageStartsSkipAMissingCharacter) {
    // Only characters 1 and 3, in slots 0 and 1: the lists place those two,
    // stage 39's second to leave is character 3 with the other leader's word,
    // and stage 35's cell still changes.
    for (int stage : {35, 39}) {
        SCOPED_TRACE(stage);
        reset_stage();
        unit(1, 0, 0, 1, 0);
        unit(3, 4, 0, 3, 0);
        g_occupancy.cells[1] = g_occupancy.cells[3] = 0;
        start_stage(stage);
        const std::vector<int> ids =
            stage == 35 ? std::vector<int>{97, 98, 99, 100} : std::vector<int>{97, 98, 100, 100};
        EXPECT_EQ(messages(), ids);
        EXPECT_EQ(units_on_grid(), 2);
        if (stage == 35) {
            EXPECT_EQ(tile(22, 4), 108);
        }
    }
}

// --- turn starts --------------------------------------------------------------------------

TEST_F(Chapter5Test, FirstTurnEventsAndTheLastEnemyFillsFiveCells) {
    keep_clicking();
    const std::pair<int, std::vector<int>> cases[] = {{34, {48}}, {35, {48, 49}}, {36, {}},  {37, {48}},
                                                      {38, {48}}, {39, {48}},     {40, {48}}};
    for (const auto& [stage, ids] : cases) {
        SCOPED_TRACE("stage " + std::to_string(stage));
        fresh(stage);
        UnitRecord* last = unit(CHAR_LAST_ENEMY, CLASS_FIRST_FORM, AI_MODE_BOSS, 19, 1);
        g_turn = 0;
        scn_turn_start();
        EXPECT_EQ(messages(), ids);
        const int n = stage == 40 ? last->number : 0;
        for (const auto& [x, y] : {std::pair{18, 1}, {20, 1}, {19, 0}, {19, 2}}) EXPECT_EQ(cell(x, y), n);
        sys_log_clear();
        g_turn = 1;
        scn_turn_start();
        EXPECT_TRUE(messages().empty());
    }
}

TEST_F(Chapter5Test, ReinforcementsComeOnEveryThirdTurnFromSixAlternatingAndRemoveNothing) {
    fresh(40);
    unit(1, 0, 0, 19, 15);
    unit(CHAR_LAST_ENEMY, CLASS_FIRST_FORM, AI_MODE_BOSS, 19, 1);
    std::vector<std::pair<int, int>> arrivals;  // (turn, side: -1 west, 1 east)
    for (int turn = 1; turn <= 13; ++turn) {
        if (turn == 12)  // the west group has fallen meanwhile
            for (UnitRecord& u : g_units)
                if (u.number != 0 && u.stats.ai_mode == AI_MODE_ADVANCE && u.x < 19) map_move_unit_step(&u, 6);
        std::vector<UnitRecord> before(g_units.begin(), g_units.end());
        sys_log_clear();
        g_turn = turn;
        scn_turn_start();
        std::set<int> sides;
        for (size_t s = 0; s < g_units.size(); ++s) {
            const UnitRecord& u = g_units[s];
            if (before[s].number != 0) {
                // Nobody already there is moved or removed.
                EXPECT_EQ(std::tie(u.number, u.x, u.y), std::tie(before[s].number, before[s].x, before[s].y));
            } else if (u.number != 0) {
                sides.insert(u.x < 19 ? -1 : 1);
            }
        }
        if (sides.empty()) continue;
        ASSERT_EQ(sides.size(), 1u) << turn;
        arrivals.emplace_back(turn, *sides.begin());
        // At zoom 1 the view looks west, then east, with the sound each time.
        EXPECT_EQ(effect_plays(SFX_VANISH), 2);
    }
    EXPECT_EQ(arrivals, (std::vector<std::pair<int, int>>{{6, -1}, {9, 1}, {12, -1}}));
}

// --- goals, pads and the ambush ----------------------------------------------------------------

TEST_F(Chapter5Test, GoalCellsEndStagesThirtyFourAndThirtyFive) {
    keep_clicking();
    struct Stop {
        int stage, x, y;
        bool ends;
    };
    const Stop stops[] = {{34, 20, 0, true},   {34, 24, 6, true},   {34, 25, 6, false},  {34, 22, 7, false},
                          {35, 10, 19, true},  {35, 27, 19, true},  {35, 11, 19, false}, {36, 20, 0, false},
                          {37, 10, 19, false}, {39, 27, 19, false}, {40, 22, 3, false}};
    for (const Stop& s : stops) {
        SCOPED_TRACE(std::to_string(s.stage) + " " + std::to_string(s.x) + "," + std::to_string(s.y));
        fresh(s.stage);
        UnitRecord* a = unit(5, 8, 0, s.x, s.y);
        EXPECT_EQ(scn_unit_moved(a, s.x, s.y + 1), s.ends ? 1 : 0);
        EXPECT_EQ(g_stage_end, s.ends ? 1 : 0);
        EXPECT_EQ(messages(), s.ends && s.stage == 35 ? std::vector<int>{50} : std::vector<int>{});
    }
}

TEST_F(Chapter5Test, PadsLeadToTheirPartnerWhenItIsFree) {
    for (int pad = 0; pad < 4; ++pad) {
        for (bool taken : {false, true}) {
            SCOPED_TRACE(std::to_string(pad) + (taken ? " taken" : " free"));
            fresh(38);
            const auto [x, y] = g_teleport_pads[static_cast<size_t>(pad)];
            const auto [px, py] = g_teleport_pads[static_cast<size_t>(pad ^ 1)];
            UnitRecord* a = unit(2, 3, 0, x, y);
            if (taken) unit(3, 4, 0, px, py);
            const int number = a->number;
            // A taken partner leaves the ambush test, which a pad never meets.
            EXPECT_EQ(scn_unit_moved(a, x, y + 1), taken ? 0 : 1);
            EXPECT_EQ(a->x, taken ? x : px);
            EXPECT_EQ(a->y, taken ? y : py);
            EXPECT_EQ(cell(x, y), taken ? number : 0);
            if (!taken) {
                EXPECT_EQ(cell(px, py), number);
            }
            EXPECT_EQ(effect_plays(SFX_VANISH), taken ? 0 : 2);
            EXPECT_EQ(g_stage_flags[0], 0);
            EXPECT_TRUE(messages().empty());
        }
    }
}

TEST_F(Chapter5Test, AmbushRunsOncePerStageAlsoAcrossASaveAndLoad) {
    TempDir folder;
    std::filesystem::create_symlink(std::filesystem::path(ROWEN_KIT_DIR) / "k.fnt", folder.path / "k.fnt");
    std::snprintf(g_exe_dir, sizeof g_exe_dir, "%s", folder.str().c_str());
    fresh(38);
    g_zoom = 2;
    map_set_zoom(2);
    UnitRecord* lead = unit(1, 0, 0, 30, 30);
    unit(2, 3, 0, 31, 30);
    unit(9, 5, 0, 32, 30);  // no place in the list: it stays off the grid
    UnitRecord* guard = unit(CHAR_AKBAR, 19, AI_MODE_BOSS_UNMET, 20, 5);
    unit(CHAR_GELDA, 27, AI_MODE_WALK_ON, 21, 5);
    UnitRecord* grunt = unit(20, 35, AI_MODE_ADVANCE, 25, 25);
    // A stop outside the hall does nothing.
    EXPECT_EQ(scn_unit_moved(lead, 30, 31), 0);
    g_occupancy.cells[30 * MAP_SIDE + 30] = 0;
    lead->x = 15;
    lead->y = 10;
    g_occupancy.cells[10 * MAP_SIDE + 15] = static_cast<uint8_t>(lead->number);
    keep_clicking();
    EXPECT_EQ(scn_unit_moved(lead, 15, 11), 1);
    polling = false;
    EXPECT_EQ(messages(), (std::vector<int>{97, 49, 50, 51}));
    EXPECT_EQ(g_stage_flags[0], 1);
    EXPECT_EQ(guard->stats.ai_mode, AI_MODE_BOSS);
    EXPECT_EQ(unit_find_by_char_id(CHAR_GELDA), nullptr);
    EXPECT_EQ(grunt->number, 0);
    EXPECT_TRUE(at_cell(1, 20, 9));
    EXPECT_TRUE(at_cell(2, 21, 9));
    EXPECT_EQ(cell(32, 30), 0);
    EXPECT_TRUE(music_opened(12));
    EXPECT_EQ(g_zoom, 2);

    // Saved, the flag cleared, loaded: the flag comes back and the hall is quiet.
    ASSERT_EQ(save_save_game(0), 1);
    g_stage_flags = {};
    ASSERT_EQ(save_load_game(0), 1);
    save_unpack_state();
    EXPECT_EQ(g_stage_flags[0], 1);
    sys_log_clear();
    lead = unit_find_by_char_id(CHAR_LEADER);
    EXPECT_EQ(scn_unit_moved(lead, lead->x, lead->y + 1), 0);
    EXPECT_TRUE(messages().empty());
}

// --- bosses ------------------------------------------------------------------------------

TEST_F(Chapter5Test, BossContacts) {
    keep_clicking();
    struct Contact {
        int stage;
        std::vector<int> ids;
        int cls;
    };
    const Contact contacts[] = {{36, {51}, 24}, {37, {49, 50, 51, 52}, 23}, {39, {49}, 35}, {34, {}, 35}, {40, {}, 35}};
    for (const Contact& c : contacts) {
        SCOPED_TRACE("stage " + std::to_string(c.stage));
        fresh(c.stage);
        UnitRecord* lead = unit(1, 0, 0, 5, 5);
        UnitRecord* boss = unit(20, 35, AI_MODE_BOSS_UNMET, 6, 5);
        EXPECT_EQ(scn_before_battle(lead, boss), 0);
        EXPECT_EQ(messages(), c.ids);
        EXPECT_EQ(boss->stats.class_id, c.cls);
        EXPECT_EQ(boss->stats.ai_mode, c.ids.empty() ? AI_MODE_BOSS_UNMET : AI_MODE_BOSS);
        EXPECT_EQ(music_opened(12), !c.ids.empty());
        EXPECT_EQ(scn_before_battle(lead, boss), 0);  // a second contact shows nothing more
        EXPECT_EQ(messages(), c.ids);
    }
}

TEST_F(Chapter5Test, BossesFallAndTheTrueShapeFadesAway) {
    keep_clicking();
    struct Fall {
        int stage;
        std::vector<int> ids;
        int shape;  // the class the copy shows, 0: none
    };
    const Fall falls[] = {{36, {52, 53}, 50}, {37, {53, 54}, 49}, {38, {52}, 0}, {39, {50}, 0}};
    for (const Fall& f : falls) {
        SCOPED_TRACE("stage " + std::to_string(f.stage));
        fresh(f.stage);
        UnitRecord* lead = unit(1, 0, 0, 5, 5);
        UnitRecord* boss = unit(20, 35, AI_MODE_BOSS, 6, 5);
        UnitRecord* grunt = unit(21, 35, AI_MODE_ADVANCE, 9, 9);
        scn_after_battle(lead, grunt);  // an ordinary enemy standing: nothing
        scn_after_battle(lead, boss);   // the boss standing: nothing
        EXPECT_EQ(g_stage_end, 0);
        // Beaten and taken off the map, as the attack leaves it.
        boss->stats.hp = 0;
        map_move_unit_step(boss, 6);
        std::set<int> shapes;
        start_polling([&] {
            if (cell(6, 5) != 0) shapes.insert(g_units[static_cast<size_t>(cell(6, 5) - 1)].stats.class_id);
            click_view(320, 200);
        });
        scn_after_battle(lead, boss);
        polling = false;
        EXPECT_EQ(g_stage_end, 1);
        EXPECT_EQ(messages(), f.ids);
        EXPECT_EQ(shapes, f.shape ? std::set<int>{f.shape} : std::set<int>{});
        // The copy is freed with the stage's end; with the true shape the
        // other enemies have left.
        EXPECT_TRUE(records_of(20).empty());
        EXPECT_EQ(cell(6, 5), 0);
        if (f.shape) {
            EXPECT_EQ(grunt->number, 0);
        }
    }
}

TEST_F(Chapter5Test, TheLastEnemyRisesThroughItsThreeFormsToTheEnding) {
    fresh(40);
    UnitRecord* lead = unit(1, 0, 0, 19, 3);
    UnitRecord* first = unit(CHAR_LAST_ENEMY, CLASS_FIRST_FORM, AI_MODE_BOSS, 19, 1);
    first->stats.max_hp = 300;
    g_turn = 0;
    keep_clicking();
    scn_turn_start();
    sys_log_clear();
    // Beaten in its first form, it stays on its cells.
    first->stats.hp = 0;
    int class_in_battle = -1;
    auto inner = on_poll;
    on_poll = [&, inner] {
        if (g_btl_combatant[1] == &first->stats && class_in_battle < 0) class_in_battle = first->stats.class_id;
        inner();
    };
    btl_reset();
    scn_after_battle(lead, first);
    EXPECT_EQ(messages(), (std::vector<int>{49, 50}));
    // The second form fought at once, animated, from the right side.
    EXPECT_EQ(class_in_battle, CLASS_RISING_FORM);
    EXPECT_EQ(g_btl_animated, 1);
    EXPECT_EQ(g_btl_attacker_side, 1);
    EXPECT_EQ(g_btl_combatant[0], &lead->stats);
    EXPECT_EQ(g_lightning, 0);
    EXPECT_EQ(g_map_gfx_reload, 0);
    EXPECT_NE(g_tile_sheet_base, nullptr);
    // The third body is a copy of it in its third form, a new unit on its
    // five cells in the rebuilt chamber.
    UnitRecord* third = unit_at_cell(19, 1);
    ASSERT_NE(third, nullptr);
    EXPECT_NE(third, first);
    EXPECT_EQ(third->stats.class_id, CLASS_LAST_FORM);
    EXPECT_EQ(third->stats.max_hp, 300);
    EXPECT_GT(third->stats.hp, 0);
    for (const auto& [x, y] : {std::pair{19, 1}, {18, 1}, {20, 1}, {19, 0}, {19, 2}})
        EXPECT_EQ(cell(x, y), third->number);
    const int chamber[9] = {80, 81, 82, 83, 84, 85, 86, 100, 101};
    for (int k = 0; k < 9; ++k) EXPECT_EQ(tile(18 + k % 3, k / 3), chamber[k]) << k;
    EXPECT_EQ(g_stage_end, 0);

    // The third form falls: the closing scene, then the ending.
    sys_log_clear();
    third->stats.hp = 0;
    scn_after_battle(lead, third);
    polling = false;
    EXPECT_EQ(messages(), (std::vector<int>{51, 52, 53, 54, 55, 56, 68, 69, 70, 71, 72, 73, 74, 75}));
    EXPECT_TRUE(music_opened(17));
    EXPECT_TRUE(music_opened(18));
    EXPECT_EQ(g_stage_end, 1);
    EXPECT_EQ(g_shake_on, 0);
    EXPECT_TRUE(records_of(28).empty());
    EXPECT_EQ(units_on_grid(), 0);
}

// --- the third body, the final blow and stage 39's walk-out -----------------------------------

TEST_F(Chapter5Test, OnceTheThirdBodyStandsTheLastEnemysOwnRecordIsOutOfPlay) {
    UnitRecord *lead, *own;
    first_form_before_the_lead(&lead, &own);
    lead->stats.max_hp = lead->stats.hp = 999;
    own->stats.hp = 0;
    scn_after_battle(lead, own);
    UnitRecord* body = unit_at_cell(19, 1);
    ASSERT_NE(body, nullptr);
    ASSERT_NE(body, own);
    // Were the own record still in play, its counter would beat it at once.
    own->stats.hp = 1;

    sys_log_clear();
    std::set<const UnitStats*> fighters;
    auto inner = on_poll;
    on_poll = [&, inner] {
        for (const UnitStats* s : g_btl_combatant)
            if (s) fighters.insert(s);
        inner();
    };
    btl_reset();
    turn_enemy_phase();
    // One strike, the body's, against one pool of HP; the game goes on.
    EXPECT_EQ(fighters, (std::set<const UnitStats*>{&lead->stats, &body->stats}));
    EXPECT_EQ(unit_count_live_enemies(), 1);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(g_stage_end, 0);
    // From beside the body only the body is a target.
    ASSERT_EQ(btl_find_targets(lead->x, lead->y, lead, 2), 1);
    EXPECT_EQ(g_unit_target_list[0], body);
    // The own record beaten ends nothing: only the body on the grid does.
    own->stats.hp = 0;
    scn_after_battle(lead, own);
    polling = false;
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(g_stage_end, 0);
}

// A first form beaten by a counter in the enemy phase is taken off the map
// before the hook runs, which frees its record: the body placed into that
// same record is the last enemy from then on.
TEST_F(Chapter5Test, AFirstFormBeatenByACounterRisesIntoItsOwnFreedRecord) {
    UnitRecord *lead, *own;
    first_form_before_the_lead(&lead, &own);
    own->stats.hp = 0;
    map_move_unit_step(own, 6);
    scn_after_battle(lead, own);
    polling = false;
    UnitRecord* body = unit_at_cell(19, 1);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->stats.char_id, CHAR_LAST_ENEMY);
    EXPECT_GT(body->stats.hp, 0);
    EXPECT_EQ(unit_count_live_enemies(), 1);
    EXPECT_EQ(g_stage_end, 0);
}

TEST_F(Chapter5Test, TheFinalBlowFromTheCommandMenuLeavesTheLastPictureUntilTheTitle) {
    // Stage 40 with the third body at 1 HP two cells above the lead, saved
    // and resumed as a loaded game.
    fresh(40);
    UnitRecord* lead = unit(1, 0, 0, 19, 3);
    UnitRecord* body = third_body(1);
    map_center_view_on(lead->x, lead->y);
    g_turn = 3;
    SaveFile save;
    save_pack_state(&save);
    std::memcpy(g_save_buffer.data(), &save, sizeof save);
    g_game_state_record.word[GS_RESUME] = 1;
    g_game_state_record.word[GS_CHAPTER] = 5;

    // The player points at the lead and clicks once the cell cursor is on
    // it, clicks the command menu's first entry (the act command), points
    // at the body and clicks once the cursor is on it; then every wait of
    // the battle and the ending is answered.
    enum class Step { Lead, Menu, Body, Waits } step = Step::Lead;
    auto client_x = [](int x) { return 16 + (x - g_view_x) * 32 + 16; };
    auto client_y = [](int y) { return 48 + (y - g_view_y) * 32 + 16; };
    // Points at a unit; clicks it once the cell cursor is on it (a pick
    // runs). true when it clicked.
    auto point_and_click = [&](const UnitRecord* u) {
        at(1, HeadlessKind::Move, client_x(u->x), client_y(u->y));
        if (g_cell_cursor_x != u->x - g_view_x || g_cell_cursor_y != u->y - g_view_y) return false;
        at(5, HeadlessKind::Click, client_x(u->x), client_y(u->y));
        return true;
    };
    // The frame below the view's top line is all black; the screen's
    // colours 0..15 are not all black.
    auto black_frame = [] {
        int w = 0, h = 0;
        const uint32_t* f = sys_headless_frame(&w, &h);
        for (int line = 49; line < 448; ++line)
            for (int x = 0; x < w; ++x)
                if ((f[line * w + x] & 0xFFFFFF) != 0) return false;
        return true;
    };
    auto colours_up = [] {
        const uint8_t* c = gfx_dib_colours(g_back_dib);
        return std::any_of(c, c + 64, [](uint8_t v) { return v != 0; });
    };
    // 0 until the last message of the epilogue has faded to black, 1 until
    // the last picture shows, 2 after.
    int phase = 0;
    int black_frames_in_colour = 0;
    start_polling([&] {
        switch (step) {
            case Step::Lead:
                if (point_and_click(lead)) step = Step::Menu;
                return;
            case Step::Menu:
                if (g_menu_chip_set) {
                    int mx = 0, my = 0;  // the menu puts the pointer on its first entry
                    win_get_mouse_pos(&mx, &my);
                    click_view(mx, my);
                    step = Step::Body;
                }
                return;
            case Step::Body:
                if (g_move_range && point_and_click(body)) step = Step::Waits;
                return;
            case Step::Waits:
                // Not before the pick has taken the body's click.
                if (g_move_range) return;
                click_view(320, 200);
                break;
        }
        if (count_messages(75) == 0) return;
        const bool black = black_frame();
        if (phase == 0 && black)
            phase = 1;
        else if (phase == 1 && !black)
            phase = 2;
        else if (phase == 2 && black && colours_up())
            ++black_frames_in_colour;
    });
    at(120000, HeadlessKind::End);
    EXPECT_EQ(turn_run_game(), 0);
    polling = false;
    EXPECT_EQ(body->stats.hp, 0);
    EXPECT_EQ(phase, 2);
    EXPECT_EQ(black_frames_in_colour, 0);
    EXPECT_EQ(g_stage_index, 40);
}

TEST_F(Chapter5Test, TheSpiritsFinalBlowLeavesTheLastPictureOnTheScreen) {
    // Stage 40 on turn 4: the third body at 1 HP, an earth spirit below it,
    // the lead out of its reach.
    fresh(40);
    unit(1, 0, 0, 15, 6);
    unit(20, CLASS_EARTH_SPIRIT, 0, 19, 3);
    third_body(1);
    map_center_view_on(19, 3);
    map_redraw_view();
    g_turn = 3;
    // The player ends the turn through the map command menu (a right click,
    // " 턴 종료 ", "예"); the spirit acts first in the enemy phase, and every
    // wait of its battle and of the ending is answered.
    int step = 0;
    MenuTurnEnd turn_end;
    start_polling([&] {
        switch (step) {
            case 0:
                if (window_shown("*턴4：쿠시나일행의 행동")) {
                    click_view(300, 300);
                    step = 1;
                    turn_end.since = sys_headless_clock();
                }
                break;
            case 1:
                if (end_turn_by_menu(turn_end)) step = 2;
                break;
            default: click_view(320, 200); break;
        }
    });
    EXPECT_EQ(turn_run_stage_battle(1), 1);
    polling = false;
    EXPECT_EQ(count_messages(51), 1);  // the closing scene ran
    EXPECT_EQ(count_messages(75), 1);  // and the ending
    EXPECT_EQ(g_stage_end, 1);
    EXPECT_EQ(g_enemy_phase, 0);
    // The ending freed the map graphics; its last picture stays until the
    // title, with no map view redrawn over it.
    EXPECT_FALSE(map_view_available());
    EXPECT_FALSE(back_image_cleared());
}

TEST_F(Chapter5Test, TheLastFormFallingToACounterInTheEnemyPhaseLeavesTheColoursCycling) {
    // The third body at 1 HP strikes the lead, whose counter fells it: the
    // closing scene and the ending run with the colour cycling unblocked,
    // as after the player's own final blow.
    fresh(40);
    UnitRecord* lead = unit(1, 0, 0, 19, 3);
    lead->stats.max_hp = lead->stats.hp = 999;
    third_body(1);
    int block_in_closing_scene = -1;
    start_polling([&] {
        if (block_in_closing_scene < 0 && count_messages(51) > 0) block_in_closing_scene = g_colour_cycle_block;
        click_view(320, 200);
    });
    sys_log_clear();
    turn_enemy_phase();
    polling = false;
    EXPECT_EQ(count_messages(75), 1);  // the ending ran
    EXPECT_EQ(block_in_closing_scene, 0);
    EXPECT_EQ(g_colour_cycle_block, 0);
}

TEST_F(Chapter5Test, StageThirtyNineWalksOutOnlyWhoStandsOnTheGridAndKeepsTheOthersDrawn) {
    reset_stage();
    party_off_grid({0, 3, 4, 6, 8, 13, 12, 11});
    // Character 12, kept in the party, with the cell an earlier stage gave
    // it: below the walk-on's and the leader's cells.
    UnitRecord* kept = unit(12, 53, 0, 21, 9);
    g_occupancy.cells[9 * MAP_SIDE + 21] = 0;
    const Cells scene = {{1, 21, 6}, {2, 20, 7}, {3, 22, 4}, {4, 22, 5},
                         {5, 21, 5}, {6, 20, 4}, {7, 20, 5}, {8, 20, 6}};
    // The leader's cell as the background holds it.
    auto leader_cell = [] {
        std::vector<uint8_t> px;
        int col = 0, top = 0;
        if (!map_cell_to_screen(21 - g_view_x, 6 - g_view_y, &col, &top)) return px;
        for (int line = top; line < top + 32; ++line)
            for (int x = col * 8; x < col * 8 + 32; ++x) px.push_back(*gfx_screen_pixel(g_background_dib, x, line));
        return px;
    };
    std::set<int> lost;  // characters whose cell was emptied before their walk
    std::vector<uint8_t> at_97;
    bool checked_98 = false;
    start_polling([&] {
        for (const auto& [ch, x, y] : scene) {
            const UnitRecord* u = unit_find_by_char_id(ch);
            if (u->x == x && u->y == y && cell(x, y) != u->number) lost.insert(ch);
        }
        if (at_97.empty() && count_messages(97) == 1) at_97 = leader_cell();
        if (!checked_98 && count_messages(98) == 1 && count_messages(99) + count_messages(100) == 0) {
            checked_98 = true;
            EXPECT_EQ(cell(21, 6), 1);
            EXPECT_EQ(leader_cell(), at_97) << "the leader is drawn while message 98 shows";
        }
        click_view(320, 200);
    });
    g_stage_index = 38;
    scn_stage_start();
    polling = false;
    EXPECT_EQ(messages(), (std::vector<int>{97, 98, 99, 100}));
    EXPECT_TRUE(checked_98);
    EXPECT_FALSE(at_97.empty());
    EXPECT_TRUE(lost.empty()) << *lost.begin();
    // Character 12 never walked, and no cell holds it.
    EXPECT_EQ(kept->x, 21);
    EXPECT_EQ(kept->y, 9);
    EXPECT_EQ(std::count(std::begin(g_occupancy.cells), std::end(g_occupancy.cells), kept->number), 0);
}
