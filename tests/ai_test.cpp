// Enemy AI: target and cell choice, the modes that stand, flee, chase and
// sleep, the spirit, the battle call and the random draws.
#include "tactics/ai.h"

#include <utility>
#include <vector>

#include "battle/battle.h"
#include "tactics/move.h"
#include "tactics/turn.h"
#include "tests/loop_fixture.h"

namespace {

constexpr int WEAPON_NEAR = 38;      // reaches distance 1
constexpr int WEAPON_NEAR_FAR = 41;  // reaches distances 1 and 2

class AiTest : public LoopTest {
protected:
    void SetUp() override {
        LoopTest::SetUp();
        set_map_size(20, 20);
        g_map_tile_set = 0;
        g_terrain_class_of_tile = g_tileset_terrain[0].data();
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) set_terrain(x, y, 1);
        g_opt_battle_real = 0;
        g_enemy_phase = 1;
        btl_reset();
        keep_clicking();  // experience windows and spoils wait for a click
    }
    void TearDown() override {
        g_enemy_phase = 0;
        map_free_move_range();
        LoopTest::TearDown();
    }
    static void set_terrain(int x, int y, uint32_t terrain) {
        const int t = tile_of_class(terrain);
        ASSERT_GE(t, 0);
        g_map.cells[y * MAP_SIDE + x] = static_cast<uint8_t>(t);
    }
    // An orc (class 35: cost 4 on plain ground, 5 steps) of the given mode.
    static UnitRecord* enemy(int x, int y, int mode, int weapon = WEAPON_NEAR) {
        UnitStats s = MapTest::stats(10, 35, mode);
        s.weapon = static_cast<int16_t>(weapon);
        UnitRecord* u = unit_place_new(x, y, &s);
        EXPECT_NE(u, nullptr);
        return u;
    }
    static UnitRecord* party(int x, int y, int ch = 10, int weapon = WEAPON_NEAR, int cls = 6) {
        UnitStats s = MapTest::stats(ch, cls, 0);
        s.weapon = static_cast<int16_t>(weapon);
        UnitRecord* u = unit_place_new(x, y, &s);
        EXPECT_NE(u, nullptr);
        return u;
    }
    // The battle fought since the last btl_reset, as (first fighter, second
    // fighter) slot + 1, from the fighters the battle engine worked on; an
    // action fights at most one.
    static std::vector<std::pair<int, int>> battles() {
        auto slot_of = [](const UnitStats* s) {
            for (size_t i = 0; i < g_units.size(); ++i)
                if (&g_units[i].stats == s) return static_cast<int>(i) + 1;
            return 0;
        };
        if (!g_btl_combatant[0] || !g_btl_combatant[1]) return {};
        return {{slot_of(g_btl_combatant[0]), slot_of(g_btl_combatant[1])}};
    }
    static bool on_cell(const UnitRecord* u, int x, int y) {
        return u->x == x && u->y == y && (g_occupancy.cells[y * MAP_SIDE + x] & OCC_UNIT_MASK) == u->number;
    }
};

// --- target choice from where the unit stands ----------------------------------------

TEST_F(AiTest, StandingModesPickTheTargetByCoverAndStrikeBack) {
    // Two hostiles next to a unit that holds its cell: the one on the weaker cover
    // (plain ground 90 %, road 100 %) is attacked, without a move.
    UnitRecord* a = enemy(5, 5, AI_MODE_HOLD);
    set_terrain(5, 4, 1);
    set_terrain(6, 5, 2);
    party(5, 4);
    UnitRecord* weak = party(6, 5);
    UnitRecord* strong = &g_units[0];
    ai_unit_act(a, -1, -1);
    ASSERT_EQ(battles(), (std::vector<std::pair<int, int>>{{weak->number, a->number}}));
    EXPECT_EQ(g_btl_combatant[0], &weak->stats);  // the target is the first fighter
    EXPECT_EQ(g_btl_combatant[1], &a->stats);
    EXPECT_EQ(g_btl_attacker_side, 1);
    EXPECT_EQ(g_btl_range_mode, 0);
    EXPECT_EQ(g_btl_animated, 0);
    EXPECT_EQ(g_btl_terrain[0], 1);  // road, kind 2
    EXPECT_EQ(g_btl_terrain[1], 0);  // plain ground, kind 1
    // The short sword (14) on the road (100 %) takes 14; the counter on
    // plain ground (90 %) at full strength 12, and the counter drops to 95.
    EXPECT_EQ(weak->stats.hp, 20 - 14);
    EXPECT_EQ(a->stats.hp, 20 - 12);
    EXPECT_EQ(weak->status, 95);
    EXPECT_EQ(strong->stats.hp, 20);
    // The party unit earned (12 + 1) / 2 = 6 for its counter.
    EXPECT_EQ(weak->stats.exp, 6);
    EXPECT_TRUE(on_cell(a, 5, 5));
    EXPECT_EQ(a->acted, 1);
    // The highlight marks are gone again, the map is unmarked.
    EXPECT_EQ(g_occupancy.cells[5 * MAP_SIDE + 6], weak->number);
    EXPECT_EQ(g_occupancy.cells[5 * MAP_SIDE + 5], a->number);
    EXPECT_EQ(g_map.cells[5 * MAP_SIDE + 5] & MAP_MARK, 0);

    // A lance reaching 1 and 2: the hostile that cannot strike back at
    // distance 2 is preferred to the one next to it, even on better cover.
    g_units = {};
    std::memset(&g_occupancy, 0, sizeof g_occupancy);
    btl_reset();
    UnitRecord* l = enemy(5, 5, AI_MODE_BOSS_UNMET, WEAPON_NEAR_FAR);
    set_terrain(5, 4, 2);
    set_terrain(7, 5, 5);  // 60 %
    party(5, 4);
    UnitRecord* far = party(7, 5);
    ai_unit_act(l, -1, -1);
    ASSERT_EQ(battles(), (std::vector<std::pair<int, int>>{{far->number, l->number}}));
    EXPECT_EQ(g_btl_range_mode, 1);
    EXPECT_EQ(g_btl_animated, 1);  // a boss always fights animated
    // The distance-2 column (32) on 60 % cover: 19; no counter from a
    // short sword at distance 2.
    EXPECT_EQ(far->stats.hp, 20 - 19);
    EXPECT_EQ(l->stats.hp, 20);
    EXPECT_EQ(g_colour_cycle_block, 0);
    // The map graphics came back, and the reload flag is down again so
    // that the next stage's load sets its palettes.
    EXPECT_NE(g_tile_sheet_base, nullptr);
    EXPECT_EQ(g_map_gfx_reload, 0);
}

TEST_F(AiTest, EqualCoverIsSettledByOneRandomBit) {
    // Two hostiles on equal ground: one draw; an even draw lets the later
    // one (clockwise from above) replace the first.
    RandomMirror mirror;
    for (int round = 0; round < 4; ++round) {
        g_units = {};
        std::memset(&g_occupancy, 0, sizeof g_occupancy);
        btl_reset();
        UnitRecord* a = enemy(5, 5, AI_MODE_HOLD);
        UnitRecord* up = party(5, 4);
        UnitRecord* right = party(6, 5);
        const int32_t draw = mirror.next();
        ai_unit_act(a, -1, -1);
        UnitRecord* hit = draw % 2 == 0 ? up : right;
        UnitRecord* spared = draw % 2 == 0 ? right : up;
        ASSERT_EQ(battles(), (std::vector<std::pair<int, int>>{{hit->number, a->number}})) << round;
        EXPECT_LT(hit->stats.hp, 20) << round;
        EXPECT_EQ(spared->stats.hp, 20) << round;
    }
    // Exactly one draw per choice.
    EXPECT_EQ(util_random(), mirror.next());
}

TEST_F(AiTest, ModesThatStandNeverMoveAndSummonersOnlyDraw) {
    for (int mode : {AI_MODE_BOSS_UNMET, AI_MODE_HOLD, AI_MODE_SUMMONER, AI_MODE_HOLD_B, AI_MODE_SUMMONER_BOSS,
                     AI_MODE_SUMMONER_NEAR}) {
        g_units = {};
        std::memset(&g_occupancy, 0, sizeof g_occupancy);
        btl_reset();
        util_random_reset();
        UnitRecord* a = enemy(5, 5, mode);
        party(5, 8);  // 3 cells away: out of reach, but near enough to walk to
        ai_unit_act(a, -1, -1);
        EXPECT_TRUE(on_cell(a, 5, 5)) << mode;
        EXPECT_EQ(a->acted, 1) << mode;
        EXPECT_TRUE(battles().empty()) << mode;
        // Summoners try six times: one draw each, a second after an even one;
        // nothing is ever set. Others draw nothing.
        RandomMirror mirror;
        if (mode == AI_MODE_SUMMONER || mode == AI_MODE_SUMMONER_BOSS || mode == AI_MODE_SUMMONER_NEAR)
            for (int k = 0; k < 6; ++k)
                if (mirror.next() % 2 == 0) mirror.next();
        EXPECT_EQ(util_random(), mirror.next()) << mode;
        int units = 0;
        for (const UnitRecord& u : g_units) units += u.number != 0;
        EXPECT_EQ(units, 2) << mode;
    }
    // The boss and the near summoner try only with a hostile within 20 cells.
    g_units = {};
    std::memset(&g_occupancy, 0, sizeof g_occupancy);
    util_random_reset();
    UnitRecord* a = enemy(0, 0, AI_MODE_SUMMONER_BOSS);
    g_units[0] = {};
    ai_unit_act(a, -1, -1);
    RandomMirror mirror;
    EXPECT_EQ(util_random(), mirror.next());
}

// --- move plans --------------------------------------------------------------------------

TEST_F(AiTest, AdvancingUnitTakesTheBestCoverCellInReachAndFights) {
    // The orc at (2,5) reaches the hostile at (6,5) on four sides; (6,6)
    // is the cell of best cover (60 %), five steps away with 1 point left.
    UnitRecord* a = enemy(2, 5, AI_MODE_ADVANCE);
    UnitRecord* t = party(6, 5);
    set_terrain(6, 6, 5);
    ai_unit_act(a, -1, -1);
    EXPECT_TRUE(on_cell(a, 6, 6));
    EXPECT_EQ(a->status, 0);  // walked
    ASSERT_EQ(battles(), (std::vector<std::pair<int, int>>{{t->number, a->number}}));
    EXPECT_EQ(g_btl_terrain[1], 4);  // kind 5 of the attacker's new cell
    // The party unit's counter on 60 % cover: 14 x 60 / 100 = 8.
    EXPECT_EQ(a->stats.hp, 20 - 8);
    EXPECT_EQ(t->stats.hp, 20 - 12);
    EXPECT_EQ(g_move_range, nullptr);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(g_map.cells[y * MAP_SIDE + x] & MAP_MARK, 0);
}

TEST_F(AiTest, PlanKeepsNineteenCandidatesAndTheLastOverwritesTheNineteenth) {
    // A field of healing cells: every reachable empty cell is a candidate.
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) set_terrain(x, y, 5);
    UnitRecord* a = enemy(10, 10, AI_MODE_ADVANCE);
    ai_plan_move(a, 10, 0);
    EXPECT_EQ(g_ai_candidate_count, AI_CANDIDATES);
    // The first 18 in scan order, the 19th slot holds the last one scanned:
    // class 35 pays 3 on healing ground, 6 steps.
    EXPECT_EQ(g_ai_candidates[0].x, 10);
    EXPECT_EQ(g_ai_candidates[0].y, 4);
    EXPECT_EQ(g_ai_candidates[AI_CANDIDATES - 1].x, 10);
    EXPECT_EQ(g_ai_candidates[AI_CANDIDATES - 1].y, 16);
    EXPECT_EQ(g_ai_candidates[AI_CANDIDATES - 1].terrain, 5);
    EXPECT_EQ(g_ai_candidates[AI_CANDIDATES - 1].unit, -1);
    // The goal straight up: the reachable cell nearest it.
    EXPECT_EQ(g_ai_move_x, 10);
    EXPECT_EQ(g_ai_move_y, 4);
    map_free_move_range();
}

TEST_F(AiTest, WoundedUnitGoesForAHealingCellInsteadOfAttacking) {
    UnitRecord* a = enemy(5, 5, AI_MODE_ADVANCE);
    a->stats.hp = 9;  // below 20 x 5 / 10
    party(5, 3);
    set_terrain(8, 6, 8);
    ai_unit_act(a, -1, -1);
    EXPECT_TRUE(on_cell(a, 8, 6));
    EXPECT_TRUE(battles().empty());
    // At 10 of 20 it is not wounded: it attacks.
    g_units = {};
    std::memset(&g_occupancy, 0, sizeof g_occupancy);
    a = enemy(5, 5, AI_MODE_ADVANCE);
    a->stats.hp = 10;
    UnitRecord* t = party(5, 3);
    const int a_number = a->number;
    ai_unit_act(a, -1, -1);
    ASSERT_EQ(battles(), (std::vector<std::pair<int, int>>{{t->number, a_number}}));
    EXPECT_LT(t->stats.hp, 20);
    EXPECT_EQ(map_manhattan_distance(a->x, a->y, t->x, t->y), 1);
}

TEST_F(AiTest, FleeingUnitGoesToTheFarthestCellAndGivesUpItsAttack) {
    UnitRecord* a = enemy(5, 5, AI_MODE_FLEE);
    party(5, 3);
    ai_unit_act(a, -1, -1);
    // 7 cells from the hostile is the farthest a 5-step walk gets; the
    // first such cell in scan order is (0,5).
    EXPECT_TRUE(on_cell(a, 0, 5));
    EXPECT_TRUE(battles().empty());
    EXPECT_EQ(a->acted, 1);
}

TEST_F(AiTest, ChasersTakeTheNearestHostileWithinTheirLimitAsGoal) {
    struct Case {
        int mode, hostile_y, end_x, end_y;
    } cases[] = {
        {AI_MODE_CHASE_NEAR, 11, 2, 7},  // 9 away: within 10, chased
        {AI_MODE_CHASE_NEAR, 14, 7, 2},  // 12 away: the chapter's goal (15,2) instead
        {AI_MODE_CHASE_FAR, 14, 2, 7},   // within 20
        {AI_MODE_ADVANCE, 11, 7, 2},     // follows the goal
    };
    for (const Case& c : cases) {
        g_units = {};
        std::memset(&g_occupancy, 0, sizeof g_occupancy);
        UnitRecord* a = enemy(2, 2, c.mode);
        party(2, c.hostile_y);
        ai_unit_act(a, 15, 2);
        EXPECT_TRUE(on_cell(a, c.end_x, c.end_y)) << c.mode << " " << c.hostile_y << ": " << a->x << "," << a->y;
    }
    // The nearest hostile by AI mode, and only within the limit.
    g_units = {};
    std::memset(&g_occupancy, 0, sizeof g_occupancy);
    UnitRecord* a = enemy(2, 2, AI_MODE_CHASE_NEAR);
    UnitRecord* near = party(4, 2);
    party(2, 5);
    EXPECT_EQ(ai_find_nearest_hostile(a, 2), near);
    EXPECT_EQ(ai_find_nearest_hostile(a, 1), nullptr);
    EXPECT_EQ(ai_find_nearest_hostile(near, 20), a);
}

TEST_F(AiTest, DormantUnitWakesAtFourCellsWithoutActing) {
    g_map_tile_set = 5;
    g_terrain_class_of_tile = g_tileset_terrain[5].data();
    UnitRecord* a = enemy(5, 5, AI_MODE_DORMANT);
    g_map.cells[5 * MAP_SIDE + 5] = 20;
    UnitRecord* p = party(10, 5);  // 5 cells away
    ai_unit_act(a, -1, -1);
    EXPECT_EQ(a->stats.ai_mode, AI_MODE_DORMANT);
    EXPECT_EQ(g_map.cells[5 * MAP_SIDE + 5], 20);
    // A fallen party unit does not wake it either.
    g_occupancy.cells[5 * MAP_SIDE + 10] = 0;
    p->x = 9;
    g_occupancy.cells[5 * MAP_SIDE + 9] = static_cast<uint8_t>(p->number);
    p->stats.hp = 0;
    ai_unit_act(a, -1, -1);
    EXPECT_EQ(a->stats.ai_mode, AI_MODE_DORMANT);
    p->stats.hp = 20;
    ai_unit_act(a, -1, -1);
    EXPECT_EQ(a->stats.ai_mode, AI_MODE_ADVANCE);
    EXPECT_EQ(g_map.cells[5 * MAP_SIDE + 5], 88);  // the chamber tile of tile set 5
    EXPECT_TRUE(on_cell(a, 5, 5));
    EXPECT_EQ(a->acted, 0);
    EXPECT_TRUE(battles().empty());
}

// --- the spirit and the fallen ------------------------------------------------------------

TEST_F(AiTest, SpiritWalksTowardItsSummonerAndFightsFromTheLeft) {
    UnitStats s = MapTest::stats(10, CLASS_EARTH_SPIRIT, 0);  // earth spirit: acts as AI_MODE_ADVANCE
    UnitRecord* sp = unit_place_new(2, 10, &s);
    ASSERT_NE(sp, nullptr);
    UnitRecord* summoner = party(12, 10, CHAR_SUMMONER);
    ai_unit_act(sp, summoner->x, summoner->y);
    EXPECT_EQ(sp->y, 10);
    EXPECT_EQ(sp->x, 5);  // 3 steps at 6 points on plain ground
    EXPECT_EQ(sp->acted, 1);

    // A spirit next to an enemy fights it on the left (side 0); when it
    // falls it is taken off the map.
    btl_reset();
    sp->acted = 0;
    sp->stats.hp = 1;  // the counter fells it
    UnitRecord* e = enemy(5, 9, AI_MODE_ADVANCE);
    const int sp_number = sp->number;
    ai_unit_act(sp, summoner->x, summoner->y);
    ASSERT_EQ(battles(), (std::vector<std::pair<int, int>>{{sp_number, e->number}}));
    EXPECT_EQ(g_btl_combatant[0], &sp->stats);
    EXPECT_EQ(g_btl_combatant[1], &e->stats);
    EXPECT_EQ(g_btl_attacker_side, 0);
    EXPECT_EQ(e->stats.hp, 20 - 12);
    EXPECT_EQ(sp->stats.hp, 0);
    EXPECT_EQ(sp->number, 0);
    EXPECT_EQ(g_occupancy.cells[10 * MAP_SIDE + 5], 0);
}

TEST_F(AiTest, FireSpiritChasesTheNearestEnemyInstead) {
    UnitStats s = MapTest::stats(10, CLASS_FIRE_SPIRIT, 0);
    UnitRecord* sp = unit_place_new(10, 10, &s);
    ASSERT_NE(sp, nullptr);
    party(16, 10, CHAR_SUMMONER);
    enemy(10, 16, AI_MODE_ADVANCE);
    ai_unit_act(sp, 16, 10);
    EXPECT_EQ(sp->x, 10);
    EXPECT_EQ(sp->y, 15);
}

TEST_F(AiTest, FallenCharacterEightTakesNineAlongAndAMissingNineIsSkipped) {
    for (bool nine_there : {true, false}) {
        g_units = {};
        std::memset(&g_occupancy, 0, sizeof g_occupancy);
        btl_reset();
        UnitRecord* a = enemy(5, 5, AI_MODE_HOLD);
        UnitRecord* eight = party(5, 4, CHAR_SUMMONER);
        UnitRecord* nine = nine_there ? party(12, 12, CHAR_SUMMONER_PARTNER) : nullptr;
        eight->stats.hp = 5;  // the orc's hit fells it: no counter
        eight->charged = 1;
        ai_unit_act(a, -1, -1);
        ASSERT_EQ(battles().size(), 1u);
        EXPECT_EQ(eight->stats.hp, 0);
        EXPECT_EQ(a->stats.hp, 20);
        EXPECT_EQ(eight->stats.exp, 0);
        EXPECT_EQ(eight->charged, 0);
        // The fallen party unit keeps its cell; character 9 leaves.
        EXPECT_NE(eight->number, 0);
        if (nine) {
            EXPECT_EQ(nine->number, 0);
            EXPECT_EQ(g_occupancy.cells[12 * MAP_SIDE + 12], 0);
        }
        EXPECT_EQ(a->victories, 0);
    }
    // The acting unit falls: it is taken off, the target scores.
    g_units = {};
    std::memset(&g_occupancy, 0, sizeof g_occupancy);
    UnitRecord* a = enemy(5, 5, AI_MODE_HOLD);
    UnitRecord* t = party(5, 4);
    a->stats.hp = 3;  // the counter fells it
    ai_unit_act(a, -1, -1);
    EXPECT_EQ(a->stats.hp, 0);
    // Kill experience: the orc's experience word 0 gives the least, 1.
    EXPECT_EQ(t->stats.exp, 1);
    EXPECT_EQ(a->number, 0);
    EXPECT_EQ(g_occupancy.cells[5 * MAP_SIDE + 5], 0);
    EXPECT_EQ(t->victories, 1);
}

TEST_F(AiTest, LongReachCharacterProbesOneCellFurtherAndShortensTheRange) {
    // Character 28 with a weapon of distance 1 attacks from two cells away;
    // the battle runs at range mode 0.
    UnitStats s = MapTest::stats(CHAR_LAST_ENEMY, 35, 3);
    UnitRecord* a = unit_place_new(5, 5, &s);
    ASSERT_NE(a, nullptr);
    party(5, 4);
    UnitRecord* t = party(5, 3);
    ai_unit_act(a, -1, -1);
    ASSERT_EQ(battles(), (std::vector<std::pair<int, int>>{{t->number, a->number}}));
    EXPECT_EQ(g_btl_range_mode, 0);
    EXPECT_EQ(t->stats.hp, 20 - 12);  // the distance-1 column
}

TEST_F(AiTest, BattleMarksTheTargetAndPointsTheEngineAtIt) {
    // Chapter 2's hook lets the battle run; the target gets the enemy mark
    // during it and loses it afterwards.
    g_chapter = 2;
    UnitRecord* a = enemy(5, 5, AI_MODE_HOLD);
    UnitRecord* t = party(5, 4);
    uint8_t target_cell_in_battle = 0;
    start_polling([&] {
        if (g_btl_msgbox_store) target_cell_in_battle = g_occupancy.cells[4 * MAP_SIDE + 5];
        click_view(320, 200);
    });
    ai_unit_act(a, -1, -1);
    EXPECT_LT(t->stats.hp, 20);
    EXPECT_EQ(target_cell_in_battle, OCC_MARK_B | t->number);
    EXPECT_EQ(g_occupancy.cells[4 * MAP_SIDE + 5], t->number);
    EXPECT_EQ(g_btl_target_status_ptr, &t->status);
    EXPECT_EQ(g_btl_attacker_unit, t);
}

}  // namespace
