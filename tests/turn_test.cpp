// Stage turn loop: upkeep, the enemy phase, the spirit, the save prompt and
// the player phase's picks.
#include "tactics/turn.h"

#include <cstdio>

#include "battle/battle.h"
#include "platform/input.h"
#include "story/hooks.h"
#include "tests/click_fixture.h"

using TurnTest = ClickTest;

TEST_F(TurnTest, RegenerationCountdownTerrainAndKnockedOut) {
    set_map_size(10, 10);
    g_terrain_class_of_tile = g_tileset_terrain[0].data();
    const int heal5 = tile_of_class(5), heal8 = tile_of_class(8), plain = tile_of_class(1);
    ASSERT_GE(heal5, 0);
    ASSERT_GE(heal8, 0);
    ASSERT_GE(plain, 0);
    g_map.cells[1 * MAP_SIDE + 1] = static_cast<uint8_t>(heal5);
    g_map.cells[1 * MAP_SIDE + 2] = static_cast<uint8_t>(heal8);
    g_map.cells[1 * MAP_SIDE + 3] = static_cast<uint8_t>(plain);

    UnitStats s = MapTest::stats(1, 0, 0, 25);
    UnitRecord* a = unit_place_new(1, 1, &s);
    UnitRecord* b = unit_place_new(2, 1, &s);
    UnitRecord* c = unit_place_new(3, 1, &s);
    a->stats.hp = b->stats.hp = c->stats.hp = 10;
    turn_unit_regen(a);
    turn_unit_regen(b);
    turn_unit_regen(c);
    EXPECT_EQ(a->stats.hp, 17);  // 25 x 3 / 10
    EXPECT_EQ(b->stats.hp, 15);  // 25 x 2 / 10
    EXPECT_EQ(c->stats.hp, 10);
    // Healing stops at max HP.
    a->stats.hp = 24;
    turn_unit_regen(a);
    EXPECT_EQ(a->stats.hp, 25);

    // Knocked out with -3: up with full HP at the third phase start; it
    // does not heal on the way, even on healing ground.
    a->stats.hp = 0;
    a->status = -3;
    turn_unit_regen(a);
    EXPECT_EQ(a->status, -2);
    EXPECT_EQ(a->stats.hp, 0);
    turn_unit_regen(a);
    EXPECT_EQ(a->stats.hp, 0);
    turn_unit_regen(a);
    EXPECT_EQ(a->status, 0);
    EXPECT_EQ(a->stats.hp, 25);

    // HP 0 without a countdown stays 0; an enemy never counts down; a free
    // record is left alone.
    b->stats.hp = 0;
    b->status = 0;
    turn_unit_regen(b);
    EXPECT_EQ(b->stats.hp, 0);
    UnitStats e = MapTest::stats(10, 35, 7, 20);
    UnitRecord* enemy = unit_place_new(1, 2, &e);
    enemy->stats.hp = 0;
    enemy->status = -1;
    turn_unit_regen(enemy);
    EXPECT_EQ(enemy->stats.hp, 0);
    EXPECT_EQ(enemy->status, -1);
    UnitRecord free_record{};
    free_record.stats.hp = 5;
    free_record.stats.max_hp = 25;
    turn_unit_regen(&free_record);
    EXPECT_EQ(free_record.stats.hp, 5);
}

TEST_F(TurnTest, EnemyPhaseActsByModeAndStops) {
    set_map_size(12, 12);
    g_opt_battle_real = 0;
    keep_clicking();  // experience windows wait for a click
    UnitStats lead = MapTest::stats(CHAR_LEADER, 0, 0);
    unit_place_new(1, 1, &lead);
    // Each enemy has a party unit straight above it in its weapon's reach:
    // every action is a battle against that unit, which loses the same HP
    // each time.
    const int modes[] = {AI_MODE_ACTS_TWICE, AI_MODE_IDLE,    AI_MODE_ADVANCE,
                         AI_MODE_ADVANCE,    AI_MODE_ADVANCE, AI_MODE_ACTS_TWICE};
    for (int i = 0; i < 6; ++i) {
        UnitStats p = MapTest::stats(10, 0, 0, 150);
        unit_place_new(5 + i, 4, &p);
    }
    for (int i = 0; i < 6; ++i) {
        // Tough enough that no battle of the three phases fells anyone.
        UnitStats s = MapTest::stats(10, 35, modes[i], 150);
        unit_place_new(5 + i, 5, &s);
    }
    g_units[20].stats.hp = 0;  // beaten
    g_units[21].acted = 1;     // already acted
    // HP lost by the party unit above each enemy (slots 18..23) in an
    // enemy phase.
    auto losses = [] {
        std::vector<int> lost;
        for (size_t i = 1; i <= 6; ++i) lost.push_back(g_units[i].stats.hp);
        turn_enemy_phase();
        for (size_t i = 1; i <= 6; ++i) lost[i - 1] -= g_units[i].stats.hp;
        return lost;
    };
    const std::vector<int> first = losses();
    const int d = first[4];
    ASSERT_GT(d, 0);
    // A unit that acts twice does; the idle, the beaten and the acted not at all.
    EXPECT_EQ(first, (std::vector<int>{2 * d, 0, 0, 0, d, 2 * d}));
    EXPECT_EQ(g_cursor_visible, 0);
    EXPECT_EQ(g_cursor_shape, 0);

    // With the leaders fallen the phase stops after the first action.
    for (auto& u : g_units) u.acted = 0;
    g_units[0].stats.hp = 0;
    EXPECT_EQ(losses(), (std::vector<int>{d, 0, 0, 0, 0, 0}));

    // Once the stage has ended nobody acts.
    for (auto& u : g_units) u.acted = 0;
    g_units[0].stats.hp = 20;
    g_stage_end = 1;
    EXPECT_EQ(losses(), (std::vector<int>(6, 0)));
}

// A stage of the kit set up as the game loop leaves it before the turns.
class TurnStageTest : public ClickTest {
protected:
    // Runs the turn loop until the scripted quit.
    void run(int resuming) {
        EXPECT_TRUE(ends_by_quit([&] { turn_run_stage_battle(resuming); }));
    }
    // Runs the turn loop, ended 1000 ms from now, and gives the times (from
    // now) at which a terrain window opened.
    std::vector<uint32_t> terrain_windows_opened() {
        at(1000, HeadlessKind::End);
        const uint32_t t0 = sys_headless_clock();
        std::vector<uint32_t> opened;
        bool shown = false;
        start_polling([&] {
            const bool now = text_shown(32, 10, "방어율", 15);
            if (now && !shown) opened.push_back(sys_headless_clock() - t0);
            shown = now;
        });
        run(0);
        polling = false;
        return opened;
    }
};

TEST_F(TurnStageTest, TurnStartUpkeepHookViewAndSavePromptByStageTurnAndResume) {
    // By stage, turn and resume: the chapter's turn-start message (-1 none)
    // and whether the save prompt is shown. Stages 1 and 2 start their first
    // turn with a message, stage 10 with none; a resumed game's first turn
    // skips the whole turn start.
    struct Case {
        int stage, turn, resuming, message, prompts;
    };
    const Case cases[] = {{0, 0, 0, 98, 0}, {1, 0, 0, 52, 1}, {1, 1, 0, -1, 0}, {1, 0, 1, -1, 0}, {9, 0, 0, -1, 1}};
    for (const Case& c : cases) {
        const std::string row =
            "stage " + std::to_string(c.stage) + " turn " + std::to_string(c.turn) + (c.resuming ? " resuming" : "");
        TempDir folder;
        use_program_folder(folder);
        set_up_stage(c.stage);
        put_party();
        g_turn = c.turn;
        for (size_t s = 0; s < std::size(PARTY); ++s) g_units[s].acted = 1;
        g_view_x = g_view_y = 0;
        map_redraw_view();
        sys_log_clear();
        // What the banner finds: acted flags, view origin, HP and status
        // counters of the party.
        std::vector<int> acted, hp, status;
        int view_x = -1, view_y = -1;
        play({through_banner(c.turn + 1, 0),
              {"the banner", [] { return true; },
               [&] {
                   for (size_t s = 0; s < std::size(PARTY); ++s) {
                       acted.push_back(g_units[s].acted);
                       hp.push_back(g_units[s].stats.hp);
                       status.push_back(g_units[s].status);
                   }
                   view_x = g_view_x;
                   view_y = g_view_y;
               }}});
        run_turns(c.resuming);
        EXPECT_EQ(stalled_at(), "") << row;
        std::vector<std::string> messages;
        for (const auto& l : sys_log_lines())
            if (l.rfind("message ", 0) == 0) messages.push_back(l);
        EXPECT_EQ(messages, c.message < 0 ? std::vector<std::string>{}
                                          : std::vector<std::string>{"message " + std::to_string(c.message)})
            << row;
        // 예 opens the save chooser.
        EXPECT_EQ(save_prompts, c.prompts) << row;
        EXPECT_EQ(save_choosers, c.prompts) << row;
        if (c.resuming) {
            EXPECT_EQ(acted, std::vector<int>(std::size(PARTY), 1)) << row;
            EXPECT_EQ(view_x, 0) << row;
            EXPECT_EQ(view_y, 0) << row;
            EXPECT_EQ(hp, (std::vector<int>{150, 100, 10, 10, 0, 0, 25})) << row;
            EXPECT_EQ(status, (std::vector<int>{100, 100, 100, 100, -1, -2, 100})) << row;
        } else {
            // Acted flags cleared, the view on the first party unit, 30 %
            // and 20 % healed, a count of -1 up with full HP, of -2 still
            // down and not healed on healing ground.
            EXPECT_EQ(acted, std::vector<int>(std::size(PARTY), 0)) << row;
            EXPECT_EQ(view_x, centred_origin(SITE_X, 19, map_width())) << row;
            EXPECT_EQ(view_y, centred_origin(SITE_Y, 12, map_height())) << row;
            EXPECT_EQ(hp, (std::vector<int>{150, 100, 17, 15, 25, 0, 25})) << row;
            EXPECT_EQ(status, (std::vector<int>{100, 100, 100, 100, 0, -1, 100})) << row;
        }
        fresh_machine();
    }
}

TEST_F(TurnStageTest, PicksReadTheUnitNumberBitsAndStayOnTheMap) {
    set_up_stage(0);
    g_turn = 1;  // past the first turn's message
    map_set_zoom(1);
    g_view_x = 0;
    g_view_y = 0;
    map_redraw_view();
    // (1,1): only highlight marks; (2,1): number 63; (3,1): marks over unit
    // 1; the cells picked by view pixel.
    g_occupancy.cells[1 * MAP_SIDE + 1] = OCC_MARK_A | OCC_MARK_B;
    g_occupancy.cells[1 * MAP_SIDE + 2] = 63;
    // The first unit moves to (3,1), so that the turn start centres the
    // view on the map's corner.
    UnitRecord& first = g_units[0];
    ASSERT_NE(first.number, 0);
    g_occupancy.cells[first.y * MAP_SIDE + first.x] = 0;
    first.x = 3;
    first.y = 1;
    g_occupancy.cells[1 * MAP_SIDE + 3] = static_cast<uint8_t>(OCC_MARK_A | first.number);
    auto cell_px = [](int x) { return 16 + x * 32 + 16; };
    click_view(0, 0, 50);  // ends the banner
    // Each terrain window waits for a click of its own.
    click_view(cell_px(1), 48, 400);
    click_view(cell_px(1), 48, 450);
    click_view(cell_px(2), 48, 500);
    click_view(cell_px(2), 48, 550);
    click_view(cell_px(3), 48, 600);
    const std::vector<uint32_t> opened = terrain_windows_opened();
    // (1,1) and (2,1) read as empty cells; (3,1) opens the unit's menu.
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_GT(opened[0], 400u);
    EXPECT_LT(opened[0], 450u);
    EXPECT_GT(opened[1], 500u);
    EXPECT_LT(opened[1], 550u);
}

TEST_F(TurnStageTest, PickOffASmallMapIsIgnored) {
    set_up_stage(0);
    g_turn = 1;  // past the first turn's message
    set_map_size(8, 6);
    g_view_x = g_view_y = 0;
    map_redraw_view();
    click_view(0, 0, 50);                    // ends the banner
    click_view(16 + 12 * 32 + 16, 48, 400);  // cell (12,1), right of the map
    click_view(16 + 2 * 32 + 16, 48, 500);   // cell (2,1)
    const std::vector<uint32_t> opened = terrain_windows_opened();
    // Only the cell on the map shows its terrain window.
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_GT(opened[0], 500u);
}

// Ends the turn through the map command menu: a right click on the map,
// " 턴 종료 " and "예".
class TurnEndTest : public TurnStageTest {
protected:
    int step = 0;
    MenuTurnEnd turn_end;
    void drive_to_enemy_phase(std::function<void()> in_enemy_phase) {
        start_polling([this, in_enemy_phase] {
            switch (step) {
                case 0:
                    if (window_shown("*턴1：쿠시나일행의 행동")) {
                        click_view(300, 300);
                        step = 1;
                        turn_end.since = sys_headless_clock();
                    } else if (g_cursor_shape == 5 || g_cursor_shape == 6) {
                        click_view(300, 300, 0);  // the first turn's message
                    }
                    break;
                case 1:
                    if (end_turn_by_menu(turn_end)) step = 4;
                    break;
                case 4:
                    if (g_enemy_phase == 1) {
                        in_enemy_phase();
                        step = 5;
                    }
                    break;
                default: break;
            }
        });
    }
};

TEST_F(TurnEndTest, SpiritActsFirstTowardCharacter8OrWithoutAGoal) {
    for (bool with_summoner : {true, false}) {
        step = 0;
        turn_end = {};
        set_up_stage(0);
        // The spirit of class 16 pays 4 on every passable ground; its
        // summoner stands 4 cells to its right.
        UnitStats spirit = MapTest::stats(10, CLASS_AIR_SPIRIT, 0), summoner = MapTest::stats(CHAR_SUMMONER, 11, 0);
        int32_t plain = 0;
        while (plain < MAP_TILES && g_terrain_class_of_tile[plain] != 1) ++plain;
        ASSERT_LT(plain, MAP_TILES);
        for (int x = 18; x <= 25; ++x)
            for (int y = 28; y <= 32; ++y) {
                g_occupancy.cells[y * MAP_SIDE + x] = 0;
                g_map.cells[y * MAP_SIDE + x] = static_cast<uint8_t>(plain);
            }
        UnitRecord* sp = unit_place_new(20, 30, &spirit);
        ASSERT_NE(sp, nullptr);
        if (with_summoner) {
            ASSERT_NE(unit_place_new(24, 30, &summoner), nullptr);
        }
        bool banner_seen = false;
        drive_to_enemy_phase([&] {});
        // The enemy banner is up once the spirit has acted.
        auto old = on_poll;
        on_poll = [&, old] {
            old();
            if (step == 5 && !banner_seen && window_shown("*적의 행동")) {
                banner_seen = true;
                end_soon();
            }
        };
        at(60000, HeadlessKind::End);
        run(0);
        EXPECT_TRUE(banner_seen);
        // By the enemy banner the spirit has acted and no enemy has: it
        // walked up to its summoner, or stayed without one.
        EXPECT_EQ(sp->acted, 1);
        for (int s = UNIT_PARTY_SLOTS; s < UNIT_SLOTS; ++s) EXPECT_EQ(g_units[static_cast<size_t>(s)].acted, 0);
        EXPECT_EQ(sp->x, with_summoner ? 23 : 20);
        EXPECT_EQ(sp->y, 30);
        fresh_machine();
    }
}
